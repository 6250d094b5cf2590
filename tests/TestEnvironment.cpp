#include "TestEnvironment.h"

#include "base/AppIdentity.h"
#include "base/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString outerTempPath()
{
    static const QString path = QDir::tempPath();
    return path;
}

} // namespace

TestEnvironment::TestEnvironment()
    : m_dir(outerTempPath() + QLatin1String("/larkspan-test-XXXXXX"))
{
    QStandardPaths::setTestModeEnabled(true);
    AppIdentity::apply();
    const QString root = m_dir.path();
    // Everything an environment points elsewhere, and puts back when it ends. No
    // session bus: tests keep away from the one the developer's shell may point at.
    const std::pair<const char *, QString> changed[] = {
        {"HOME", root},
        {"TMPDIR", root + QLatin1String("/tmp")},
        {"TMP", root + QLatin1String("/tmp")},
        {"TEMP", root + QLatin1String("/tmp")},
        {"XDG_CONFIG_HOME", root + QLatin1String("/.config")},
        {"XDG_DATA_HOME", root + QLatin1String("/.local/share")},
        {"XDG_CACHE_HOME", root + QLatin1String("/.cache")},
        {"XDG_RUNTIME_DIR", runtimeDir()},
        {"DBUS_SESSION_BUS_ADDRESS", QString()}};
    for (const auto &[name, value] : changed) {
        m_saved.insert(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    QDir().mkpath(root + QLatin1String("/tmp"));
    QDir().mkpath(runtimeDir());
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir().mkpath(desktop());
    // Where the test-mode folders do not follow HOME (Windows puts them in the
    // user's AppData, under "qttest"), each environment starts them empty.
    for (const auto location : {QStandardPaths::GenericConfigLocation, QStandardPaths::GenericDataLocation,
                                QStandardPaths::GenericCacheLocation}) {
        const QString path = QStandardPaths::writableLocation(location);
        if (!path.startsWith(root) && path.contains(QLatin1String("/qttest")))
            QDir(path).removeRecursively();
    }
}

TestEnvironment::~TestEnvironment()
{
    m_bus.reset();
    // What the test set in its last turn belongs in its own settings file, not
    // in the next test's (on Windows the two have the same path).
    Settings::instance()->flush();
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

QString TestEnvironment::writeFile(const QString &relativePath, const QByteArray &content,
                                   bool executable) const
{
    const QString path = QDir(m_dir.path()).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(content) == content.size() &&
                         (!executable || file.setPermissions(file.permissions() | QFile::ExeOwner));
    return written ? path : QString();
}

QByteArray TestEnvironment::readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestEnvironment::makesSymbolicLinks()
{
    static const bool links = [] {
        const QTemporaryDir dir(outerTempPath() + QLatin1String("/larkspan-link-XXXXXX"));
        const QString link = dir.filePath(QStringLiteral("link"));
        return QFile::link(dir.filePath(QStringLiteral("nowhere")), link) && QFileInfo(link).isSymbolicLink();
    }();
    return links;
}

QByteArray TestEnvironment::startXvfb(QProcess &server)
{
    server.start(QStandardPaths::findExecutable(QStringLiteral("Xvfb")),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                  QStringLiteral("320x240x24")});
    return server.waitForReadyRead(5000) ? ':' + server.readLine().trimmed() : QByteArray();
}
