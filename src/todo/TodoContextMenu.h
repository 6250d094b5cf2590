#pragma once

#include <QPoint>

#include <memory>

class QMenu;
class TodoPanel;

// The to-do panel's one context menu, wherever in a row it opens: "Copy" when
// text of a task is selected, "Always on top", then the clicked task's
// commands, then showing or hiding completed tasks. The task is held by a
// persistent index, so a list that changes while the menu is open never lets
// a command reach another task.
class TodoContextMenu
{
public:
    // Null when the menu would hold nothing.
    static std::unique_ptr<QMenu> create(TodoPanel *panel, QPoint viewportPosition);
};
