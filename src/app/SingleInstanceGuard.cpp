#include "SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
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

// What a refused start sends to the running instance, and how long it waits
// for the socket: a local socket answers at once unless something is wrong.
constexpr char showRequest[] = "show\n";
constexpr qint64 requestCap = 64;
constexpr int socketTimeoutMs = 1000;

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

SingleInstanceGuard::SingleInstanceGuard(const QString &key, QObject *parent)
    : QObject(parent)
{
    const QString folder = runtimeFolder();
    if (!folder.isEmpty())
        m_path = folder + QLatin1Char('/') + key + QLatin1Char('-') + displayName() + QLatin1String(".lock");
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SingleInstanceGuard::acquire()
{
    if (m_fd >= 0)
        return true;
    if (m_path.isEmpty()) {
        qWarning("No runtime folder for the single-instance lock; starting without it");
        return true;
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
        return true;
    }
    if (fd < 0) {
        qWarning("Cannot open the single-instance lock %s: %s; starting without it",
                 qUtf8Printable(QDir::toNativeSeparators(m_path)), std::strerror(errno));
        return true;
    }
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_fd = fd;
        listen();
        return true;
    }
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) {
        askRunningInstance();
        return false;
    }
    qWarning("Cannot lock %s: %s; starting without the single-instance check",
             qUtf8Printable(QDir::toNativeSeparators(m_path)), std::strerror(error));
    return true;
}

QString SingleInstanceGuard::socketPath() const
{
    if (m_path.isEmpty())
        return {};
    return m_path.chopped(int(sizeof(".lock")) - 1) + QLatin1String(".socket");
}

void SingleInstanceGuard::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock is ours, so a socket at the path is one a killed instance left.
    QLocalServer::removeServer(socketPath());
    if (!m_server->listen(socketPath())) {
        qWarning("Cannot listen on %s: %s; a second start will not show this one",
                 qUtf8Printable(QDir::toNativeSeparators(socketPath())),
                 qUtf8Printable(m_server->errorString()));
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] { readRequest(client); });
        }
    });
}

void SingleInstanceGuard::readRequest(QLocalSocket *client)
{
    if (!client->canReadLine()) {
        // Nothing but a short request line is ever sent here.
        if (client->bytesAvailable() > requestCap)
            client->abort();
        return;
    }
    const bool show = client->readLine(requestCap) == showRequest;
    client->disconnectFromServer();
    if (show)
        Q_EMIT showRequested();
}

void SingleInstanceGuard::askRunningInstance() const
{
    // A running instance that is still starting has its socket a moment later;
    // missing it then only costs this one answer.
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(socketTimeoutMs))
        return;
    socket.write(showRequest);
    socket.waitForBytesWritten(socketTimeoutMs);
    socket.disconnectFromServer();
}
