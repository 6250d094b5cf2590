#include "shell/freedesktop/Xfconf.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFileInfo>

namespace Xfconf {

namespace {

constexpr int callTimeoutMs = 500;

} // namespace

const QString service = QStringLiteral("org.xfce.Xfconf");
const QString objectPath = QStringLiteral("/org/xfce/Xfconf");
const QString interfaceName = QStringLiteral("org.xfce.Xfconf");

bool sessionBusConfigured()
{
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtimeDir.isEmpty() && QFileInfo::exists(runtimeDir + QLatin1String("/bus"));
}

bool isRunning(const QDBusConnection &bus)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(service);
    return registered.isValid() && registered.value();
}

bool isRunning()
{
    return sessionBusConfigured() && isRunning(QDBusConnection::sessionBus());
}

std::optional<QVariant> property(const QString &channel, const QString &path)
{
    if (!isRunning())
        return std::nullopt;
    return property(QDBusConnection::sessionBus(), channel, path);
}

std::optional<QVariant> property(const QDBusConnection &bus, const QString &channel, const QString &path)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, objectPath, interfaceName, QStringLiteral("GetProperty"));
    call << channel << path;
    const QDBusMessage reply = QDBusConnection(bus).call(call, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    QVariant value = reply.arguments().constFirst();
    if (value.canConvert<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

namespace {

bool callSucceeds(const QDBusMessage &call)
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, callTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

bool setProperty(const QString &channel, const QString &path, const QVariant &value)
{
    if (!isRunning())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, objectPath, interfaceName, QStringLiteral("SetProperty"));
    call << channel << path << QVariant::fromValue(QDBusVariant(value));
    return callSucceeds(call);
}

bool resetProperty(const QString &channel, const QString &path)
{
    if (!isRunning())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, objectPath, interfaceName, QStringLiteral("ResetProperty"));
    call << channel << path << false;
    return callSucceeds(call);
}

} // namespace Xfconf
