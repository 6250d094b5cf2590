#include "shell/freedesktop/GnomeShellSettings.h"

#include "shell/freedesktop/GioLibrary.h"

#include <QByteArrayList>

#include <vector>

namespace GnomeShellSettings {

namespace {

constexpr char schemaId[] = "org.gnome.shell";

// GIO when the schema is installed: g_settings_new aborts the process on an
// unknown schema, so it is looked up first.
const GioLibrary *installed()
{
    const GioLibrary *gio = GioLibrary::get();
    GSettingsSchemaSource *source = gio ? gio->settingsSchemaSourceGetDefault() : nullptr;
    GSettingsSchema *schema = source ? gio->settingsSchemaSourceLookup(source, schemaId, TRUE) : nullptr;
    if (!schema)
        return nullptr;
    const bool complete =
        gio->settingsSchemaHasKey(schema, enabledKey) && gio->settingsSchemaHasKey(schema, disabledKey);
    gio->settingsSchemaUnref(schema);
    return complete ? gio : nullptr;
}

QStringList fromStrv(const GioLibrary *gio, gchar **strv)
{
    QStringList list;
    for (gchar **each = strv; each && *each; ++each)
        list.append(QString::fromUtf8(*each));
    gio->strfreev(strv);
    return list;
}

} // namespace

bool available()
{
    return installed() != nullptr;
}

QStringList value(const char *key)
{
    const GioLibrary *gio = installed();
    if (!gio)
        return {};
    GSettings *settings = gio->settingsNew(schemaId);
    const QStringList list = fromStrv(gio, gio->settingsGetStrv(settings, key));
    gio->objectUnref(settings);
    return list;
}

std::optional<QStringList> userValue(const char *key)
{
    const GioLibrary *gio = installed();
    if (!gio)
        return std::nullopt;
    GSettings *settings = gio->settingsNew(schemaId);
    GVariant *user = gio->settingsGetUserValue(settings, key);
    gio->objectUnref(settings);
    if (!user)
        return std::nullopt;
    gio->variantUnref(user);
    return value(key);
}

bool write(const char *key, const std::optional<QStringList> &list)
{
    const GioLibrary *gio = installed();
    if (!gio)
        return false;
    GSettings *settings = gio->settingsNew(schemaId);
    bool written = true;
    if (!list) {
        gio->settingsReset(settings, key);
    } else {
        QByteArrayList utf8;
        for (const QString &each : *list)
            utf8.append(each.toUtf8());
        std::vector<const gchar *> strv;
        for (const QByteArray &each : std::as_const(utf8))
            strv.push_back(each.constData());
        strv.push_back(nullptr);
        written = gio->settingsSetStrv(settings, key, strv.data());
    }
    gio->settingsSync();
    gio->objectUnref(settings);
    return written;
}

} // namespace GnomeShellSettings
