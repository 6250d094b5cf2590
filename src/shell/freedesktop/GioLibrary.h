#pragma once

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

// GIO, loaded at its first use. Linked in, it and the libraries under it were
// loaded at every start (a megabyte resident) for what comes late or never:
// opening an item, GNOME's switch for the desktop's icons, and copying files.
struct GioLibrary
{
    // The loaded library with every function below, or null when GIO is missing.
    static const GioLibrary *get();

    gboolean (*appInfoLaunchDefaultForUri)(const char *, GAppLaunchContext *, GError **) = nullptr;
    GDesktopAppInfo *(*desktopAppInfoNewFromFilename)(const char *) = nullptr;
    gboolean (*appInfoLaunch)(GAppInfo *, GList *, GAppLaunchContext *, GError **) = nullptr;
    void (*objectUnref)(gpointer) = nullptr;
    GAppLaunchContext *(*appLaunchContextNew)() = nullptr;
    void (*appLaunchContextSetenv)(GAppLaunchContext *, const char *, const char *) = nullptr;
    void (*appLaunchContextUnsetenv)(GAppLaunchContext *, const char *) = nullptr;
    GSettingsSchemaSource *(*settingsSchemaSourceGetDefault)() = nullptr;
    GSettingsSchema *(*settingsSchemaSourceLookup)(GSettingsSchemaSource *, const gchar *,
                                                   gboolean) = nullptr;
    gboolean (*settingsSchemaHasKey)(GSettingsSchema *, const gchar *) = nullptr;
    void (*settingsSchemaUnref)(GSettingsSchema *) = nullptr;
    GSettings *(*settingsNew)(const gchar *) = nullptr;
    gboolean (*settingsGetBoolean)(GSettings *, const gchar *) = nullptr;
    gboolean (*settingsSetBoolean)(GSettings *, const gchar *, gboolean) = nullptr;
    gchar *(*settingsGetString)(GSettings *, const gchar *) = nullptr;
    gboolean (*settingsSetString)(GSettings *, const gchar *, const gchar *) = nullptr;
    void (*settingsReset)(GSettings *, const gchar *) = nullptr;
    gchar **(*settingsGetStrv)(GSettings *, const gchar *) = nullptr;
    gboolean (*settingsSetStrv)(GSettings *, const gchar *, const gchar *const *) = nullptr;
    GVariant *(*settingsGetUserValue)(GSettings *, const gchar *) = nullptr;
    void (*variantUnref)(GVariant *) = nullptr;
    void (*strfreev)(gchar **) = nullptr;
    void (*free)(gpointer) = nullptr;
    void (*settingsSync)() = nullptr;
    GFile *(*fileNewForPath)(const char *) = nullptr;
    gboolean (*fileCopy)(GFile *, GFile *, GFileCopyFlags, GCancellable *, GFileProgressCallback, gpointer,
                         GError **) = nullptr;
    gboolean (*fileCopyAttributes)(GFile *, GFile *, GFileCopyFlags, GCancellable *, GError **) = nullptr;
    GCancellable *(*cancellableNew)() = nullptr;
    void (*cancellableCancel)(GCancellable *) = nullptr;
    gboolean (*cancellableIsCancelled)(GCancellable *) = nullptr;
};
