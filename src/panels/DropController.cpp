#include "DropController.h"

#include "panels/ItemDragView.h"
#include "panels/ItemMime.h"
#include "panels/PanelLayoutStore.h"
#include "panels/PanelSettings.h"
#include "panels/PanelSort.h"
#include "shell/DesktopModel.h"

#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QScrollBar>
#include <QSet>
#include <QTimer>

namespace {

// A drag is internal when every dragged item is one of this panel's own.
bool allShownHere(const QStringList &keys, const QStringList &shown)
{
    const QSet<QString> here(shown.cbegin(), shown.cend());
    return !keys.isEmpty() && std::all_of(keys.cbegin(), keys.cend(),
                                          [&here](const QString &key) { return here.contains(key); });
}

} // namespace

DropController::DropController(ItemDragView *view, PanelSort *sort, const QString &settingsPrefix,
                               QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_sort(sort)
    , m_settingsPrefix(settingsPrefix)
    , m_autoScroll(new QTimer(this))
{
    m_autoScroll->setInterval(autoScrollMs);
    connect(m_autoScroll, &QTimer::timeout, this, &DropController::autoScrollTick);
    m_view->viewport()->installEventFilter(this);
}

DropController::~DropController() = default;

QStringList DropController::keysShown() const
{
    QStringList keys;
    for (int row = 0; row < m_sort->rowCount(); ++row)
        keys.append(m_sort->index(row, 0).data(DesktopModel::KeyRole).toString());
    return keys;
}

bool DropController::eventFilter(QObject *watched, QEvent *event)
{
    // Only drag events are looked at: others also arrive while the view is
    // being destroyed, when it must not be touched as an ItemDragView.
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::DragLeave &&
        type != QEvent::Drop)
        return false;
    if (!m_view || watched != m_view->viewport())
        return false;
    switch (type) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        dragMoved(static_cast<QDropEvent *>(event));
        return true;
    case QEvent::DragLeave:
        m_view->hideDropMarker();
        stopAutoScroll();
        return true;
    case QEvent::Drop:
        dropped(static_cast<QDropEvent *>(event));
        return true;
    default:
        return false;
    }
}

void DropController::dragMoved(QDropEvent *event)
{
    if (!ItemMime::hasItems(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    m_internal = allShownHere(ItemMime::itemKeys(event->mimeData()), keysShown());
    m_position = event->position().toPoint();
    if (m_internal)
        m_view->showDropMarker(m_view->dropRowAt(m_position));
    else
        m_view->hideDropMarker();

    const int y = m_position.y();
    m_direction = y < autoScrollZone ? -1 : y > m_view->viewport()->height() - autoScrollZone ? 1 : 0;
    if (m_direction != 0 && m_view->verticalScrollBar()->maximum() > 0)
        m_autoScroll->start();
    else
        m_autoScroll->stop();
}

void DropController::dropped(QDropEvent *event)
{
    if (!ItemMime::hasItems(event->mimeData())) {
        event->ignore();
        return;
    }
    m_view->hideDropMarker();
    stopAutoScroll();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const QStringList keys = ItemMime::itemKeys(event->mimeData());
    const QStringList shown = keysShown();
    if (!allShownHere(keys, shown)) {
        Q_EMIT itemsDropped(keys, event->modifiers());
        return;
    }
    const int row = m_view->dropRowAt(event->position().toPoint());
    const QString anchor = row >= shown.size() ? QString() : shown.at(row);
    // The drag's own event handling still runs on this stack; reorder afterwards.
    QTimer::singleShot(0, this, [this, keys, anchor] { reorder(keys, anchor); });
}

void DropController::reorder(const QStringList &keys, const QString &anchor)
{
    if (!m_view || !m_sort->moveKeys(keys, anchor))
        return;
    PanelLayoutStore::setItemOrder(m_settingsPrefix, m_sort->manualOrder());
    PanelSettings settings(m_settingsPrefix);
    settings.setSortMode(PanelSort::Manual);
    settings.setSortReversed(false);
    m_view->clearSelection();
    const QSet<QString> moved(keys.cbegin(), keys.cend());
    for (int r = 0; r < m_sort->rowCount(); ++r) {
        const QModelIndex index = m_sort->index(r, 0);
        if (moved.contains(index.data(DesktopModel::KeyRole).toString()))
            m_view->selectionModel()->select(index, QItemSelectionModel::Select);
    }
}

void DropController::stopAutoScroll()
{
    m_autoScroll->stop();
    m_direction = 0;
}

void DropController::autoScrollTick()
{
    QScrollBar *bar = m_view->verticalScrollBar();
    bar->setValue(bar->value() + m_direction * m_scrollStep);
    if (m_internal)
        m_view->showDropMarker(m_view->dropRowAt(m_position));
}
