#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

TestEnvironment::TestEnvironment()
    : m_savedHome(qgetenv("HOME"))
    , m_savedTmpDir(qgetenv("TMPDIR"))
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("brim-vale"));
    QCoreApplication::setApplicationName(QStringLiteral("brim-vale"));
    const QString root = m_dir.path();
    qputenv("HOME", QFile::encodeName(root));
    qputenv("TMPDIR", QFile::encodeName(root + QLatin1String("/tmp")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QLatin1String("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QLatin1String("/.local/share")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QLatin1String("/.cache")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir()));
    // Keep tests away from any session bus the developer's shell may point at.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QDir().mkpath(root + QLatin1String("/tmp"));
    QDir().mkpath(runtimeDir());
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir().mkpath(desktop());
}

TestEnvironment::~TestEnvironment()
{
    if (m_bus) {
        m_bus->kill();
        m_bus->waitForFinished();
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    qputenv("HOME", m_savedHome);
    if (m_savedTmpDir.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", m_savedTmpDir);
}

QString TestEnvironment::desktop() const
{
    return m_dir.path() + QLatin1String("/Desktop");
}

QString TestEnvironment::appConfigDir() const
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString TestEnvironment::runtimeDir() const
{
    return m_dir.path() + QLatin1String("/run");
}

QString TestEnvironment::writeFile(const QString &relativePath, const QByteArray &content) const
{
    const QString path = QDir(m_dir.path()).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return path;
}

QString TestEnvironment::startSessionBus()
{
    if (m_bus)
        return qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    // The system's session configuration would add the installed service
    // folders; this one listens in the private runtime folder and nothing else.
    const QString config =
        writeFile(QStringLiteral("bus.conf"),
                  "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                  " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                  "<busconfig>\n"
                  "  <type>session</type>\n"
                  "  <listen>unix:dir=" +
                      QFile::encodeName(runtimeDir()) +
                      "</listen>\n"
                      "  <auth>EXTERNAL</auth>\n"
                      "  <policy context=\"default\">\n"
                      "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                      "    <allow eavesdrop=\"true\"/>\n"
                      "    <allow own=\"*\"/>\n"
                      "  </policy>\n"
                      "</busconfig>\n");
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        return {};
    m_bus = std::make_unique<QProcess>();
    m_bus->start(daemon, {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                          QStringLiteral("--print-address=1")});
    if (!m_bus->waitForReadyRead(5000)) {
        m_bus.reset();
        return {};
    }
    const QByteArray address = m_bus->readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    return QString::fromUtf8(address);
}
