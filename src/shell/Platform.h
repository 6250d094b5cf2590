#pragma once

#include "shell/PlatformLook.h"

#include <memory>

class AutostartEntry;
class QByteArray;
class CompositorWatch;
class DesktopClickWatcher;
class DesktopIconSwitch;
class DesktopSource;
class FileTransfer;
class IconSource;
class InstanceLock;
class ItemActions;
class QObject;
class QString;
class SessionEndWatcher;
class WindowStacking;

// The one place where the platform's implementations are chosen: the program
// links exactly one backend library implementing these functions (the layers
// below the program link none and are handed what they need).
namespace Platform {

// Adjusts the process environment before the application object exists.
void prepareEnvironment();

// Whether the windowing system the program needs can be reached (true as well
// when the user chose a platform of their own). Asked after prepareEnvironment
// and before the application object, which would otherwise abort the process.
bool displayAvailable();

// The lock that lets one instance run per user session, named by key.
std::unique_ptr<InstanceLock> createInstanceLock(const QString &key);

// Starts reading the desktop folder on a thread of its own, so that on a
// crowded desktop the reading overlaps the application's start-up; the first
// source made afterwards takes what was read. Call before the application object.
void startReadingDesktop();

std::unique_ptr<DesktopSource> createDesktopSource();

// The items of another folder (a folder panel's), named by its exact bytes,
// listed and watched as the desktop's are, without the desktop's virtual items.
std::unique_ptr<DesktopSource> createFolderSource(const QByteArray &folderPath);

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
// Double-clicks on the bare desktop; never told of where the platform cannot
// see clicks on the desktop (no X11 display).
DesktopClickWatcher *createDesktopClickWatcher(QObject *parent);

// A transfer of files into a folder, off the GUI thread; one per drop.
FileTransfer *createFileTransfer(QObject *parent);

// The program's own entry among the programs the session starts at sign-in.
std::unique_ptr<AutostartEntry> createAutostartEntry();

// The window icon handed to the window system, made from the application icon.
// Only the sizes the platform's window managers and taskbars draw: every window
// carries its own copy, and larger sizes only slow down mapping each window.
QIcon windowIcon(const QIcon &appIcon);

// The words for things the platform names its own way.
const PlatformLook::Words &words();

// The words and the window icon made from the application icon, for the windows.
PlatformLook look(const QIcon &appIcon);

} // namespace Platform
