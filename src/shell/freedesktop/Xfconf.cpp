#include "Xfconf.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFileInfo>

namespace Xfconf {

namespace {

const QString service = QStringLiteral("org.xfce.Xfconf");
const QString objectPath = QStringLiteral("/org/xfce/Xfconf");
const QString interfaceName = QStringLiteral("org.xfce.Xfconf");
constexpr int callTimeoutMs = 500;

} // namespace

bool sessionBusConfigured()
{
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtimeDir.isEmpty() && QFileInfo::exists(runtimeDir + QLatin1String("/bus"));
}

namespace {

bool isRunning()
{
    if (!sessionBusConfigured())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(service);
    return registered.isValid() && registered.value();
}

} // namespace

std::optional<QVariant> property(const QString &channel, const QString &path)
{
    if (!isRunning())
        return std::nullopt;
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, objectPath, interfaceName, QStringLiteral("GetProperty"));
    call << channel << path;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    QVariant value = reply.arguments().constFirst();
    if (value.canConvert<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace Xfconf
