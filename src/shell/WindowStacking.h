#pragma once

#include <QList>
#include <QObject>
#include <qwindowdefs.h>

// The window manager's stacking of client windows, as far as the desktop layer
// needs it. Windows are named by their native ids; 0 is no window.
class WindowStacking : public QObject
{
    Q_OBJECT

public:
    // Where the window manager keeps a window relative to ordinary windows.
    enum class Layer
    {
        Normal,
        KeepBelow,
        KeepAbove
    };

    using QObject::QObject;
    ~WindowStacking() override = default;

    // A window manager that stacks client windows runs.
    virtual bool isAvailable() const = 0;
    // The window manager keeps windows in the keep-below and keep-above layers;
    // without that, panels are ordinary windows among the applications'.
    virtual bool keepsLayers() const = 0;
    // The window system tells the program where its windows are. A Wayland
    // client never learns it: the compositor places its windows, and every
    // position the program reads back is made up.
    virtual bool knowsWindowPositions() const = 0;
    // Every client window, from the bottom up.
    virtual QList<WId> stackingOrder() const = 0;
    // The desktop's own window, the reference of the desktop layer; 0 when the
    // session has none (the bottom of the stack is the reference then).
    virtual WId desktopWindow() const = 0;
    // Really on screen: mapped, not minimised, on the current workspace.
    virtual bool isShown(WId window) const = 0;
    virtual Layer layer(WId window) const = 0;
    // The active window belongs to this process.
    virtual bool isOwnWindowActive() const = 0;

    virtual void setLayer(WId window, Layer layer) = 0;
    // Puts the window directly above the sibling, or at the bottom of its
    // layer when the sibling is 0. Nothing is moved, resized or activated.
    virtual void restackAbove(WId window, WId sibling) = 0;
    // Makes a window one of the desktop's panels: on every workspace, in no
    // taskbar, pager or window switcher, left alone when the desktop is shown,
    // in the given layer. Needed again whenever the native window is created
    // or mapped anew, since the window manager forgets a withdrawn window.
    virtual void preparePanel(WId window, Layer layer) = 0;
    // Returns once the window manager has carried out the requests made so far,
    // or after a short while when it does not answer.
    virtual void waitForWindowManager() = 0;

Q_SIGNALS:
    // A window of another program became the active window.
    void foregroundChanged();
};
