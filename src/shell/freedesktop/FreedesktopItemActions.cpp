#include "FreedesktopItemActions.h"

#include "base/VirtualItem.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"
#include "shell/freedesktop/GioLibrary.h"
#include "shell/freedesktop/LauncherFile.h"
#include "shell/freedesktop/OwnEnvironment.h"
#include "shell/freedesktop/Xfconf.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");
// A file manager that has to start first answers within this; a later answer counts as a refusal.
constexpr int propertiesTimeoutMs = 5000;

QString fileUri(const QByteArray &localPath)
{
    // From the exact bytes, so names that are not valid UTF-8 still name the file.
    gchar *uri = g_filename_to_uri(localPath.constData(), nullptr, nullptr);
    const QString result = uri ? QString::fromUtf8(uri) : QString();
    g_free(uri);
    return result;
}

// What a program the user opens starts with: the user's own environment, not
// what this program set for itself. Null when it set nothing, which GIO reads
// as this process's environment.
class LaunchContext
{
public:
    explicit LaunchContext(const GioLibrary *gio)
        : m_gio(gio)
    {
        const QList<OwnEnvironment::UserValue> values = OwnEnvironment::userValues();
        if (values.isEmpty())
            return;
        m_context = gio->appLaunchContextNew();
        for (const OwnEnvironment::UserValue &each : values) {
            if (each.wasSet)
                gio->appLaunchContextSetenv(m_context, each.name.constData(), each.value.constData());
            else
                gio->appLaunchContextUnsetenv(m_context, each.name.constData());
        }
    }
    ~LaunchContext()
    {
        if (m_context)
            m_gio->objectUnref(m_context);
    }
    LaunchContext(const LaunchContext &) = delete;
    LaunchContext &operator=(const LaunchContext &) = delete;

    GAppLaunchContext *get() const { return m_context; }

private:
    const GioLibrary *m_gio;
    GAppLaunchContext *m_context = nullptr;
};

bool launchDefault(const QString &uri)
{
    const GioLibrary *gio = GioLibrary::get();
    if (uri.isEmpty() || !gio)
        return false;
    GError *error = nullptr;
    const LaunchContext context(gio);
    const gboolean launched =
        gio->appInfoLaunchDefaultForUri(uri.toUtf8().constData(), context.get(), &error);
    g_clear_error(&error);
    return launched;
}

bool launchLauncher(const QByteArray &path)
{
    // Running an untrusted launcher would run whatever a downloaded file says.
    const GioLibrary *gio = GioLibrary::get();
    if (::access(path.constData(), X_OK) != 0 || !gio)
        return false;
    if (GDesktopAppInfo *app = gio->desktopAppInfoNewFromFilename(path.constData())) {
        GError *error = nullptr;
        const LaunchContext context(gio);
        // A desktop app info is an app info: the interface shares the instance.
        const gboolean launched =
            gio->appInfoLaunch(reinterpret_cast<GAppInfo *>(app), nullptr, context.get(), &error);
        g_clear_error(&error);
        gio->objectUnref(app);
        return launched;
    }
    // A link launcher points at a location rather than a program.
    const LauncherFile launcher = LauncherFile::read(path, QString());
    return launcher.valid && launcher.type == QLatin1String("Link") && launchDefault(launcher.url);
}

} // namespace

FreedesktopItemActions::FreedesktopItemActions()
    : m_pending(std::make_unique<QObject>())
{}

FreedesktopItemActions::FreedesktopItemActions(const QDBusConnection &bus)
    : m_bus(bus)
    , m_pending(std::make_unique<QObject>())
{}

FreedesktopItemActions::~FreedesktopItemActions() = default;

QString FreedesktopItemActions::itemUri(const QByteArray &pidl)
{
    if (VirtualItem::isVirtual(pidl)) {
        const QString parsingName = QString::fromUtf8(pidl);
        if (parsingName == FreedesktopDesktopSource::homeParsingName())
            return fileUri(QFile::encodeName(QDir::homePath()));
        if (parsingName == FreedesktopDesktopSource::computerParsingName())
            return QStringLiteral("computer:///");
        if (parsingName == FreedesktopDesktopSource::trashParsingName())
            return QStringLiteral("trash:///");
        return {};
    }
    return pidl.startsWith('/') ? fileUri(pidl) : QString();
}

bool FreedesktopItemActions::open(const QByteArray &pidl)
{
    const QString uri = itemUri(pidl);
    if (uri.isEmpty())
        return false;
    if (VirtualItem::isVirtual(pidl)) {
        if (launchDefault(uri))
            return true;
        // Without GVfs there are no computer:// and trash:// locations; the file
        // system's root and the trash's own folder are the next best thing.
        if (uri == QLatin1String("computer:///"))
            return launchDefault(QStringLiteral("file:///"));
        const QString trash = FreedesktopDesktopSource::trashFilesFolder();
        if (uri == QLatin1String("trash:///") && QFileInfo(trash).isDir())
            return launchDefault(fileUri(QFile::encodeName(trash)));
        return false;
    }
    struct stat info = {};
    if (::stat(pidl.constData(), &info) != 0)
        return false;
    if (S_ISREG(info.st_mode) && pidl.endsWith(".desktop"))
        return launchLauncher(pidl);
    return launchDefault(uri);
}

bool FreedesktopItemActions::invokeVerb(const QByteArray &pidl, const QString &verb, const Refused &refused)
{
    if (verb == QLatin1String("open"))
        return open(pidl);
    if (verb == QLatin1String("properties"))
        return showProperties(pidl, refused);
    return false;
}

bool FreedesktopItemActions::showProperties(const QByteArray &pidl, const Refused &refused)
{
    const QString uri = itemUri(pidl);
    if (uri.isEmpty())
        return false;
    // Never start a bus of our own just to find that no file manager is there.
    if (!m_bus && !Xfconf::sessionBusConfigured())
        return false;
    QDBusConnection bus = m_bus ? *m_bus : QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(fileManagerService, QStringLiteral("/org/freedesktop/FileManager1"),
                                       fileManagerService, QStringLiteral("ShowItemProperties"));
    call << QStringList{uri} << QString();
    // The answer is not waited for: a file manager that is slow to start or to
    // answer must not freeze the panels. Only the answer tells that it took the
    // request: one that is merely activatable may fail to start, and the bus
    // then answers with an error (or nothing at all).
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, propertiesTimeoutMs), m_pending.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [refused](QDBusPendingCallWatcher *answered) {
                         answered->deleteLater();
                         if (answered->isError() && refused)
                             refused();
                     });
    return true;
}
