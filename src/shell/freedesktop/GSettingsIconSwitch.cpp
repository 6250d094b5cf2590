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

bool installed(const QString &schemaId)
{
    GSettingsSchema *schema = lookUp(schemaId);
    if (schema)
        g_settings_schema_unref(schema);
    return schema != nullptr;
}

} // namespace

GSettingsIconSwitch::GSettingsIconSwitch(const QString &schema, const QString &desktopProcess)
    : m_schema(schema)
    , m_process(desktopProcess)
{}

QSet<QString> GSettingsIconSwitch::runningProcesses()
{
    QSet<QString> names;
    const QDir proc(QStringLiteral("/proc"));
    const QStringList pids = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    const uint me = ::getuid();
    for (const QString &pid : pids) {
        bool numeric = false;
        pid.toInt(&numeric);
        if (!numeric || QFileInfo(proc.filePath(pid)).ownerId() != me)
            continue;
        const SafeFile::Result comm = SafeFile::read(proc.filePath(pid) + QLatin1String("/comm"), 256);
        if (comm.ok())
            names.insert(QString::fromUtf8(comm.data).trimmed());
    }
    return names;
}

bool GSettingsIconSwitch::isReachable(const QSet<QString> &runningProcesses) const
{
    return runningProcesses.contains(m_process) && installed(m_schema);
}

// Whether that desktop still runs is the chooser's question; these only need
// the schema, without which g_settings_new would abort.
bool GSettingsIconSwitch::iconsHiddenNow()
{
    if (!installed(m_schema))
        return false;
    GSettings *settings = g_settings_new(m_schema.toUtf8().constData());
    const bool shown = g_settings_get_boolean(settings, key);
    g_object_unref(settings);
    return !shown;
}

bool GSettingsIconSwitch::write(bool show) const
{
    if (!installed(m_schema))
        return false;
    GSettings *settings = g_settings_new(m_schema.toUtf8().constData());
    const bool written = g_settings_set_boolean(settings, key, show);
    g_settings_sync();
    g_object_unref(settings);
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
