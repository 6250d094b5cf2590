#include "shell/Platform.h"
#include "shell/freedesktop/FlockInstanceLock.h"
#include "shell/freedesktop/FreedesktopCompositorWatch.h"
#include "shell/freedesktop/FreedesktopDesktopClickWatcher.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"
#include "shell/freedesktop/FreedesktopFileTransfer.h"
#include "shell/freedesktop/FreedesktopIconSource.h"
#include "shell/freedesktop/FreedesktopIconSwitch.h"
#include "shell/freedesktop/FreedesktopItemActions.h"
#include "shell/freedesktop/FreedesktopWindowStacking.h"
#include "shell/freedesktop/OwnEnvironment.h"
#include "shell/freedesktop/UnixSignalWatcher.h"
#include "shell/freedesktop/XdgAutostartEntry.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QStandardPaths>

#include <malloc.h>
#include <xcb/xcb.h>

namespace {

// The desktop folder as read ahead, until the first source takes it.
std::future<FolderListing> &earlyListing()
{
    static std::future<FolderListing> listing;
    return listing;
}

} // namespace

namespace Platform {

void prepareEnvironment()
{
    // Global window positions and stacking exist only on X11; under a Wayland
    // session the program runs through XWayland unless the user chose otherwise.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        OwnEnvironment::set("QT_QPA_PLATFORM", "xcb");
    // glibc gives every thread that allocates a heap of its own, which keeps
    // what the icon worker, D-Bus and the network threads once used resident
    // for good. The threads allocate little and seldom at the same time: one
    // shared heap keeps the resident set some 1.5 MB smaller.
    mallopt(M_ARENA_MAX, 1);
    // Every reload of a crowded desktop builds its lists anew beside the old
    // ones. glibc raises its threshold for giving large blocks their own
    // mappings each time such a block is freed, so later lists land in the
    // heap, and the heap's high-water mark stays resident: the program grew
    // in steps over half an hour of churn. Fixed thresholds give large blocks
    // back when freed and trim the heap's top, and the start is some 5 MB
    // smaller on a 10,000-item desktop.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024);
    // Qt matches the file type patterns that are more than a suffix by making
    // a regular expression for each file it looks up, and it would compile each
    // one to machine code to match it once. Interpreting them is as quick for
    // that, and leaves PCRE's compiler unloaded: some 0.3 MB less resident.
    // A user's own choice stands.
    if (!qEnvironmentVariableIsSet("QT_ENABLE_REGEXP_JIT"))
        OwnEnvironment::set("QT_ENABLE_REGEXP_JIT", "0");
}

bool displayAvailable()
{
    // Qt's X11 platform ends the process with an abort when it cannot open its
    // display: over SSH, in a script, in a Wayland session without XWayland.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return false;
    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const bool opened = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return opened;
}

std::unique_ptr<InstanceLock> createInstanceLock(const QString &key)
{
    return std::make_unique<FlockInstanceLock>(key);
}

void startReadingDesktop()
{
    const QString folder = FreedesktopDesktopSource::userDesktopFolder();
    if (!folder.isEmpty())
        earlyListing() = DesktopFolderReader::start(folder);
}

std::unique_ptr<DesktopSource> createDesktopSource()
{
    auto source = std::make_unique<FreedesktopDesktopSource>();
    source->useEarlyListing(std::exchange(earlyListing(), {}));
    return source;
}

std::unique_ptr<DesktopSource> createFolderSource(const QByteArray &folderPath)
{
    return FreedesktopDesktopSource::forFolder(folderPath);
}

std::unique_ptr<IconSource> createIconSource()
{
    return std::make_unique<FreedesktopIconSource>(IconTheme::userThemeName());
}

std::unique_ptr<ItemActions> createItemActions()
{
    return std::make_unique<FreedesktopItemActions>();
}

SessionEndWatcher *createSessionEndWatcher(QObject *parent)
{
    return new UnixSignalWatcher(parent);
}

std::unique_ptr<DesktopIconSwitch> createDesktopIconSwitch()
{
    return FreedesktopIconSwitch::forThisSession();
}

CompositorWatch *createCompositorWatch(QObject *parent)
{
    // Qt's X11 connection names the display it uses; other platforms have no
    // compositing-manager selection to follow.
    const bool onX11 = qGuiApp && qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return new FreedesktopCompositorWatch(onX11 ? qgetenv("DISPLAY") : QByteArray(), parent);
}

WindowStacking *createWindowStacking(QObject *parent)
{
    // Stacking of other programs' windows can only be seen and changed on X11.
    const bool onX11 = qGuiApp && qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return new FreedesktopWindowStacking(onX11 ? qgetenv("DISPLAY") : QByteArray(), parent);
}

DesktopClickWatcher *createDesktopClickWatcher(QObject *parent)
{
    // Clicks on other programs' windows can only be seen on X11.
    const bool onX11 = qGuiApp && qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return new FreedesktopDesktopClickWatcher(onX11 ? qgetenv("DISPLAY") : QByteArray(), parent);
}

FileTransfer *createFileTransfer(QObject *parent)
{
    return new FreedesktopFileTransfer(parent);
}

std::unique_ptr<AutostartEntry> createAutostartEntry()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QLatin1StringView("/autostart");
    return std::make_unique<XdgAutostartEntry>(folder, QCoreApplication::applicationFilePath());
}

QIcon windowIcon(const QIcon &appIcon)
{
    // X11 sends every size of a window icon along with each window
    // (_NET_WM_ICON), and window managers read it before mapping the window;
    // they and taskbars draw 16 to 64 px. Menus and launchers take the larger
    // sizes from the installed icon theme instead.
    constexpr int largestDrawn = 64;
    QIcon icon;
    const QList<QSize> sizes = appIcon.availableSizes();
    for (const QSize &size : sizes) {
        if (size.width() <= largestDrawn && size.height() <= largestDrawn)
            icon.addPixmap(appIcon.pixmap(size));
    }
    return icon.isNull() ? appIcon : icon;
}

const PlatformLook::Words &words()
{
    // There is no "Windows" to start with: the session starts the program.
    static const PlatformLook::Words linuxWords{
        QT_TRANSLATE_NOOP("Brimvale", "Start at sign-in"),
        QT_TRANSLATE_NOOP("Brimvale", "Larkspan starts at sign-in"),
        QT_TRANSLATE_NOOP("Brimvale", "Could not change this"),
        QT_TRANSLATE_NOOP("Brimvale", "The session would not let this program change startup at sign-in."),
        // Its own text: "System" alone is also the name of a panel.
        QT_TRANSLATE_NOOP("Brimvale", "System language"),
        QT_TRANSLATE_NOOP("Brimvale", "Larkspan needs an X11 or XWayland display, and none could be opened."),
    };
    return linuxWords;
}

PlatformLook look(const QIcon &appIcon)
{
    return {words(), windowIcon(appIcon)};
}

} // namespace Platform
