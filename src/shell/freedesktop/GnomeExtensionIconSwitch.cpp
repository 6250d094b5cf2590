#include "shell/freedesktop/GnomeExtensionIconSwitch.h"

#include "base/Settings.h"
#include "shell/freedesktop/GnomeShellSettings.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace {

const QString service = QStringLiteral("org.gnome.Shell");
const QString objectPath = QStringLiteral("/org/gnome/Shell");
const QString interfaceName = QStringLiteral("org.gnome.Shell.Extensions");
// Desktop Icons NG (GNOME 3.38 and later), then the Desktop Icons it replaced.
const QStringList extensions{QStringLiteral("ding@rastersoft.com"), QStringLiteral("desktop-icons@csoriano")};
// The shell's extension state "enabled" (named "active" since GNOME 45, same value).
constexpr int enabledState = 1;
constexpr int callTimeoutMs = 2000;
// The shell enables the extension once it has read its changed settings.
constexpr int enableWaitMs = 2000;
constexpr int pollMs = 50;

const QString uuidField = QStringLiteral("uuid");
struct List
{
    const char *key;
    QString field;    // the list in effect before the hide
    QString setField; // whether the user had set it (else it held its default)
};
const List lists[] = {
    {GnomeShellSettings::enabledKey, QStringLiteral("enabled"), QStringLiteral("enabledSet")},
    {GnomeShellSettings::disabledKey, QStringLiteral("disabled"), QStringLiteral("disabledSet")}};

QJsonObject stored()
{
    const QString text = Settings::instance()->value(SettingsKeys::shellGnomeExtensionLists).toString();
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

void store(const QJsonObject &record)
{
    Settings::instance()->setValueNow(
        SettingsKeys::shellGnomeExtensionLists,
        QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact)));
}

// The list as it is now with the extension put back where it was before: into
// the enabled list at its old place, out of the disabled list unless it was in.
QStringList restored(const QString &uuid, const QStringList &before, QStringList now, bool enabledList)
{
    const qsizetype at = before.indexOf(uuid);
    if (enabledList && at >= 0 && !now.contains(uuid))
        now.insert(qMin(at, now.size()), uuid);
    if (!enabledList && at < 0)
        now.removeAll(uuid);
    return now;
}

} // namespace

GnomeExtensionIconSwitch::GnomeExtensionIconSwitch(const QDBusConnection &bus)
    : m_bus(bus)
{}

bool GnomeExtensionIconSwitch::isReachable() const
{
    return !installed().isEmpty();
}

QString GnomeExtensionIconSwitch::installed() const
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return {};
    const QDBusReply<bool> registered = m_bus.interface()->isServiceRegistered(service);
    if (!registered.isValid() || !registered.value())
        return {};
    for (const QString &uuid : extensions) {
        if (state(uuid) != 0)
            return uuid;
    }
    return {};
}

int GnomeExtensionIconSwitch::state(const QString &uuid) const
{
    QDBusMessage ask = QDBusMessage::createMethodCall(service, objectPath, interfaceName,
                                                      QStringLiteral("GetExtensionInfo"));
    ask << uuid;
    // An extension the shell does not know answers with no fields at all.
    const QDBusReply<QVariantMap> info = QDBusConnection(m_bus).call(ask, QDBus::Block, callTimeoutMs);
    if (!info.isValid() || !info.value().contains(QStringLiteral("state")))
        return 0;
    // GJS sends the number as a double.
    return qRound(info.value().value(QStringLiteral("state")).toDouble());
}

bool GnomeExtensionIconSwitch::call(const QString &method, const QString &uuid) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, objectPath, interfaceName, method);
    message << uuid;
    const QDBusReply<bool> done = QDBusConnection(m_bus).call(message, QDBus::Block, callTimeoutMs);
    return done.isValid() && done.value();
}

bool GnomeExtensionIconSwitch::iconsHiddenNow()
{
    const QString uuid = installed();
    return !uuid.isEmpty() && state(uuid) != enabledState;
}

bool GnomeExtensionIconSwitch::toggle()
{
    const QString uuid = installed();
    if (uuid.isEmpty())
        return false;
    if (state(uuid) != enabledState)
        return giveBack(uuid);
    QJsonObject record{{uuidField, uuid}};
    if (GnomeShellSettings::available()) {
        for (const List &list : lists) {
            record.insert(list.field, QJsonArray::fromStringList(GnomeShellSettings::value(list.key)));
            record.insert(list.setField, GnomeShellSettings::userValue(list.key).has_value());
        }
    }
    // Kept before the change, so that a run killed right after it still knows them.
    store(record);
    if (call(QStringLiteral("DisableExtension"), uuid))
        return true;
    Settings::instance()->remove(SettingsKeys::shellGnomeExtensionLists);
    return false;
}

bool GnomeExtensionIconSwitch::giveBack(const QString &uuid)
{
    const QJsonObject record = stored();
    bool shown = true;
    if (record.value(uuidField).toString() == uuid && record.contains(lists[0].field) &&
        GnomeShellSettings::available()) {
        // The enabled list first: the extension comes back once, when it leaves the disabled one.
        for (const List &list : lists) {
            QStringList before;
            for (const QJsonValue &each : record.value(list.field).toArray())
                before.append(each.toString());
            const bool wasSet = record.value(list.setField).toBool();
            const std::optional<QStringList> now = GnomeShellSettings::userValue(list.key);
            const QStringList wanted =
                restored(uuid, before, GnomeShellSettings::value(list.key), list.key == lists[0].key);
            // Back to the default when that is what it held and what it holds again.
            if (wanted == before && !wasSet) {
                if (now)
                    shown = GnomeShellSettings::write(list.key, std::nullopt) && shown;
            } else if (now != wanted) {
                shown = GnomeShellSettings::write(list.key, wanted) && shown;
            }
        }
    } else {
        // Nothing kept (or no settings to write to): the shell's own call.
        shown = call(QStringLiteral("EnableExtension"), uuid);
    }
    if (!shown)
        return false;
    Settings::instance()->remove(SettingsKeys::shellGnomeExtensionLists);
    // Waited for while the shell still knows the extension, so that a hide
    // asked right after does not find it disabled and take it for the user's.
    const QDeadlineTimer deadline(enableWaitMs);
    for (int now = state(uuid); now != 0 && now != enabledState && !deadline.hasExpired(); now = state(uuid))
        QThread::msleep(pollMs);
    return true;
}

bool GnomeExtensionIconSwitch::showDirectly()
{
    // The shell may be gone (the session is ending): its settings alone still
    // bring the icons back at its next start.
    const QString uuid = installed();
    return giveBack(uuid.isEmpty() ? stored().value(uuidField).toString() : uuid);
}
