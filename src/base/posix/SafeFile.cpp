#include "base/SafeFile.h"

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
    if (info.st_size < 0 || info.st_size > maxBytes) {
        result.status = Status::TooLarge;
        return result;
    }
    // A file may grow between fstat and read; never read past the cap.
    QByteArray data;
    data.resize(qsizetype(info.st_size) + 1);
    qsizetype total = 0;
    for (;;) {
        if (total == data.size()) {
            if (total > maxBytes) {
                result.status = Status::TooLarge;
                return result;
            }
            data.resize(qMin<qint64>(qint64(total) * 2 + 4096, maxBytes + 1));
        }
        const ssize_t got = ::read(fd.get(), data.data() + total, size_t(data.size() - total));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.status = Status::Unreadable;
            return result;
        }
        if (got == 0)
            break;
        total += got;
    }
    if (total > maxBytes) {
        result.status = Status::TooLarge;
        return result;
    }
    data.truncate(total);
    result.status = Status::Ok;
    result.data = std::move(data);
    return result;
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
