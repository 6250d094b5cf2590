#include "PanelSettings.h"

#include "base/Settings.h"
#include "base/SettingsKeys.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

const QString gridValue = QStringLiteral("grid");
const QString listValue = QStringLiteral("list");

} // namespace

PanelSettings::PanelSettings(QString prefix)
    : m_prefix(std::move(prefix))
{}

QString PanelSettings::key(QLatin1StringView suffix) const
{
    return SettingsKeys::key(m_prefix, suffix);
}

std::optional<bool> PanelSettings::listView() const
{
    const QString mode = Settings::instance()->value(key(SettingsKeys::viewMode)).toString();
    if (mode == gridValue)
        return false;
    if (mode == listValue)
        return true;
    return std::nullopt;
}

void PanelSettings::setListView(std::optional<bool> list)
{
    if (list)
        Settings::instance()->setValue(key(SettingsKeys::viewMode), *list ? listValue : gridValue);
    else
        Settings::instance()->remove(key(SettingsKeys::viewMode));
}

bool PanelSettings::isCollapsed() const
{
    return Settings::instance()->value(key(SettingsKeys::collapsed)).toBool();
}

void PanelSettings::setCollapsed(bool collapsed)
{
    Settings::instance()->setValue(key(SettingsKeys::collapsed), collapsed);
}

int PanelSettings::expandedHeight() const
{
    return Settings::instance()->value(key(SettingsKeys::expandedHeight)).toInt();
}

void PanelSettings::setExpandedHeight(int height)
{
    Settings::instance()->setValue(key(SettingsKeys::expandedHeight), height);
}

PanelSort::SortMode PanelSettings::sortMode() const
{
    return PanelSort::sortModeFromKey(Settings::instance()->value(key(SettingsKeys::sortKey)).toString());
}

bool PanelSettings::isSortReversed() const
{
    return Settings::instance()->value(key(SettingsKeys::sortReversed)).toBool();
}

void PanelSettings::setSortMode(PanelSort::SortMode mode)
{
    Settings::instance()->setValue(key(SettingsKeys::sortKey), PanelSort::sortModeKey(mode));
}

void PanelSettings::setSortReversed(bool reversed)
{
    Settings::instance()->setValue(key(SettingsKeys::sortReversed), reversed);
}

std::optional<PanelSettings::Placement> PanelSettings::placement(int iconSize, int layoutVersion) const
{
    const Settings *settings = Settings::instance();
    const QRect stored = settings->value(key(SettingsKeys::geometry)).toRect();
    if (!stored.isValid())
        return std::nullopt;
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (std::none_of(screens.cbegin(), screens.cend(), [&stored](const QScreen *screen) {
            return stored.intersects(screen->availableGeometry());
        }))
        return std::nullopt;
    return Placement{stored, settings->value(key(SettingsKeys::userPlaced)).toBool(),
                     settings->value(key(SettingsKeys::iconSize)).toInt() != iconSize ||
                         settings->value(key(SettingsKeys::layoutVersion)).toInt() != layoutVersion};
}

void PanelSettings::setPlacement(const QRect &rect, bool userPlaced, int iconSize, int layoutVersion)
{
    Settings *settings = Settings::instance();
    settings->setValue(key(SettingsKeys::geometry), rect);
    settings->setValue(key(SettingsKeys::iconSize), iconSize);
    settings->setValue(key(SettingsKeys::layoutVersion), layoutVersion);
    settings->setValue(key(SettingsKeys::userPlaced), userPlaced);
}
