#include "shell/freedesktop/GSettingsIconSwitch.h"

#include "base/SafeFile.h"

#include <QDir>
#include <QFileInfo>

#include <gio/gio.h>
#include <unistd.h>

namespace {

constexpr char key[] = "show-desktop-icons";

// The schema with the key, or null when it is not installed (g_settings_new
// aborts the process on an unknown schema, so it is looked up first).
GSettingsSchema *lookUp(const QString &schemaId)
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    if (!source)
        return nullptr;
    GSettingsSchema *schema = g_settings_schema_source_lookup(source, schemaId.toUtf8().constData(), TRUE);
    if (schema && !g_settings_schema_has_key(schema, key)) {
        g_settings_schema_unref(schema);
        return nullptr;
    }
    return schema;
}

} // namespace

GSettingsIconSwitch::GSettingsIconSwitch(const QString &schema, const QString &desktopProcess)
    : m_schema(schema)
    , m_process(desktopProcess)
{}

bool GSettingsIconSwitch::processRuns(const QString &name)
{
    const QDir proc(QStringLiteral("/proc"));
    const QStringList pids = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    const uint me = ::getuid();
    for (const QString &pid : pids) {
        bool numeric = false;
        pid.toInt(&numeric);
        if (!numeric || QFileInfo(proc.filePath(pid)).ownerId() != me)
            continue;
        const SafeFile::Result comm = SafeFile::read(proc.filePath(pid) + QLatin1String("/comm"), 256);
        if (comm.ok() && QString::fromUtf8(comm.data).trimmed() == name)
            return true;
    }
    return false;
}

bool GSettingsIconSwitch::isReachable() const
{
    GSettingsSchema *schema = lookUp(m_schema);
    if (!schema)
        return false;
    g_settings_schema_unref(schema);
    return processRuns(m_process);
}

bool GSettingsIconSwitch::iconsHiddenNow()
{
    if (!isReachable())
        return false;
    GSettings *settings = g_settings_new(m_schema.toUtf8().constData());
    const bool shown = g_settings_get_boolean(settings, key);
    g_object_unref(settings);
    return !shown;
}

bool GSettingsIconSwitch::write(bool show) const
{
    GSettingsSchema *schema = lookUp(m_schema);
    if (!schema)
        return false;
    g_settings_schema_unref(schema);
    GSettings *settings = g_settings_new(m_schema.toUtf8().constData());
    const bool written = g_settings_set_boolean(settings, key, show);
    g_settings_sync();
    g_object_unref(settings);
    return written;
}

bool GSettingsIconSwitch::toggle()
{
    if (!isReachable())
        return false;
    return write(iconsHiddenNow());
}

bool GSettingsIconSwitch::showDirectly()
{
    return write(true);
}
