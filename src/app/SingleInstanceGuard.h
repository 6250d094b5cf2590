#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One organiser per user and display. The guard holds an exclusive lock on a
// file in the user's runtime folder for the life of the process; the kernel
// drops the lock when the process ends in any way, so an instance that was
// killed never blocks the next start, and another user's runtime folder (and
// lock) is never looked at. Beside the lock the running instance listens on a
// local socket, through which a refused start asks it to show itself.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstanceGuard(const QString &key = QStringLiteral("BrimvaleQtSingleton"),
                                 QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // False only when another instance holds the lock; that instance is then
    // asked to show itself. When the lock cannot be taken at all (no usable
    // runtime folder) the program runs, and says so.
    bool acquire();

    // "<runtime folder>/<key>-<display>.lock".
    QString lockPath() const { return m_path; }
    // "<runtime folder>/<key>-<display>.socket".
    QString socketPath() const;

Q_SIGNALS:
    // The program was started again on this display: the user wants to see it.
    void showRequested();

private:
    void listen();
    void askRunningInstance() const;
    void readRequest(QLocalSocket *client);

    QString m_path;
    int m_fd = -1;
    QLocalServer *m_server = nullptr;
};
