#include "SingleInstanceGuard.h"

#include "shell/InstanceLock.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtDebug>

namespace {

// What a refused start sends to the running instance, and how long it waits
// for the socket: a local socket answers at once unless something is wrong.
constexpr char showRequest[] = "show\n";
constexpr qint64 requestCap = 64;
constexpr int socketTimeoutMs = 1000;

} // namespace

SingleInstanceGuard::SingleInstanceGuard(std::unique_ptr<InstanceLock> lock, QObject *parent)
    : QObject(parent)
    , m_lock(std::move(lock))
{}

SingleInstanceGuard::~SingleInstanceGuard() = default;

bool SingleInstanceGuard::acquire()
{
    if (m_held)
        return true;
    switch (m_lock->take()) {
    case InstanceLock::Outcome::Taken:
        m_held = true;
        listen();
        return true;
    case InstanceLock::Outcome::HeldElsewhere:
        askRunningInstance();
        return false;
    case InstanceLock::Outcome::Unavailable:
        break;
    }
    return true;
}

QString SingleInstanceGuard::socketPath() const
{
    return m_lock->channelName();
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
