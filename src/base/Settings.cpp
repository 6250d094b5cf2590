#include "base/Settings.h"

#include <QRect>
#include <QSettings>

namespace {

struct Entry
{
    QLatin1StringView key;
    QMetaType::Type type;
    QVariant defaultValue; // invalid: none
};

// Every key of the program, with its type and default.
const QList<Entry> &globalKeys()
{
    static const QList<Entry> keys{
        {SettingsKeys::uiLanguage, QMetaType::QString, QStringLiteral("system")},
        // Read with 0: the start-up rule accepts only 32-96 and falls back to 48.
        {SettingsKeys::panelIconSize, QMetaType::Int, 0},
        {SettingsKeys::panelLayoutLocked, QMetaType::Bool, false},
        {SettingsKeys::todoVisible, QMetaType::Bool, true},
        {SettingsKeys::currencyVisible, QMetaType::Bool, true},
        {SettingsKeys::todoHideCompleted, QMetaType::Bool, false},
        {SettingsKeys::todoGeometry, QMetaType::QRect, {}},
        {SettingsKeys::currencyGeometry, QMetaType::QByteArray, {}},
        {SettingsKeys::currencyLayoutVersion, QMetaType::Int, 0},
        {SettingsKeys::currencyFrom, QMetaType::QString, QStringLiteral("USD")},
        {SettingsKeys::currencyTo, QMetaType::QString, QStringLiteral("CNY")},
        {SettingsKeys::shellIconsHiddenByUs, QMetaType::Bool, false},
        // Milliseconds since the epoch; 0: never.
        {SettingsKeys::shellIconsRestoredAt, QMetaType::LongLong, 0},
        {SettingsKeys::autostartDecided, QMetaType::Bool, false},
    };
    return keys;
}

// Keys a panel (or the to-do and currency panels) owns, matched by their suffix.
const QList<Entry> &panelKeys()
{
    static const QList<Entry> keys{
        {SettingsKeys::geometry, QMetaType::QRect, {}},
        {SettingsKeys::iconSize, QMetaType::Int, 0},
        {SettingsKeys::layoutVersion, QMetaType::Int, 0},
        {SettingsKeys::userPlaced, QMetaType::Bool, false},
        {SettingsKeys::expandedHeight, QMetaType::Int, 0},
        {SettingsKeys::collapsed, QMetaType::Bool, false},
        // Absent means Automatic; any other text than "grid" or "list" too.
        {SettingsKeys::viewMode, QMetaType::QString, QString()},
        // Absent (or unknown) means desktop order.
        {SettingsKeys::sortKey, QMetaType::QString, QString()},
        {SettingsKeys::sortReversed, QMetaType::Bool, false},
        // Defaults to the "topmost" option: the caller supplies it.
        {SettingsKeys::keepOnTop, QMetaType::Bool, {}},
    };
    return keys;
}

const Entry *entryFor(const QString &key)
{
    for (const Entry &entry : globalKeys()) {
        if (key == entry.key)
            return &entry;
    }
    // "panel/<id>/collapsed", "panel/collapsed" (single mode), "todo/keepOnTop".
    for (const Entry &entry : panelKeys()) {
        if (key.endsWith(entry.key) && key.size() > entry.key.size())
            return &entry;
    }
    return nullptr;
}

} // namespace

Settings *Settings::instance()
{
    static Settings settings;
    return &settings;
}

QVariant Settings::defaultValue(const QString &key)
{
    const Entry *entry = entryFor(key);
    return entry ? entry->defaultValue : QVariant();
}

QVariant Settings::value(const QString &key) const
{
    return value(key, defaultValue(key));
}

QVariant Settings::value(const QString &key, const QVariant &fallback) const
{
    const QVariant stored = QSettings().value(key);
    if (!stored.isValid())
        return fallback;
    const Entry *entry = entryFor(key);
    if (!entry)
        return stored;
    QVariant converted = stored;
    // A hand-edited or foreign value of the wrong type reads as absent, never
    // as a surprising conversion (a rectangle from a string, say).
    if (!converted.convert(QMetaType(entry->type)))
        return fallback;
    return converted;
}

bool Settings::contains(const QString &key) const
{
    return QSettings().contains(key);
}

void Settings::setValue(const QString &key, const QVariant &value)
{
    QSettings().setValue(key, value);
    Q_EMIT changed(key);
}

void Settings::remove(const QString &key)
{
    QSettings().remove(key);
    Q_EMIT changed(key);
}
