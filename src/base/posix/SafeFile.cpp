#include "base/SafeFile.h"

#include "base/SafeFileRead.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

Result read(const QByteArray &path, qint64 maxBytes)
{
    Result result;
    if (path.isEmpty())
        return result;
    // O_NONBLOCK: opening a FIFO for reading otherwise waits for a writer.
    // O_NOCTTY: a terminal device must not become our controlling terminal.
    const Descriptor fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        result.status =
            (errno == ENOENT || errno == ENOTDIR || errno == ELOOP) ? Status::Missing : Status::Unreadable;
        return result;
    }
    struct stat info = {};
    if (::fstat(fd.get(), &info) != 0) {
        result.status = Status::Unreadable;
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = Status::NotRegular;
        return result;
    }
    return readOpened(info.st_size, maxBytes, [&fd](char *buffer, qint64 room) -> qint64 {
        for (;;) {
            const ssize_t got = ::read(fd.get(), buffer, size_t(room));
            if (got >= 0 || errno != EINTR)
                return got;
        }
    });
}

Result read(const QString &path, qint64 maxBytes)
{
    return read(QFile::encodeName(path), maxBytes);
}

bool isRegularFile(const QString &path)
{
    struct stat info = {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

} // namespace SafeFile
