#include "base/AtomicSave.h"

#include "base/FileNotice.h"
#include "base/SafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace AtomicSave {

namespace {

// Two regular files with the same bytes, read as every file is: a FIFO put in
// place of a copy is never waited on.
bool sameContent(const QString &a, const QString &b)
{
    const qint64 size = QFileInfo(a).size();
    if (size != QFileInfo(b).size())
        return false;
    const SafeFile::Result first = SafeFile::read(a, size);
    const SafeFile::Result second = SafeFile::read(b, size);
    return first.ok() && second.ok() && first.data == second.data;
}

} // namespace

QString temporaryPrefix(const QString &name)
{
    return QLatin1Char('.') + name + QLatin1String(".tmp-");
}

QString saveTarget(const QString &path, qint64 cap, const IsOurKind &isOurKind)
{
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : QString();
    // No link, or a link to nothing: the program's file takes its place.
    if (target.isEmpty())
        return path;
    const SafeFile::Result current = SafeFile::read(target, cap);
    if (current.ok() && isOurKind(current.data))
        return target;
    switch (current.status) {
    case SafeFile::Status::NotRegular:
    case SafeFile::Status::Unreadable:
        // A folder, a FIFO, a device or a file we may not read: neither it nor
        // the link that shows the user's intent is touched.
        FileNotice::ignored(path, QStringLiteral("it links to %1, which is not a regular file or cannot be"
                                                 " read; nothing is written there")
                                      .arg(QDir::toNativeSeparators(target)));
        return {};
    case SafeFile::Status::Ok:
    case SafeFile::Status::TooLarge:
        return keepCopy(target, QStringLiteral("is linked from %1 but is not a file of that kind;"
                                               " it is left as it is and the link gives way to the"
                                               " program's own file")
                                    .arg(QDir::toNativeSeparators(path)))
                       .isEmpty()
                   ? QString()
                   : path;
    case SafeFile::Status::Missing:
        break;
    }
    return path;
}

QString keepCopy(const QString &path, const QString &why)
{
    // Beside the user's own file, not beside a link to it.
    const QString source = QFileInfo(path).canonicalFilePath();
    if (source.isEmpty() || !SafeFile::isRegularFile(source))
        return {};
    const QFileInfo info(source);
    const QDir folder = info.absoluteDir();
    const QString prefix = info.fileName() + QLatin1String(".unreadable-");
    const QStringList kept = folder.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden);
    for (const QString &name : kept) {
        if (sameContent(source, folder.filePath(name))) {
            FileNotice::copyKept(source, folder.filePath(name), why);
            return folder.filePath(name);
        }
    }
    const QString stamp =
        folder.filePath(prefix + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    // QFile::copy never replaces an existing file: a taken name moves on to the next.
    for (int n = 1; n < 1000; ++n) {
        const QString copy = n == 1 ? stamp : stamp + QLatin1Char('-') + QString::number(n);
        if (QFile::copy(source, copy)) {
            FileNotice::copyKept(source, copy, why);
            return copy;
        }
        if (!QFileInfo::exists(copy) && !QFileInfo(copy).isSymLink())
            break;
    }
    return {};
}

int removeStaleTemporaries(const QString &path)
{
    const QFileInfo info(path);
    QList<QFileInfo> files{info};
    if (info.isSymLink() && !info.canonicalFilePath().isEmpty())
        files.append(QFileInfo(info.canonicalFilePath()));
    static const QRegularExpression suffix(QStringLiteral("^[A-Za-z0-9]{6}$"));
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addSecs(-60);
    int removed = 0;
    for (const QFileInfo &file : files) {
        const QDir folder = file.absoluteDir();
        const QString prefix = temporaryPrefix(file.fileName());
        const QStringList names =
            folder.entryList({prefix + QLatin1String("??????")}, QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : names) {
            if (!suffix.match(QStringView(name).mid(prefix.size())).hasMatch())
                continue;
            const QFileInfo temporary(folder.filePath(name));
            // A save running in another process right now is younger than that.
            if (temporary.isFile() && !temporary.isSymLink() && temporary.lastModified().toUTC() < cutoff &&
                QFile::remove(temporary.filePath()))
                ++removed;
        }
    }
    return removed;
}

} // namespace AtomicSave
