#include "base/Backups.h"

#include "base/AppIdentity.h"
#include "base/SafeFile.h"
#include "base/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace Backups {

namespace {

const QString stampFormat = QStringLiteral("yyyyMMdd-HHmmss");
const QLatin1StringView partialPrefix(".partial-");
// As large as any file of the program may grow.
constexpr qint64 fileCap = 64 * 1024 * 1024;

bool isBackupName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{8}-\\d{6}$"));
    return pattern.match(name).hasMatch();
}

QStringList backupNames(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    names.removeIf([](const QString &name) { return !isBackupName(name); });
    return names;
}

} // namespace

QString folder()
{
    return AppIdentity::dataFile(QStringLiteral("backups"));
}

QList<Source> sources()
{
    // The copy must hold what the last turn set.
    Settings::instance()->flush();
    QList<Source> result;
    for (const QString &path : {AppIdentity::layoutFile(), AppIdentity::todoFile(), Settings::filePath()})
        result.append({QFileInfo(path).fileName(), path});
    return result;
}

bool due(const QDateTime &newest, const QDateTime &now)
{
    return !newest.isValid() || newest.date() != now.date();
}

QStringList namesToDrop(QStringList names, int keep)
{
    names.removeIf([](const QString &name) { return !isBackupName(name); });
    // The names are their times: the oldest sort first.
    std::sort(names.begin(), names.end());
    names.removeDuplicates();
    return names.mid(0, std::max<qsizetype>(0, names.size() - keep));
}

QDateTime newest(const QString &folder)
{
    const QStringList names = backupNames(folder);
    if (names.isEmpty())
        return {};
    return QDateTime::fromString(*std::max_element(names.cbegin(), names.cend()), stampFormat);
}

bool make(const QString &folder, const QList<Source> &sources, const QDateTime &now, QString *error,
          const Writer &write)
{
    QDir dir(folder);
    QString name = now.toString(stampFormat);
    // Two backups within a second: the later one waits for the next free second.
    for (QDateTime next = now; dir.exists(name); name = next.toString(stampFormat))
        next = next.addSecs(1);
    // A partial backup found now was cut short by a kill (or is another display's
    // organiser's, whose backup then fails and leaves every backup as it was).
    const QStringList stale = dir.entryList({partialPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden);
    for (const QString &cut : stale)
        QDir(dir.filePath(cut)).removeRecursively();
    const QString partial = dir.filePath(partialPrefix + name);

    int copied = 0;
    for (const Source &source : sources) {
        const SafeFile::Result file = SafeFile::read(source.path, fileCap);
        if (!file.ok())
            continue;
        const AtomicSave::Result saved = write(partial + QLatin1Char('/') + source.name, file.data);
        if (!saved) {
            *error = saved.error;
            QDir(partial).removeRecursively();
            return false;
        }
        ++copied;
    }
    if (copied == 0) {
        *error = QStringLiteral("nothing to back up");
        return false;
    }
    if (!dir.rename(partialPrefix + name, name)) {
        *error = QStringLiteral("cannot name the backup %1").arg(dir.filePath(name));
        QDir(partial).removeRecursively();
        return false;
    }
    const QStringList dropped = namesToDrop(backupNames(folder), kept);
    for (const QString &old : dropped)
        QDir(dir.filePath(old)).removeRecursively();
    return true;
}

} // namespace Backups
