#pragma once

#include <QPoint>

#include <memory>

class IconPanel;
class QMenu;

// Builds an icon panel's context menu: item actions when the click is on an
// item, then the panel's and the whole set's commands. Every entry acts on the
// panel or leaves as one of its request signals; the menu holds no state of its own.
class PanelMenu
{
public:
    static std::unique_ptr<QMenu> create(IconPanel *panel, QPoint viewportPosition);
    // On an item, the platform's own menu for the selected items (or the item
    // clicked when it is not among them); false when there is none to show.
    static bool showPlatformMenu(IconPanel *panel, QPoint viewportPosition);

private:
    static void addItemEntries(QMenu *menu, IconPanel *panel, QPoint viewportPosition);
    static void addSortMenu(QMenu *menu, IconPanel *panel);
    static void addViewMenu(QMenu *menu, IconPanel *panel);
    static void addIconSizeMenu(QMenu *menu, IconPanel *panel);
};
