#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

TestEnvironment::TestEnvironment()
    : m_savedHome(qgetenv("HOME"))
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("brim-vale"));
    QCoreApplication::setApplicationName(QStringLiteral("brim-vale"));
    const QString root = m_dir.path();
    qputenv("HOME", QFile::encodeName(root));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QLatin1String("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QLatin1String("/.local/share")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QLatin1String("/.cache")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + QLatin1String("/run")));
    // Keep tests away from any session bus the developer's shell may point at.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QDir().mkpath(root + QLatin1String("/run"));
    QDir().mkpath(desktop());
}

TestEnvironment::~TestEnvironment()
{
    qputenv("HOME", m_savedHome);
}

QString TestEnvironment::desktop() const
{
    return m_dir.path() + QLatin1String("/Desktop");
}

QString TestEnvironment::appConfigDir() const
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
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
