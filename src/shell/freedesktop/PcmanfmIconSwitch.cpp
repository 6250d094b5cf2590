#include "shell/freedesktop/PcmanfmIconSwitch.h"

#include "base/AtomicSave.h"
#include "base/SafeFile.h"
#include "base/Settings.h"
#include "shell/freedesktop/PcmanfmSettings.h"
#include "shell/freedesktop/SessionProcesses.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <functional>
#include <unistd.h>

namespace {

const QString process = QStringLiteral("pcmanfm-qt");
const QString service = QStringLiteral("org.pcmanfm.PCManFM");
// pcmanfm-qt saves its settings and ends within a moment; a start registers its
// name as soon as its event loop runs.
constexpr int endWaitMs = 3000;
constexpr int startWaitMs = 5000;
constexpr int pollMs = 50;
constexpr qint64 procCap = 1024 * 1024;

// What the stored previous value says: "=<value>" for a value, "-" for none.
const QString absent = QStringLiteral("-");

bool serviceRegistered()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(service);
    return registered.isValid() && registered.value();
}

bool setDesktopManager(bool enabled)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/Application"),
                                                       QStringLiteral("org.pcmanfm.Application"),
                                                       QStringLiteral("desktopManager"));
    call << enabled;
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
}

QList<QByteArray> nulSeparated(const QString &path)
{
    const SafeFile::Result file = SafeFile::read(path, procCap);
    QList<QByteArray> parts = file.ok() ? file.data.split('\0') : QList<QByteArray>();
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    return parts;
}

// A process that has ended (or is a zombie) has no command line.
bool ended(qint64 pid)
{
    return nulSeparated(QStringLiteral("/proc/%1/cmdline").arg(pid)).isEmpty();
}

bool waitUntil(const std::function<bool()> &done, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(pollMs);
    }
    return true;
}

std::optional<QByteArray> storedPrevious()
{
    const QString stored = Settings::instance()->value(SettingsKeys::shellPcmanfmHideItems).toString();
    if (stored.startsWith(QLatin1Char('=')))
        return stored.mid(1).toUtf8();
    return std::nullopt;
}

} // namespace

std::optional<PcmanfmIconSwitch::Desktop> PcmanfmIconSwitch::find()
{
    const SessionProcesses::Environment own = SessionProcesses::own();
    for (const SessionProcesses::Process &candidate : SessionProcesses::read({process})) {
        if (!candidate.environment || !SessionProcesses::sameSession(own, *candidate.environment))
            continue;
        const QString proc = QStringLiteral("/proc/%1/").arg(candidate.pid);
        Desktop desktop;
        desktop.pid = candidate.pid;
        for (const QByteArray &argument : nulSeparated(proc + QLatin1String("cmdline")))
            desktop.arguments.append(QString::fromLocal8Bit(argument));
        if (!desktop.arguments.contains(QLatin1String("--desktop")))
            continue; // a file manager alone draws no desktop
        for (const QByteArray &entry : nulSeparated(proc + QLatin1String("environ"))) {
            const qsizetype equals = entry.indexOf('=');
            if (equals > 0)
                desktop.environment.insert(QString::fromLocal8Bit(entry.left(equals)),
                                           QString::fromLocal8Bit(entry.mid(equals + 1)));
        }
        desktop.workingDirectory = QFileInfo(proc + QLatin1String("cwd")).symLinkTarget();
        desktop.settingsPath =
            PcmanfmSettings::filePath(desktop.arguments, desktop.environment, ::geteuid() == 0);
        return desktop;
    }
    return std::nullopt;
}

bool PcmanfmIconSwitch::isReachable()
{
    return serviceRegistered() && find().has_value();
}

QString PcmanfmIconSwitch::settingsPath()
{
    if (const std::optional<Desktop> desktop = find())
        m_lastPath = desktop->settingsPath;
    return m_lastPath;
}

bool PcmanfmIconSwitch::iconsHiddenNow()
{
    const QString path = settingsPath();
    const SafeFile::Result file =
        path.isEmpty() ? SafeFile::Result() : SafeFile::read(path, SafeFile::textCap);
    return file.ok() && PcmanfmSettings::hides(PcmanfmSettings::hideItems(file.data));
}

