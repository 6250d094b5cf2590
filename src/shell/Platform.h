#pragma once

#include <memory>

class CompositorWatch;
class DesktopIconSwitch;
class DesktopSource;
class IconSource;
class ItemActions;
class QObject;
class SessionEndWatcher;
class WindowStacking;

// The one place where the platform's implementations are chosen; the build
// links exactly one implementation of these functions.
namespace Platform {

// Adjusts the process environment before the application object exists.
void prepareEnvironment();

std::unique_ptr<DesktopSource> createDesktopSource();

// The icon worker's source. Called on the GUI thread, which may read platform
// state (the user's icon theme) that the worker then receives as plain values.
std::unique_ptr<IconSource> createIconSource();

std::unique_ptr<ItemActions> createItemActions();

SessionEndWatcher *createSessionEndWatcher(QObject *parent);

// The running desktop's own switch for showing its icons.
std::unique_ptr<DesktopIconSwitch> createDesktopIconSwitch();

// Follows whether a compositing manager runs; never active where the platform
// cannot tell (no X11 display).
CompositorWatch *createCompositorWatch(QObject *parent);

// The window manager's stacking of client windows; never available where the
// platform has none to ask (no X11 display, no window manager).
WindowStacking *createWindowStacking(QObject *parent);

} // namespace Platform
