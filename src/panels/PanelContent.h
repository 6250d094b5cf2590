#pragma once

#include "panels/SearchTrigger.h"

#include <QModelIndex>
#include <QObject>
#include <QPointer>

#include <functional>

class CategoryFilter;
class DesktopModel;
class DropController;
class ItemDragView;
class PanelSort;
class QWidget;

// The items of a panel below its title band: the view over the panel's sorted
// share of the desktop model, the drops onto it, and what the user does in it.
// Opening an item and clearing the selection happen here; a selection, a drop
// of items from elsewhere and typing (which starts the quick search) leave as
// signals for the panel.
class PanelContent : public QObject
{
    Q_OBJECT

public:
    // Whether typing may start a search now (no title being edited, someone listening).
    using SearchGate = std::function<bool()>;

    // `filter` picks the panel's items from the model; none for the single panel.
    // `list` and `iconSize` are the first presentation (see setPresentation).
    PanelContent(QWidget *panel, DesktopModel *model, CategoryFilter *filter, const QString &settingsPrefix,
                 bool list, int iconSize, SearchGate searchGate);

    PanelSort *sort() const { return m_sort; }
    ItemDragView *view() const { return m_view; }
    // The category of the first item shown; the system's for the single panel or none.
    int firstCategory() const;
    // The desktop model's index of an index of the view.
    QModelIndex sourceIndex(const QModelIndex &viewIndex) const;
    void setPresentation(bool list, int iconSize);
    // The scroll bar shows its handle only while the pointer is over the panel.
    void setHovered(bool hovered);
    // Emits searchRequested when the event starts a search; true when it did.
    bool startSearch(QWidget *receiver, const QEvent *event);

Q_SIGNALS:
    // Items came, went or were replaced.
    void itemsChanged();
    // Items from elsewhere (or a mix) were dropped on the view, with these keys held.
    void itemsDropped(const QStringList &itemKeys, Qt::KeyboardModifiers modifiers);
    // The user selected an item or pressed in the view: other panels' selections must go.
    void selectionActivated();
    void searchRequested(QWidget *source, const SearchTrigger &trigger);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateScrollHandle();

    DesktopModel *m_model;
    QPointer<CategoryFilter> m_filter;
    PanelSort *m_sort = nullptr;
    SearchGate m_searchGate;
    ItemDragView *m_view = nullptr;
    DropController *m_drops = nullptr;
    bool m_hovered = false;
};
