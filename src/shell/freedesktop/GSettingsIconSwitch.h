#pragma once

#include "shell/DesktopIconSwitch.h"

#include <QString>

// The "show-desktop-icons" key of a GSettings schema, for the desktops that
// honour it (Nemo's, Caja's, older Nautilus). Used only when the schema is
// installed and that desktop's process runs: flipping the key of a desktop
// that is not there would change a stranger's setting and show nothing.
class GSettingsIconSwitch final : public DesktopIconSwitch
{
public:
    GSettingsIconSwitch(const QString &schema, const QString &desktopProcess);

    bool isReachable() const;

    bool iconsHiddenNow() override;
    bool toggle() override;
    bool showDirectly() override;

    // Whether a process of this user with that name (as in /proc/PID/comm) runs.
    static bool processRuns(const QString &name);

private:
    bool write(bool show) const;

    QString m_schema;
    QString m_process;
};
