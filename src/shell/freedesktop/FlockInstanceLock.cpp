#include "FlockInstanceLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtDebug>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The display this instance shows on, fit for a file name. The program runs on
// X (through XWayland in a Wayland session), so DISPLAY comes first; ":0.0" and
// ":0" are the same X display, so the screen number is dropped.
QString displayName()
{
    QString display = qEnvironmentVariable("DISPLAY");
    static const QRegularExpression screen(QStringLiteral("\\.\\d+$"));
    display.remove(screen);
    if (display.isEmpty())
        display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        return QStringLiteral("none");
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_.:-]"));
    return display.replace(unsafe, QStringLiteral("_"));
}

QString runtimeFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QFileInfo(xdg).isDir())
        return xdg;
    // Qt's fallback is a private per-user folder it creates.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

} // namespace

FlockInstanceLock::FlockInstanceLock(const QString &key)
{
    const QString folder = runtimeFolder();
    if (!folder.isEmpty())
        m_path = folder + QLatin1Char('/') + key + QLatin1Char('-') + displayName() + QLatin1String(".lock");
}

FlockInstanceLock::~FlockInstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

InstanceLock::Outcome FlockInstanceLock::take()
{
    if (m_fd >= 0)
        return Outcome::Taken;
    if (m_path.isEmpty()) {
        qWarning("No runtime folder for the single-instance lock; starting without it");
        return Outcome::Unavailable;
    }
    // O_CLOEXEC: programs launched from the panels must not inherit the lock and
    // keep it after this instance ends. O_NONBLOCK and the check below: whatever
    // else sits at that path (a FIFO, a device) is never waited on or used.
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    struct stat info = {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        qWarning("The single-instance lock %s is not a regular file; starting without it",
                 qUtf8Printable(QDir::toNativeSeparators(m_path)));
        return Outcome::Unavailable;
    }
    if (fd < 0) {
        qWarning("Cannot open the single-instance lock %s: %s; starting without it",
                 qUtf8Printable(QDir::toNativeSeparators(m_path)), std::strerror(errno));
        return Outcome::Unavailable;
    }
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_fd = fd;
        return Outcome::Taken;
    }
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK)
        return Outcome::HeldElsewhere;
    qWarning("Cannot lock %s: %s; starting without the single-instance check",
             qUtf8Printable(QDir::toNativeSeparators(m_path)), std::strerror(error));
    return Outcome::Unavailable;
}

QString FlockInstanceLock::channelName() const
{
    if (m_path.isEmpty())
        return {};
    return m_path.chopped(int(sizeof(".lock")) - 1) + QLatin1String(".socket");
}
