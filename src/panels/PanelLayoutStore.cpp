#include "PanelLayoutStore.h"

#include "base/l10n/L10nText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>

#include <cmath>
#include <limits>

namespace PanelLayoutStore {

namespace {

struct State
{
    QList<CustomPanel> panels;
    QHash<QString, QString> assignments;
    QHash<QString, QStringList> itemOrders;
    QHash<QString, QPoint> desktopPositions;
    bool loaded = false;
};

State &state()
{
    static State s;
    return s;
}

QStringList withoutEmptyOrDuplicates(const QStringList &keys)
{
    QStringList result;
    QSet<QString> seen;
    for (const QString &key : keys) {
        if (key.isEmpty() || seen.contains(key))
            continue;
        seen.insert(key);
        result.append(key);
    }
    return result;
}

// A JSON number read as an integer: anything that is not a whole number within
// the int range reads as 0.
int wholeNumber(const QJsonValue &value)
{
    const double d = value.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < std::numeric_limits<int>::min() ||
        d > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(d);
}

// Keeps a copy of a file we could not understand before our next save replaces
// it, so a hand edit with a typo never costs the user the layout it described.
void keepUnreadableCopy(const QString &path)
{
    const QString copy = path + QLatin1String(".unreadable-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!QFileInfo::exists(copy))
        QFile::copy(path, copy);
}

void load()
{
    State &s = state();
    s = State();
    s.loaded = true;

    const QString path = filePath();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = file.readAll();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError && !data.trimmed().isEmpty())
        keepUnreadableCopy(path);
    const QJsonObject root = document.object();

    const QJsonObject orders = root.value(QLatin1String("itemOrders")).toObject();
    for (auto it = orders.constBegin(); it != orders.constEnd(); ++it) {
        if (!it.value().isArray())
            continue;
        QStringList keys;
        const QJsonArray array = it.value().toArray();
        for (const QJsonValue &value : array) {
            if (value.isString())
                keys.append(value.toString());
        }
        keys = withoutEmptyOrDuplicates(keys);
        if (!keys.isEmpty())
            s.itemOrders.insert(it.key(), keys);
    }

    const QJsonObject positions = root.value(QLatin1String("desktopPositions")).toObject();
    for (auto it = positions.constBegin(); it != positions.constEnd(); ++it) {
        const QJsonArray pair = it.value().toArray();
        if (!it.value().isArray() || pair.size() != 2 || !pair.at(0).isDouble() || !pair.at(1).isDouble())
            continue;
        s.desktopPositions.insert(it.key(), QPoint(wholeNumber(pair.at(0)), wholeNumber(pair.at(1))));
    }

    const QJsonArray panels = root.value(QLatin1String("panels")).toArray();
    for (const QJsonValue &value : panels) {
        const QJsonObject panel = value.toObject();
        const QString id = panel.value(QLatin1String("id")).toString();
        if (id.isEmpty())
            continue;
        s.panels.append({id, panel.value(QLatin1String("name")).toString()});
    }

    const QJsonObject assignments = root.value(QLatin1String("assignments")).toObject();
    for (auto it = assignments.constBegin(); it != assignments.constEnd(); ++it)
        s.assignments.insert(it.key(), it.value().toString());
}

State &loadedState()
{
    State &s = state();
    if (!s.loaded)
        load();
    return s;
}

void save()
{
    const State &s = state();
    QJsonArray panels;
    for (const CustomPanel &panel : s.panels)
        panels.append(QJsonObject{{QLatin1String("id"), panel.id}, {QLatin1String("name"), panel.name}});
    QJsonObject assignments;
    for (auto it = s.assignments.constBegin(); it != s.assignments.constEnd(); ++it)
        assignments.insert(it.key(), it.value());
    QJsonObject positions;
    for (auto it = s.desktopPositions.constBegin(); it != s.desktopPositions.constEnd(); ++it)
        positions.insert(it.key(), QJsonArray{it.value().x(), it.value().y()});
    QJsonObject orders;
    for (auto it = s.itemOrders.constBegin(); it != s.itemOrders.constEnd(); ++it)
        orders.insert(it.key(), QJsonArray::fromStringList(it.value()));

    const QJsonObject root{{QLatin1String("panels"), panels},
                           {QLatin1String("assignments"), assignments},
                           {QLatin1String("desktopPositions"), positions},
                           {QLatin1String("itemOrders"), orders}};

    const QString path = filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Write beside the file and swap it in, so a crash or a full disk mid-write
    // leaves the previous layout intact instead of a truncated file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    file.commit();
}

bool hasCustomPanel(const State &s, const QString &id)
{
    for (const CustomPanel &panel : s.panels) {
        if (panel.id == id)
            return true;
    }
    return false;
}

bool hasPanelNamed(const State &s, const QString &name)
{
    for (const CustomPanel &panel : s.panels) {
        if (panel.name == name)
            return true;
    }
    return false;
}

} // namespace

QString filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QLatin1String("/panels.json");
}

