#include "PanelContent.h"

#include "categories/CategoryRules.h"
#include "frame/PanelScrollStyle.h"
#include "frame/PanelStyle.h"
#include "panels/CategoryFilter.h"
#include "panels/DropController.h"
#include "panels/IconItemDelegate.h"
#include "panels/ItemDragView.h"
#include "panels/PanelLayoutStore.h"
#include "panels/PanelSort.h"
#include "shell/DesktopModel.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

// How far a drag near the view's edge scrolls per step.
int scrollStep(int iconSize)
{
    return std::max(iconSize / 3, 8);
}

} // namespace

PanelContent::PanelContent(QWidget *panel, DesktopModel *model, CategoryFilter *filter,
                           const QString &settingsPrefix, bool list, int iconSize, SearchGate searchGate)
    : QObject(panel)
    , m_model(model)
    , m_filter(filter)
    , m_searchGate(std::move(searchGate))
{
    m_sort = new PanelSort(panel);
    m_sort->setSourceModel(filter ? static_cast<QAbstractItemModel *>(filter) : model);
    m_sort->setManualOrder(PanelLayoutStore::itemOrder(settingsPrefix));
    connect(m_sort, &QAbstractItemModel::modelReset, this, &PanelContent::itemsChanged);
    connect(m_sort, &QAbstractItemModel::rowsInserted, this, &PanelContent::itemsChanged);
    connect(m_sort, &QAbstractItemModel::rowsRemoved, this, &PanelContent::itemsChanged);

    // Presentation before the model: several of its settings lay out every item
    // again, which costs nothing while the view is still empty.
    m_view = new ItemDragView(panel);
    m_view->setItemDelegate(new IconItemDelegate(m_view));
    m_view->setPresentation(list, iconSize);
    m_view->setModel(m_sort);
    connect(m_view, &QAbstractItemView::activated, this, [this](const QModelIndex &index) {
        m_model->openItem(sourceIndex(index));
        // The opened item keeps no highlight, as on the desktop itself.
        m_view->clearSelection();
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) {
                if (!selected.isEmpty())
                    Q_EMIT selectionActivated();
            });

    m_drops = new DropController(m_view, m_sort, settingsPrefix, this);
    m_drops->setScrollStep(scrollStep(iconSize));
    connect(m_drops, &DropController::itemsDropped, this, &PanelContent::itemsDropped);

    m_view->viewport()->installEventFilter(this);
    // Ahead of the view's own keyboard search: typing starts the quick search.
    m_view->installEventFilter(this);
    PanelScrollStyle::apply(m_view->verticalScrollBar());
    connect(m_view->verticalScrollBar(), &QScrollBar::rangeChanged, this, &PanelContent::updateScrollHandle);
}

QModelIndex PanelContent::sourceIndex(const QModelIndex &viewIndex) const
{
    const QModelIndex index = m_sort->mapToSource(viewIndex);
    return m_filter ? m_filter->mapToSource(index) : index;
}

int PanelContent::firstCategory() const
{
    if (!m_filter || m_sort->rowCount() == 0)
        return SystemCategory;
    return m_sort->index(0, 0).data(DesktopModel::CategoryRole).toInt();
}

void PanelContent::setPresentation(bool list, int iconSize)
{
    m_view->setPresentation(list, iconSize);
    m_drops->setScrollStep(scrollStep(iconSize));
}

void PanelContent::setHovered(bool hovered)
{
    m_hovered = hovered;
    updateScrollHandle();
}

void PanelContent::updateScrollHandle()
{
    const bool handle = m_hovered && m_view->verticalScrollBar()->maximum() > 0;
    PanelScrollStyle::setHandleShown(m_view->verticalScrollBar(), handle);
}

bool PanelContent::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && (event->type() == QEvent::KeyPress || event->type() == QEvent::InputMethod))
        return startSearch(m_view, event);
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonPress) {
        Q_EMIT selectionActivated();
        // A press on empty space clears the selection, as on the desktop.
        if (!m_view->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint()).isValid()) {
            m_view->clearSelection();
            m_view->setCurrentIndex(QModelIndex());
        }
    }
    return false;
}

bool PanelContent::startSearch(QWidget *receiver, const QEvent *event)
{
    // With a menu open the keys are the menu's.
    if (QApplication::activePopupWidget() || !m_searchGate())
        return false;
    const std::optional<SearchTrigger> trigger = SearchTrigger::fromEvent(event);
    if (!trigger)
        return false;
    Q_EMIT searchRequested(receiver, *trigger);
    return true;
}
