#include "shell/freedesktop/GSettingsIconSwitch.h"

#include "shell/freedesktop/GioLibrary.h"

namespace {

constexpr char key[] = "show-desktop-icons";

// The schema with the key, or null when it is not installed (g_settings_new
// aborts the process on an unknown schema, so it is looked up first).
GSettingsSchema *lookUp(const GioLibrary &gio, const QString &schemaId)
{
    GSettingsSchemaSource *source = gio.settingsSchemaSourceGetDefault();
    if (!source)
        return nullptr;
    GSettingsSchema *schema = gio.settingsSchemaSourceLookup(source, schemaId.toUtf8().constData(), TRUE);
    if (schema && !gio.settingsSchemaHasKey(schema, key)) {
        gio.settingsSchemaUnref(schema);
        return nullptr;
    }
    return schema;
}

// GIO when it is there and the schema is installed.
const GioLibrary *installed(const QString &schemaId)
{
    const GioLibrary *gio = GioLibrary::get();
    GSettingsSchema *schema = gio ? lookUp(*gio, schemaId) : nullptr;
    if (!schema)
        return nullptr;
    gio->settingsSchemaUnref(schema);
    return gio;
}

} // namespace

GSettingsIconSwitch::GSettingsIconSwitch(const QString &schema)
    : m_schema(schema)
{}

bool GSettingsIconSwitch::isInstalled() const
{
    return installed(m_schema) != nullptr;
}

// Whether that desktop still runs is the chooser's question; these only need
// the schema, without which g_settings_new would abort.
bool GSettingsIconSwitch::iconsHiddenNow()
{
    const GioLibrary *gio = installed(m_schema);
    if (!gio)
        return false;
    GSettings *settings = gio->settingsNew(m_schema.toUtf8().constData());
    const bool shown = gio->settingsGetBoolean(settings, key);
    gio->objectUnref(settings);
    return !shown;
}

bool GSettingsIconSwitch::write(bool show) const
{
    const GioLibrary *gio = installed(m_schema);
    if (!gio)
        return false;
    GSettings *settings = gio->settingsNew(m_schema.toUtf8().constData());
    const bool written = gio->settingsSetBoolean(settings, key, show);
    gio->settingsSync();
    gio->objectUnref(settings);
    return written;
}

bool GSettingsIconSwitch::toggle()
{
    return write(iconsHiddenNow());
}

bool GSettingsIconSwitch::showDirectly()
{
    return write(true);
}
