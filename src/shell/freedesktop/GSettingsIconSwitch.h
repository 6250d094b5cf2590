#pragma once

#include "shell/DesktopIconSwitch.h"

#include <QSet>
#include <QString>

// The "show-desktop-icons" key of a GSettings schema, for the desktops that
// honour it (Nemo's, Caja's, older Nautilus). Used only when the schema is
// installed and that desktop's process runs: flipping the key of a desktop
// that is not there would change a stranger's setting and show nothing.
class GSettingsIconSwitch final : public DesktopIconSwitch
{
public:
    GSettingsIconSwitch(const QString &schema, const QString &desktopProcess);

    // The schema is installed and that desktop's process is among the running ones.
    bool isReachable(const QSet<QString> &runningProcesses) const;

    bool iconsHiddenNow() override;
    bool toggle() override;
    bool showDirectly() override;

    // The names (as in /proc/PID/comm) of this user's processes, read once per
    // look for a desktop.
    static QSet<QString> runningProcesses();

private:
    bool write(bool show) const;

    QString m_schema;
    QString m_process;
};
