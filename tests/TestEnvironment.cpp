#include "TestEnvironment.h"

#include "PrivateBus.h"
#include "base/AppIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Everything an environment points elsewhere, and puts back when it ends.
constexpr const char *changedVariables[] = {
    "HOME",           "TMPDIR",          "XDG_CONFIG_HOME",         "XDG_DATA_HOME",
    "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS"};

} // namespace

TestEnvironment::TestEnvironment()
{
    for (const char *name : changedVariables)
        m_saved.insert(QByteArray(name),
                       qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
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
    m_bus.reset();
    // A fixture that makes the next environment before dropping the last one
    // (`m_env = std::make_unique<...>()`) ends them out of order: the older one
    // must then leave the newer one's variables alone, or the test would go on
    // in the real HOME, shared with every other test running at the time.
    if (qgetenv("HOME") != QFile::encodeName(m_dir.path()))
        return;
    for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
        if (it.value())
            qputenv(it.key().constData(), *it.value());
        else
            qunsetenv(it.key().constData());
    }
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
