#pragma once

#include "shell/InstanceLock.h"

// One organiser per sign-in session: a named mutex in the session's own
// namespace ("Local\"), so other users signed in at the same time (fast user
// switching, remote desktop) run theirs. The system closes the handle however
// the process ends, so a killed instance never blocks the next start.
class WindowsInstanceLock final : public InstanceLock
{
public:
    explicit WindowsInstanceLock(const QString &key);
    ~WindowsInstanceLock() override;

    WindowsInstanceLock(const WindowsInstanceLock &) = delete;
    WindowsInstanceLock &operator=(const WindowsInstanceLock &) = delete;

    Outcome take() override;
    // Pipe names are shared by all sessions: the session's number keeps them apart.
    QString channelName() const override;

private:
    QString m_key;
    void *m_mutex = nullptr;
};
