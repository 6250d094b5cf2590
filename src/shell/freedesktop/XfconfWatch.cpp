#include "shell/freedesktop/XfconfWatch.h"

#include "shell/freedesktop/Xfconf.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {

QString valueKey(const QString &channel, const QString &property)
{
    return channel + QLatin1Char('\n') + property;
}

} // namespace

XfconfWatch::XfconfWatch(const QDBusConnection &bus, const QList<Key> &keys, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_keys(keys)
{
    if (!m_bus.isConnected())
        return;
    m_serviceWatcher = new QDBusServiceWatcher(
        Xfconf::service, m_bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        readAll();
        Q_EMIT changed();
    });
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        m_running = false;
        m_values.clear();
        Q_EMIT changed();
    });
    // The slot's signature is matched by type name: until QDBusVariant is known by
    // name (nothing else may have used it yet), every change would be dropped.
    qRegisterMetaType<QDBusVariant>();
    m_bus.connect(QString(), Xfconf::objectPath, Xfconf::interfaceName, QStringLiteral("PropertyChanged"),
                  this, SLOT(onPropertyChanged(QString, QString, QDBusVariant)));
    m_bus.connect(QString(), Xfconf::objectPath, Xfconf::interfaceName, QStringLiteral("PropertyRemoved"),
                  this, SLOT(onPropertyRemoved(QString, QString)));
    readAll();
}

XfconfWatch::~XfconfWatch() = default;

std::optional<QVariant> XfconfWatch::value(const QString &channel, const QString &property) const
{
    const auto found = m_values.constFind(valueKey(channel, property));
    if (found == m_values.constEnd())
        return std::nullopt;
    return *found;
}

bool XfconfWatch::follows(const QString &channel, const QString &property) const
{
    return std::any_of(m_keys.cbegin(), m_keys.cend(),
                       [&](const Key &key) { return key.channel == channel && key.property == property; });
}

void XfconfWatch::readAll()
{
    m_values.clear();
    // Only when the daemon appears; never while the desktop reloads.
    m_running = Xfconf::isRunning(m_bus);
    if (!m_running)
        return;
    for (const Key &key : std::as_const(m_keys)) {
        if (std::optional<QVariant> value = Xfconf::property(m_bus, key.channel, key.property))
            m_values.insert(valueKey(key.channel, key.property), *value); // absent: unset
    }
}

void XfconfWatch::onPropertyChanged(const QString &channel, const QString &property,
                                    const QDBusVariant &value)
{
    if (!follows(channel, property))
        return;
    m_values.insert(valueKey(channel, property), value.variant());
    Q_EMIT changed();
}

void XfconfWatch::onPropertyRemoved(const QString &channel, const QString &property)
{
    if (!follows(channel, property))
        return;
    m_values.remove(valueKey(channel, property));
    Q_EMIT changed();
}