bool PcmanfmIconSwitch::write(const QString &path, const std::optional<QByteArray> &value) const
{
    // Only a regular file (or none yet) is the user's settings; a link is
    // written through to its target so that it stays a link.
    const SafeFile::Result file = SafeFile::read(path, SafeFile::textCap);
    if (!file.ok() && file.status != SafeFile::Status::Missing)
        return false;
    const QString target = file.ok() ? QFileInfo(path).canonicalFilePath() : path;
    if (file.ok() && PcmanfmSettings::hideItems(file.data) == value)
        return true;
    return bool(AtomicSave::save(target, PcmanfmSettings::withHideItems(file.data, value)));
}

bool PcmanfmIconSwitch::relaunch(const Desktop &desktop, const std::optional<QByteArray> &value)
{
    if (!setDesktopManager(false))
        return false;
    if (!waitUntil([&] { return ended(desktop.pid) && !serviceRegistered(); }, endWaitMs)) {
        // A file-manager window keeps the process, and with it the settings it
        // read at its start: give its desktop back untouched.
        setDesktopManager(true);
        m_refusedPid = desktop.pid;
        return false;
    }
    // Written after it ended, since it saves its own settings on the way out.
    const bool written = write(desktop.settingsPath, value);
    QProcess start;
    start.setProgram(desktop.arguments.first());
    start.setArguments(desktop.arguments.mid(1));
    QProcessEnvironment environment;
    for (auto it = desktop.environment.cbegin(); it != desktop.environment.cend(); ++it)
        environment.insert(it.key(), it.value());
    start.setProcessEnvironment(environment);
    start.setWorkingDirectory(desktop.workingDirectory);
    start.setStandardOutputFile(QProcess::nullDevice());
    start.setStandardErrorFile(QProcess::nullDevice());
    // Started either way: the user's desktop must come back even when the file
    // could not be written.
    if (!start.startDetached())
        return false;
    waitUntil(&serviceRegistered, startWaitMs);
    return written;
}

bool PcmanfmIconSwitch::toggle()
{
    const std::optional<Desktop> desktop = find();
    if (!desktop || desktop->pid == m_refusedPid || desktop->arguments.isEmpty())
        return false;
    m_lastPath = desktop->settingsPath;
    const SafeFile::Result file = SafeFile::read(desktop->settingsPath, SafeFile::textCap);
    if (!file.ok() && file.status != SafeFile::Status::Missing)
        return false;
    const std::optional<QByteArray> current = PcmanfmSettings::hideItems(file.data);
    Settings *settings = Settings::instance();
    if (!PcmanfmSettings::hides(current)) {
        // Kept before anything changes, so that a kill at any point still
        // leaves it for the next run. The restart takes a moment, in which a
        // kill would otherwise leave the items hidden with nobody owning them.
        settings->setValue(SettingsKeys::shellPcmanfmHideItems,
                           current ? QLatin1Char('=') + QString::fromUtf8(*current) : absent);
        settings->setValue(SettingsKeys::shellIconsHiddenByUs, true);
        if (relaunch(*desktop, QByteArrayLiteral("true")))
            return true;
        if (!iconsHiddenNow()) {
            settings->remove(SettingsKeys::shellPcmanfmHideItems);
            settings->remove(SettingsKeys::shellIconsHiddenByUs);
        }
        return false;
    }
    // Nothing kept (the icons were hidden by someone else's hand after a lost
    // record): pcmanfm-qt's own default shows them.
    if (!relaunch(*desktop, storedPrevious()))
        return false;
    settings->remove(SettingsKeys::shellPcmanfmHideItems);
    return true;
}

bool PcmanfmIconSwitch::showDirectly()
{
    // The file alone: the desktop shows its items again at its next start.
    const QString path = settingsPath();
    if (path.isEmpty() || !write(path, storedPrevious()))
        return false;
    Settings::instance()->remove(SettingsKeys::shellPcmanfmHideItems);
    return true;
}
