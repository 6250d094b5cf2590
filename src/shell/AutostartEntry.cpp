#include "shell/AutostartEntry.h"

#include "base/Settings.h"
#include "base/SettingsKeys.h"

bool AutostartEntry::decideOnFirstRun()
{
    Settings *settings = Settings::instance();
    if (settings->value(SettingsKeys::autostartDecided).toBool())
        return false;
    // Stored before trying, so a failure is not retried at every start.
    settings->setValue(SettingsKeys::autostartDecided, true);
    if (exists())
        return false;
    return setEnabled(true);
}
