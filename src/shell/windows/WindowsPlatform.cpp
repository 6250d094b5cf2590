#include "shell/Platform.h"
#include "shell/windows/RegistryRunKey.h"
#include "shell/windows/Win32DesktopShell.h"
#include "shell/windows/WindowsAutostartEntry.h"
#include "shell/windows/WindowsCompositorWatch.h"
#include "shell/windows/WindowsDesktopClickWatcher.h"
#include "shell/windows/WindowsIconSwitch.h"
#include "shell/windows/WindowsInstanceLock.h"
#include "shell/windows/WindowsSessionEndWatcher.h"
#include "shell/windows/WindowsWindowStacking.h"

#include <QCoreApplication>
#include <QIcon>

// The session's side of the Windows backend; the desktop's items are read,
// drawn and acted on in WindowsPlatformItems.cpp.
namespace Platform {

void prepareEnvironment()
{
    // Qt scales by the monitor's own factor on Windows already; nothing here
    // needs to change before the application exists.
}

bool displayAvailable()
{
    // A Windows process always has its session's desktop to draw on.
    return true;
}

std::unique_ptr<InstanceLock> createInstanceLock(const QString &key)
{
    return std::make_unique<WindowsInstanceLock>(key);
}

SessionEndWatcher *createSessionEndWatcher(QObject *parent)
{
    return new WindowsSessionEndWatcher(parent);
}

std::unique_ptr<DesktopIconSwitch> createDesktopIconSwitch()
{
    return std::make_unique<WindowsIconSwitch>(std::make_unique<Win32DesktopShell>());
}

CompositorWatch *createCompositorWatch(QObject *parent)
{
    return new WindowsCompositorWatch(parent);
}

WindowStacking *createWindowStacking(QObject *parent)
{
    return new WindowsWindowStacking(std::make_unique<Win32DesktopShell>(), parent);
}

DesktopClickWatcher *createDesktopClickWatcher(QObject *parent)
{
    return new WindowsDesktopClickWatcher(std::make_unique<Win32DesktopShell>(), parent);
}

std::unique_ptr<AutostartEntry> createAutostartEntry()
{
    return std::make_unique<WindowsAutostartEntry>(std::make_unique<RegistryRunKey>(),
                                                   QCoreApplication::applicationFilePath());
}

QIcon windowIcon(const QIcon &appIcon)
{
    // Windows picks the size it draws (16 to 256 px for the task switcher)
    // from the icon itself, and copies it once per window class.
    return appIcon;
}

const PlatformLook::Words &words()
{
    static const PlatformLook::Words windowsWords{
        QT_TRANSLATE_NOOP("Brimvale", "Start with Windows"),
        QT_TRANSLATE_NOOP("Brimvale", "Larkspan starts with Windows"),
        QT_TRANSLATE_NOOP("Brimvale", "Could not change this"),
        QT_TRANSLATE_NOOP("Brimvale", "Windows would not let this program change startup at sign-in."),
        QT_TRANSLATE_NOOP("Brimvale", "Follow Windows"),
        // Nothing to say: a Windows process always has its session's desktop.
        nullptr,
    };
    return windowsWords;
}

PlatformLook look(const QIcon &appIcon)
{
    return {words(), windowIcon(appIcon)};
}

} // namespace Platform
