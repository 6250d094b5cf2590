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
#include <QTimer>

#include <unistd.h>

namespace {

const QString process = QStringLiteral("pcmanfm-qt");
const QString service = QStringLiteral("org.pcmanfm.PCManFM");
// pcmanfm-qt saves its settings and ends within a moment; a start registers its
// name as soon as its event loop runs.
constexpr int endWaitMs = 3000;
constexpr int startWaitMs = 5000;
constexpr int callTimeoutMs = 2000;
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

// Asked without waiting for the answer: the caller follows it.
QDBusPendingCall setDesktopManager(bool enabled)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/Application"),
                                                       QStringLiteral("org.pcmanfm.Application"),
                                                       QStringLiteral("desktopManager"));
    call << enabled;
    return QDBusConnection::sessionBus().asyncCall(call, callTimeoutMs);
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

std::optional<QByteArray> storedPrevious()
{
    const QString stored = Settings::instance()->value(SettingsKeys::shellPcmanfmHideItems).toString();
    if (stored.startsWith(QLatin1Char('=')))
        return stored.mid(1).toUtf8();
    return std::nullopt;
}

bool write(const QString &path, const std::optional<QByteArray> &value)
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

PcmanfmIconSwitch::PcmanfmIconSwitch()
    : m_timer(std::make_unique<QTimer>())
{
    m_timer->setInterval(pollMs);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { step(); });
}

PcmanfmIconSwitch::~PcmanfmIconSwitch() = default;

void PcmanfmIconSwitch::step()
{
    if (!m_relaunch)
        return;
    Relaunch &relaunch = *m_relaunch;
    switch (relaunch.stage) {
    case Stage::Asked:
        if (!relaunch.call.isFinished())
            return;
        if (relaunch.call.isError())
            return conclude(false);
        relaunch.stage = Stage::Ending;
        relaunch.deadline.setRemainingTime(endWaitMs);
        [[fallthrough]];
    case Stage::Ending:
        if (ended(relaunch.desktop.pid) && !serviceRegistered())
            break;
        if (relaunch.deadline.hasExpired()) {
            // A file-manager window keeps the process, and with it the settings
            // it read at its start: give its desktop back untouched.
            relaunch.call = setDesktopManager(true);
            relaunch.stage = Stage::TurningBackOn;
            m_refusedPid = relaunch.desktop.pid;
        }
        return;
    case Stage::Starting:
        if (serviceRegistered() || relaunch.deadline.hasExpired())
            conclude(relaunch.written);
        return;
    case Stage::TurningBackOn:
        if (relaunch.call.isFinished())
            conclude(false);
        return;
    }
    // Written after it ended, since it saves its own settings on the way out.
    const Desktop &desktop = relaunch.desktop;
    relaunch.written = write(desktop.settingsPath, relaunch.value);
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
        return conclude(false);
    relaunch.stage = Stage::Starting;
    relaunch.deadline.setRemainingTime(startWaitMs);
}

void PcmanfmIconSwitch::conclude(bool ok)
{
    m_timer->stop();
    Relaunch relaunch = std::move(*m_relaunch);
    m_relaunch.reset();
    Settings *settings = Settings::instance();
    if (relaunch.hiding && !ok && !iconsHiddenNow()) {
        settings->remove(SettingsKeys::shellPcmanfmHideItems);
        settings->remove(SettingsKeys::shellIconsHiddenByUs);
    } else if (!relaunch.hiding && ok) {
        settings->remove(SettingsKeys::shellPcmanfmHideItems);
    }
    relaunch.done(ok);
}

void PcmanfmIconSwitch::toggleLater(Done done)
{
    const std::optional<Desktop> desktop = find();
    if (m_relaunch || !desktop || desktop->pid == m_refusedPid || desktop->arguments.isEmpty())
        return done(false);
    m_lastPath = desktop->settingsPath;
    const SafeFile::Result file = SafeFile::read(desktop->settingsPath, SafeFile::textCap);
    if (!file.ok() && file.status != SafeFile::Status::Missing)
        return done(false);
    const std::optional<QByteArray> current = PcmanfmSettings::hideItems(file.data);
    const bool hiding = !PcmanfmSettings::hides(current);
    if (hiding) {
        // Kept before anything changes, so that a kill at any point still
        // leaves it for the next run. The restart takes a moment, in which a
        // kill would otherwise leave the items hidden with nobody owning them.
        Settings *settings = Settings::instance();
        settings->setValue(SettingsKeys::shellPcmanfmHideItems,
                           current ? QLatin1Char('=') + QString::fromUtf8(*current) : absent);
        settings->setValueNow(SettingsKeys::shellIconsHiddenByUs, true); // both written before going on
    }
    // Nothing kept when showing (the icons were hidden by someone else's hand
    // after a lost record): pcmanfm-qt's own default shows them.
    Relaunch &relaunch = m_relaunch.emplace();
    relaunch.desktop = *desktop;
    relaunch.value = hiding ? std::optional(QByteArrayLiteral("true")) : storedPrevious();
    relaunch.hiding = hiding;
    relaunch.done = std::move(done);
    relaunch.call = setDesktopManager(false);
    m_timer->start();
}

void PcmanfmIconSwitch::finish(QDeadlineTimer deadline)
{
    while (m_relaunch && !deadline.hasExpired()) {
        // Each answer waited for is bounded by its call's own timeout.
        const Stage stage = m_relaunch->stage;
        if (stage == Stage::Asked || stage == Stage::TurningBackOn)
            m_relaunch->call.waitForFinished();
        else
            QThread::msleep(pollMs);
        step();
    }
}

bool PcmanfmIconSwitch::toggle()
{
    std::optional<bool> toggled;
    toggleLater([&toggled](bool ok) { toggled = ok; });
    finish(QDeadlineTimer::Forever);
    return toggled.value_or(false);
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
