#include "base/AtomicSave.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicSave {

namespace {

Result failure(const QString &path, const char *what, int error)
{
    return {false, QStringLiteral("%1: %2: %3")
                       .arg(QDir::toNativeSeparators(path), QString::fromLatin1(what),
                            QString::fromLocal8Bit(std::strerror(error)))};
}

bool writeAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += written;
    }
    return true;
}

} // namespace

Result save(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return failure(folder, "cannot create the folder", errno ? errno : EACCES);

    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    QByteArray pattern = target + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return failure(path, "cannot create a temporary file", errno);

    // The new file keeps the permissions of the one it replaces.
    struct stat old = {};
    const mode_t mode = ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    int error = 0;
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, data) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(pattern.constData(), target.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(pattern.constData());
        return failure(path, "cannot write", error);
    }
    // Make the rename itself durable.
    const int dirFd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {true, {}};
}

QString keepCopy(const QString &path)
{
    const QString copy = path + QLatin1String(".unreadable-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (QFileInfo::exists(copy))
        return copy;
    return QFile::copy(path, copy) ? copy : QString();
}

int removeStaleTemporaries(const QString &path)
{
    const QFileInfo info(path);
    const QDir folder = info.absoluteDir();
    static const QRegularExpression suffix(QStringLiteral("^\\.[A-Za-z0-9]{6}$"));
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addSecs(-60);
    int removed = 0;
    const QStringList names = folder.entryList({info.fileName() + QLatin1String(".??????")},
                                               QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!suffix.match(QStringView(name).mid(info.fileName().size())).hasMatch())
            continue;
        const QFileInfo temporary(folder.filePath(name));
        // A save running in another process right now is younger than that.
        if (temporary.isFile() && !temporary.isSymLink() && temporary.lastModified().toUTC() < cutoff &&
            QFile::remove(temporary.filePath()))
            ++removed;
    }
    return removed;
}

} // namespace AtomicSave
