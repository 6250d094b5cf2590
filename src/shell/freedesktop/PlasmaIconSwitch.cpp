#include "shell/freedesktop/PlasmaIconSwitch.h"

#include "base/Settings.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QJsonDocument>
#include <QThread>

namespace {

const QString service = QStringLiteral("org.kde.plasmashell");
const QString objectPath = QStringLiteral("/PlasmaShell");
const QString interfaceName = QStringLiteral("org.kde.PlasmaShell");
// A script walks every containment and may rebuild a view: more than a plain call.
constexpr int callTimeoutMs = 5000;
// Plasma lays the icons that come back out afresh on its next event-loop turn,
// over any arrangement written in the same turn: it is written a moment later.
constexpr int arrangeAfterMs = 200;

const QString idKey = QStringLiteral("id");
const QString modeKey = QStringLiteral("filterMode");
const QString patternKey = QStringLiteral("filterPattern");
const QString positionsKey = QStringLiteral("positions");
// The folder view's filter modes, and its defaults for a key it does not hold.
constexpr int showAll = 0;
constexpr int showMatching = 1;
const QString matchAll = QStringLiteral("*");

// Prints, as JSON, each folder view containment's id and those of the keys it
// holds (a key it does not hold is left out, so that it can be told from one
// holding the default).
} // namespace

const QLatin1StringView PlasmaIconSwitch::readScript{R"js(var views = [];
var keys = ["filterMode", "filterPattern", "positions"];
var empty = [0, "", []];
var all = desktops();
for (var i = 0; i < all.length; ++i) {
    var d = all[i];
    if (d.type != "org.kde.plasma.folder")
        continue;
    d.currentConfigGroup = ["General"];
    var held = d.configKeys;
    var view = {id: d.id};
    for (var k = 0; k < keys.length; ++k) {
        if (held.indexOf(keys[k]) >= 0)
            view[keys[k]] = d.readConfig(keys[k], empty[k]);
    }
    views.push(view);
}
print(JSON.stringify(views));
)js"};

// Follows "var wanted = {...};": writes each folder view's wanted values.
const QLatin1StringView PlasmaIconSwitch::writeScript{R"js(var all = desktops();
for (var i = 0; i < all.length; ++i) {
    var d = all[i];
    var values = wanted[d.id];
    if (d.type != "org.kde.plasma.folder" || !values)
        continue;
    d.currentConfigGroup = ["General"];
    for (var key in values)
        d.writeConfig(key, values[key]);
}
)js"};

namespace {

QString idOf(const QJsonObject &view)
{
    return QString::number(view.value(idKey).toInteger());
}

bool hiddenByUs(const QJsonObject &view)
{
    return view.value(modeKey).toInt(showAll) == showMatching &&
           view.value(patternKey).toString() == PlasmaIconSwitch::hidingPattern();
}

// Hidden when a folder view carries this switch's filter (one added since, on
// a new screen, does not make the others shown), or when there is no folder
// view at all and so no icon on the desktop.
bool hidden(const QJsonArray &views)
{
    for (const QJsonValue &view : views) {
        if (hiddenByUs(view.toObject()))
            return true;
    }
    return views.isEmpty();
}

QJsonObject stored()
{
    const QString text = Settings::instance()->value(SettingsKeys::shellPlasmaFolderViews).toString();
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

} // namespace

PlasmaIconSwitch::PlasmaIconSwitch(const QDBusConnection &bus)
    : m_bus(bus)
{}

// A slash is in no file name, so no icon matches.
QString PlasmaIconSwitch::hidingPattern()
{
    return QStringLiteral("larkspan/hid-these");
}

bool PlasmaIconSwitch::isReachable() const
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return false;
    const QDBusReply<bool> registered = m_bus.interface()->isServiceRegistered(service);
    return registered.isValid() && registered.value();
}

std::optional<QString> PlasmaIconSwitch::evaluate(const QString &script) const
{
    if (!isReachable())
        return std::nullopt;
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, objectPath, interfaceName, QStringLiteral("evaluateScript"));
    call << script;
    // Refused (widgets locked by the administrator, scripting not allowed) or failed: an error reply.
    const QDBusReply<QString> output = QDBusConnection(m_bus).call(call, QDBus::Block, callTimeoutMs);
    if (!output.isValid())
        return std::nullopt;
    return output.value();
}

std::optional<QJsonArray> PlasmaIconSwitch::folderViews() const
{
    const std::optional<QString> output = evaluate(readScript);
    if (!output)
        return std::nullopt;
    const QJsonDocument views = QJsonDocument::fromJson(output->toUtf8());
    if (!views.isArray())
        return std::nullopt;
    return views.array();
}

bool PlasmaIconSwitch::write(const QJsonObject &settingsById) const
{
    if (settingsById.isEmpty())
        return true;
    const QString wanted = QString::fromUtf8(QJsonDocument(settingsById).toJson(QJsonDocument::Compact));
    return evaluate(QLatin1String("var wanted = ") + wanted + QLatin1String(";\n") + writeScript).has_value();
}

bool PlasmaIconSwitch::iconsHiddenNow()
{
    const std::optional<QJsonArray> views = folderViews();
    return views && hidden(*views);
}

bool PlasmaIconSwitch::toggle()
{
    const std::optional<QJsonArray> views = folderViews();
    if (!views)
        return false;
    if (hidden(*views))
        return giveBack(*views);
    QJsonObject record = stored();
    QJsonObject hide;
    for (const QJsonValue &each : *views) {
        QJsonObject view = each.toObject();
        const QString id = idOf(view);
        view.remove(idKey);
        record.insert(id, view);
        hide.insert(id, QJsonObject{{modeKey, showMatching}, {patternKey, hidingPattern()}});
    }
    // Kept before anything changes, so that a run killed at any point leaves it for the next.
    Settings::instance()->setValueNow(
        SettingsKeys::shellPlasmaFolderViews,
        QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact)));
    return write(hide);
}

bool PlasmaIconSwitch::giveBack(const QJsonArray &views)
{
    const QJsonObject record = stored();
    QJsonObject filters;
    QJsonObject arrangements;
    for (const QJsonValue &each : views) {
        const QJsonObject view = each.toObject();
        if (!hiddenByUs(view))
            continue; // shown again by the user meanwhile: theirs now
        const QString id = idOf(view);
        // A key the view did not hold gets the folder view's default back, which reads the same.
        const QJsonObject before = record.value(id).toObject();
        filters.insert(id, QJsonObject{{modeKey, before.value(modeKey).toInt(showAll)},
                                       {patternKey, before.value(patternKey).toString(matchAll)}});
        if (before.contains(positionsKey))
            arrangements.insert(id, QJsonObject{{positionsKey, before.value(positionsKey)}});
    }
    if (!write(filters))
        return false;
    if (!arrangements.isEmpty()) {
        QThread::msleep(arrangeAfterMs);
        if (!write(arrangements))
            return false;
    }
    Settings::instance()->remove(SettingsKeys::shellPlasmaFolderViews);
    return true;
}

bool PlasmaIconSwitch::showDirectly()
{
    const std::optional<QJsonArray> views = folderViews();
    return views && giveBack(*views);
}