QString desktopPanelId()
{
    return QStringLiteral("@desktop");
}

QString settingsPrefix(const QString &panelId)
{
    return panelId.isEmpty() ? QStringLiteral("panel") : QLatin1String("panel/") + panelId;
}

QString panelIdFor(const QString &itemKey)
{
    const State &s = loadedState();
    if (s.desktopPositions.contains(itemKey))
        return desktopPanelId();
    const auto it = s.assignments.constFind(itemKey);
    if (it != s.assignments.constEnd() && hasCustomPanel(s, it.value()))
        return it.value();
    return {};
}

QList<CustomPanel> customPanels()
{
    return loadedState().panels;
}

bool isCustomPanel(const QString &id)
{
    return hasCustomPanel(loadedState(), id);
}

QString panelName(const QString &id)
{
    for (const CustomPanel &panel : loadedState().panels) {
        if (panel.id == id)
            return panel.name;
    }
    return {};
}

QString createPanel(const QString &name)
{
    State &s = loadedState();
    QString chosen = name.trimmed();
    if (chosen.isEmpty()) {
        chosen = L10n::text("New panel");
        for (int n = 2; hasPanelNamed(s, chosen); ++n)
            chosen = L10n::text("New panel %1").arg(n);
    }
    QString id;
    for (int n = 1;; ++n) {
        id = QStringLiteral("custom-%1").arg(n);
        if (!hasCustomPanel(s, id))
            break;
    }
    s.panels.append({id, chosen});
    save();
    return id;
}

void renamePanel(const QString &id, const QString &name)
{
    State &s = loadedState();
    bool changed = false;
    for (CustomPanel &panel : s.panels) {
        if (panel.id == id) {
            panel.name = name;
            changed = true;
        }
    }
    if (changed)
        save();
}

void removePanel(const QString &id)
{
    State &s = loadedState();
    s.panels.removeIf([&id](const CustomPanel &panel) { return panel.id == id; });
    s.assignments.removeIf([&id](const QHash<QString, QString>::iterator it) { return it.value() == id; });
    s.itemOrders.remove(settingsPrefix(id));
    save();
}

void assignItems(const QStringList &itemKeys, const QString &panelId)
{
    State &s = loadedState();
    for (const QString &key : itemKeys) {
        if (key.isEmpty())
            continue;
        s.desktopPositions.remove(key);
        if (panelId.isEmpty())
            s.assignments.remove(key);
        else
            s.assignments.insert(key, panelId);
    }
    save();
}

void setDesktopPosition(const QString &itemKey, QPoint position)
{
    if (itemKey.isEmpty())
        return;
    State &s = loadedState();
    s.assignments.remove(itemKey);
    s.desktopPositions.insert(itemKey, position);
    save();
}

std::optional<QPoint> desktopPosition(const QString &itemKey)
{
    const State &s = loadedState();
    const auto it = s.desktopPositions.constFind(itemKey);
    if (it == s.desktopPositions.constEnd())
        return std::nullopt;
    return it.value();
}

QStringList itemOrder(const QString &orderKey)
{
    return loadedState().itemOrders.value(orderKey);
}

void setItemOrder(const QString &orderKey, const QStringList &itemKeys)
{
    if (orderKey.isEmpty())
        return;
    State &s = loadedState();
    const QStringList keys = withoutEmptyOrDuplicates(itemKeys);
    if (keys.isEmpty())
        s.itemOrders.remove(orderKey);
    else
        s.itemOrders.insert(orderKey, keys);
    save();
}

void discardState()
{
    state() = State();
}

} // namespace PanelLayoutStore
