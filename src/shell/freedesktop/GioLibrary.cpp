#include "GioLibrary.h"

#include <QLibrary>

namespace {

template<typename Function>
bool resolve(QLibrary &library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

GioLibrary load()
{
    GioLibrary gio;
    // Never unloaded: GLib's types stay registered for the life of the process.
    QLibrary library(QStringLiteral("gio-2.0"), 0);
    const bool complete =
        // GLib's own, found through GIO, which links it.
        resolve(library, "g_free", gio.free) &&
        resolve(library, "g_app_info_launch_default_for_uri", gio.appInfoLaunchDefaultForUri) &&
        resolve(library, "g_desktop_app_info_new_from_filename", gio.desktopAppInfoNewFromFilename) &&
        resolve(library, "g_app_info_launch", gio.appInfoLaunch) &&
        resolve(library, "g_object_unref", gio.objectUnref) &&
        resolve(library, "g_app_launch_context_new", gio.appLaunchContextNew) &&
        resolve(library, "g_app_launch_context_setenv", gio.appLaunchContextSetenv) &&
        resolve(library, "g_app_launch_context_unsetenv", gio.appLaunchContextUnsetenv) &&
        resolve(library, "g_settings_schema_source_get_default", gio.settingsSchemaSourceGetDefault) &&
        resolve(library, "g_settings_schema_source_lookup", gio.settingsSchemaSourceLookup) &&
        resolve(library, "g_settings_schema_has_key", gio.settingsSchemaHasKey) &&
        resolve(library, "g_settings_schema_unref", gio.settingsSchemaUnref) &&
        resolve(library, "g_settings_new", gio.settingsNew) &&
        resolve(library, "g_settings_get_boolean", gio.settingsGetBoolean) &&
        resolve(library, "g_settings_set_boolean", gio.settingsSetBoolean) &&
        resolve(library, "g_settings_get_string", gio.settingsGetString) &&
        resolve(library, "g_settings_set_string", gio.settingsSetString) &&
        resolve(library, "g_settings_reset", gio.settingsReset) &&
        resolve(library, "g_settings_get_strv", gio.settingsGetStrv) &&
        resolve(library, "g_settings_set_strv", gio.settingsSetStrv) &&
        resolve(library, "g_settings_get_user_value", gio.settingsGetUserValue) &&
        resolve(library, "g_variant_unref", gio.variantUnref) &&
        resolve(library, "g_strfreev", gio.strfreev) &&
        resolve(library, "g_settings_sync", gio.settingsSync) &&
        resolve(library, "g_file_new_for_path", gio.fileNewForPath) &&
        resolve(library, "g_file_copy", gio.fileCopy) &&
        resolve(library, "g_file_copy_attributes", gio.fileCopyAttributes) &&
        resolve(library, "g_cancellable_new", gio.cancellableNew) &&
        resolve(library, "g_cancellable_cancel", gio.cancellableCancel) &&
        resolve(library, "g_cancellable_is_cancelled", gio.cancellableIsCancelled);
    if (!complete)
        gio = {};
    return gio;
}

} // namespace

const GioLibrary *GioLibrary::get()
{
    static const GioLibrary gio = load();
    return gio.cancellableIsCancelled ? &gio : nullptr;
}
