#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QVariant>

#include <optional>

class QDBusServiceWatcher;
class QDBusVariant;

// A few settings of the Xfce settings daemon (xfconf), read once when the daemon
// is seen and then kept current from its change signals, so that reading them
// never waits on the bus. Nothing is started: without a running daemon every
// value is absent.
class XfconfWatch : public QObject
{
    Q_OBJECT

public:
    struct Key
    {
        QString channel;
        QString property;
    };

    XfconfWatch(const QDBusConnection &bus, const QList<Key> &keys, QObject *parent = nullptr);
    ~XfconfWatch() override;

    // The value as last seen; empty when the property is unset or no daemon runs.
    std::optional<QVariant> value(const QString &channel, const QString &property) const;
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    // A followed property changed, or the daemon came or went.
    void changed();

private Q_SLOTS:
    // Slots for QDBusConnection::connect, which takes no member pointers.
    void onPropertyChanged(const QString &channel, const QString &property, const QDBusVariant &value);
    void onPropertyRemoved(const QString &channel, const QString &property);

private:
    void readAll();
    bool follows(const QString &channel, const QString &property) const;

    QDBusConnection m_bus;
    QList<Key> m_keys;
    QDBusServiceWatcher *m_serviceWatcher = nullptr;
    QHash<QString, QVariant> m_values; // by channel + '\n' + property
    bool m_running = false;
};
