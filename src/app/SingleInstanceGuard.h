#pragma once

#include <QObject>
#include <QString>

#include <memory>

class InstanceLock;
class QLocalServer;
class QLocalSocket;

// One organiser per user session. The guard holds the platform's instance lock
// for the life of the process; beside it the running instance listens on a
// local socket, through which a refused start asks it to show itself.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstanceGuard(std::unique_ptr<InstanceLock> lock, QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // False only when another instance holds the lock; that instance is then
    // asked to show itself. When the lock cannot be taken at all the program
    // runs, and the platform's lock says why.
    bool acquire();

    // Where the running instance listens.
    QString socketPath() const;

Q_SIGNALS:
    // The program was started again in this session: the user wants to see it.
    void showRequested();

private:
    void listen();
    void askRunningInstance() const;
    void readRequest(QLocalSocket *client);

    std::unique_ptr<InstanceLock> m_lock;
    bool m_held = false;
    QLocalServer *m_server = nullptr;
};
