#include "AppIdentity.h"

#include "base/Version.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace AppIdentity {

namespace {

QString configFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           QString::fromUtf16(storedName);
}

} // namespace

void apply()
{
    // No organisation name: nothing reads it once the paths are pinned, and a
    // path Qt derived on its own would then stand out instead of passing for ours.
    QCoreApplication::setApplicationName(QString::fromUtf16(displayName));
    QCoreApplication::setApplicationVersion(QStringLiteral(LARKSPAN_VERSION_STRING));
}

QString settingsFile()
{
    return configFolder() + QLatin1Char('/') + QString::fromUtf16(storedName) + QLatin1String(".conf");
}

QString dataFolder()
{
    return configFolder() + QLatin1Char('/') + QString::fromUtf16(storedName);
}

QString dataFile(const QString &name)
{
    return dataFolder() + QLatin1Char('/') + name;
}

QString layoutFile()
{
    return dataFile(QStringLiteral("panels.json"));
}

QString todoFile()
{
    return dataFile(QStringLiteral("todo.json"));
}

} // namespace AppIdentity
