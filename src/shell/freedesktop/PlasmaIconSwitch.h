#pragma once

#include "shell/DesktopIconSwitch.h"

#include <QDBusConnection>
#include <QJsonArray>
#include <QJsonObject>

#include <optional>

// KDE Plasma's desktop icons, drawn by its folder view containments (one per
// screen and activity). Plasma has no "hide icons" switch; the folder view's
// own filter does it: "show only files matching" a pattern no file name can
// match. It is set through Plasma's scripting interface on the session bus,
// which changes the running desktop at once. The filter the user had, and the
// icons' arrangement (Plasma forgets it when every icon is filtered out), are
// kept in the program's settings until they are given back, so that a run
// killed meanwhile still lets the next one give them back exactly.
class PlasmaIconSwitch final : public DesktopIconSwitch
{
public:
    explicit PlasmaIconSwitch(const QDBusConnection &bus = QDBusConnection::sessionBus());

    // plasmashell answers on the bus.
    bool isReachable() const;

    bool iconsHiddenNow() override;
    bool toggle() override;
    bool showDirectly() override;

    // The text each folder view's pattern holds while this switch hides its icons.
    static QString hidingPattern();
    // The scripts it sends: one reads every folder view's filter and
    // arrangement as JSON, the other follows "var wanted = {...};" and writes them.
    static const QLatin1StringView readScript;
    static const QLatin1StringView writeScript;

private:
    // Each folder view containment: its "id" and those of its settings this
    // switch changes that it holds. Nullopt when Plasma could not be asked.
    std::optional<QJsonArray> folderViews() const;
    // Writes the settings by containment id ({"<id>": {"<key>": value}}).
    bool write(const QJsonObject &settingsById) const;
    std::optional<QString> evaluate(const QString &script) const;
    bool giveBack(const QJsonArray &views);

    QDBusConnection m_bus;
};
