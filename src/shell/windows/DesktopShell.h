#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <qwindowdefs.h>

// The few things the backend asks of the Windows shell and window manager,
// behind one small seam so that its policies (finding the desktop's view,
// keeping panels just above the desktop) can be tried against a made-up
// window tree. Windows are named by their handles; 0 is no window.
class DesktopShell
{
public:
    virtual ~DesktopShell() = default;

    // The shell's desktop window (GetShellWindow).
    virtual WId shellWindow() const = 0;
    // Every top-level window, from the top of the z-order down.
    virtual QList<WId> topLevelWindows() const = 0;
    // Every descendant window, in the order the system lists them.
    virtual QList<WId> childWindows(WId parent) const = 0;
    virtual QString className(WId window) const = 0;
    // Visible, not minimised, and not cloaked (on another virtual desktop).
    virtual bool isShown(WId window) const = 0;
    virtual bool isTopmost(WId window) const = 0;
    // The window directly above in the z-order, or 0.
    virtual WId windowAbove(WId window) const = 0;
    // The foreground window belongs to this process.
    virtual bool isOwnForeground() const = 0;
    // The top-level window under a point of the screen, or 0.
    virtual WId topLevelAt(const QPoint &point) const = 0;
    // The window all others descend from (GetDesktopWindow), which is what a
    // point shows where no program has a window.
    virtual WId rootWindow() const = 0;

    virtual void setTopmost(WId window, bool topmost) = 0;
    // Puts the window directly below another one (SetWindowPos's insert-after
    // window); 0 puts it at the top of the non-topmost windows. Nothing is
    // moved, resized or activated.
    virtual void placeBelow(WId window, WId other) = 0;
    // Puts the window at the bottom of the z-order.
    virtual void placeAtBottom(WId window) = 0;

    // Sends a menu command to a window and returns once it was handled.
    virtual void sendCommand(WId window, int command) = 0;
    // The shell's "hide desktop icons" state (SHELLSTATE's fHideIcons).
    virtual bool iconsHiddenSetting() const = 0;
    // Writes that state and tells the shell to draw the desktop anew.
    virtual void writeIconsHiddenSetting(bool hidden) = 0;
};
