#include "TestEnvironment.h"

#include "PrivateBus.h"
#include "base/AppIdentity.h"

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
    AppIdentity::apply();
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
        m_bus.reset();
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
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1String("/brim-vale/brim-vale");
}

QString TestEnvironment::settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1String("/brim-vale/brim-vale.conf");
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
    const bool written =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
    return written ? path : QString();
}

QByteArray TestEnvironment::readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString TestEnvironment::startSessionBus()
{
    if (!m_bus) {
        auto bus = std::make_unique<PrivateBus>();
        if (!bus->isRunning())
            return {};
        m_bus = std::move(bus);
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toUtf8());
    }
    return m_bus->address();
}
