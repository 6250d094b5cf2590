#include "base/AtomicSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    QByteArray pattern =
        QFile::encodeName(folder + QLatin1Char('/') + temporaryPrefix(info.fileName())) + "XXXXXX";
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

} // namespace AtomicSave
