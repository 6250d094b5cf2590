#pragma once

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <vector>

// A D-Bus daemon of the test's own, with a configuration that lists no service
// folders: nothing installed on the machine can be activated on it, so what
// answers is only what the test itself starts or registers. A test that needs
// activation passes a folder of its own service files.
class PrivateBus
{
public:
    explicit PrivateBus(const QString &serviceFolder = QString())
    {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        QFile config(m_dir.filePath("bus.conf"));
        if (daemon.isEmpty() || !m_dir.isValid() || !config.open(QIODevice::WriteOnly))
            return;
        config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                     "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                     "<busconfig><type>session</type><keep_umask/>"
                     "<listen>unix:dir=" +
                     QFile::encodeName(m_dir.path()) + "</listen><auth>EXTERNAL</auth>");
        if (!serviceFolder.isEmpty())
            config.write("<servicedir>" + QFile::encodeName(serviceFolder) + "</servicedir>");
        config.write("<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                     "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        m_daemon.start(daemon, {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
        if (m_daemon.waitForReadyRead(5000))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const auto &thread : m_threads) {
            thread->quit();
            thread->wait();
        }
        m_fakes.clear();
        for (const QString &name : std::as_const(m_connections))
            QDBusConnection::disconnectFromBus(name);
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.kill();
            m_daemon.waitForFinished();
        }
    }
    Q_DISABLE_COPY_MOVE(PrivateBus)

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }

    // A connection of its own to the bus, closed with the bus.
    QDBusConnection connect(const QString &name)
    {
        m_connections.append(name);
        return QDBusConnection::connectToBus(m_address, name);
    }

    // Serves a fake (owned by the bus from here on) under a name, answering on a
    // thread of its own: a call from the test's thread blocks until it is answered.
    bool serve(QObject *fake, const QString &name, const QString &path)
    {
        m_fakes.emplace_back(fake);
        fake->moveToThread(m_threads.emplace_back(std::make_unique<QThread>()).get());
        m_threads.back()->start();
        QDBusConnection service = connect(name);
        return service.registerObject(path, fake, QDBusConnection::ExportAllSlots) &&
               service.registerService(name);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
    std::vector<std::unique_ptr<QThread>> m_threads;
    std::vector<std::unique_ptr<QObject>> m_fakes;
};
