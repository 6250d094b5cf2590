#pragma once

#include <QByteArray>
#include <QList>

#include <windows.h>

// The shell's own context menu for items, with every handler the user has
// installed, shown at the mouse cursor for an owner window.
namespace ShellContextMenu {

// Shows the menu for the items (handles as ShellIds::fromHandle reads them,
// all in one folder) and runs the command chosen. True when the menu was
// shown, chosen or not; false when the shell gives no menu for the items.
bool show(HWND owner, const QList<QByteArray> &items);

} // namespace ShellContextMenu
