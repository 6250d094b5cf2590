#pragma once

#include "shell/DesktopIconSwitch.h"
#include "shell/freedesktop/SessionProcesses.h"

#include <functional>
#include <memory>
#include <vector>

// Whichever desktop runs in this session: xfdesktop through xfconf, else the
// first of Nemo, Caja, GNOME Shell's desktop icons extension, Nautilus and
// Plasma's folder view whose process runs in this session and whose switch can
// be reached, else pcmanfm-qt's desktop (LXQt). Asked afresh at every call, so a desktop that starts late
// (or restarts) is found.
class FreedesktopIconSwitch final : public DesktopIconSwitch
{
public:
    struct Desktop
    {
        std::unique_ptr<DesktopIconSwitch> iconSwitch;
        // The process that draws this desktop's icons, which must run in this
        // session; empty when the switch's own check below says it all.
        QString process;
        // Whether the desktop can be reached; none: always, once its process runs.
        std::function<bool()> reachable;
        // For a desktop whose process ends when its icons are hidden (Caja):
        // whether this program's hide ended it, so that the switch still counts
        // while the process is gone (also in the next run after a kill), and
        // what starts it again once the icons are shown.
        std::function<bool()> stoppedByUs;
        std::function<void()> restart;
    };
    // The processes named one of the names, with their session variables.
    using ProcessTable = std::function<QList<SessionProcesses::Process>(const QSet<QString> &names)>;

    // The desktops in the order they are preferred, as seen from the session of own.
    FreedesktopIconSwitch(std::vector<Desktop> desktops, ProcessTable processes,
                          SessionProcesses::Environment own);
    // The desktops this platform knows, looked for in the session of session
    // (this process's unless a caller looks from elsewhere).
    static std::unique_ptr<FreedesktopIconSwitch>
    forThisSession(ProcessTable processes = &SessionProcesses::read,
                   SessionProcesses::Environment session = SessionProcesses::own());

    bool iconsHiddenNow() override;
    bool toggle() override;
    void toggleLater(Done done) override;
    void finish(QDeadlineTimer deadline) override;
    bool showDirectly() override;
    bool found() override;

private:
    Desktop *reachable();
    QSet<QString> namesInSession() const;
    // Starts the desktop again when showing the icons did not bring its process back.
    void restartIfGone(Desktop *desktop) const;
    // After target's switch was flipped: showing goes back through the one that hid.
    void toggled(Desktop *target);

    std::vector<Desktop> m_desktops;
    ProcessTable m_processes;
    SessionProcesses::Environment m_own;
    // The switch the last hide went through: showing goes back through it.
    Desktop *m_used = nullptr;
};
