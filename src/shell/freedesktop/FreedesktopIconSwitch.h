#pragma once

#include "shell/DesktopIconSwitch.h"
#include "shell/freedesktop/GSettingsIconSwitch.h"
#include "shell/freedesktop/XfconfIconSwitch.h"

#include <vector>

// Whichever desktop runs: xfdesktop through xfconf, else the first GSettings
// desktop whose schema is installed and whose process runs. Asked afresh at
// every call, so a desktop that starts late (or restarts) is found.
class FreedesktopIconSwitch final : public DesktopIconSwitch
{
public:
    FreedesktopIconSwitch();

    bool iconsHiddenNow() override;
    bool toggle() override;
    bool showDirectly() override;

private:
    DesktopIconSwitch *reachable();

    XfconfIconSwitch m_xfconf;
    std::vector<GSettingsIconSwitch> m_gsettings;
    // The switch the last hide went through: showing goes back through it.
    DesktopIconSwitch *m_used = nullptr;
};
