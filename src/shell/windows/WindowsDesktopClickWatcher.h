#pragma once

#include "shell/DesktopClickWatcher.h"
#include "shell/DesktopDoubleClick.h"

#include <memory>

class DesktopShell;

// Sees the presses of the mouse buttons through a low-level mouse hook, which
// only looks: Explorer's desktop still gets every click. The hook exists only
// while watching, since every mouse event of the session passes through it.
// The desktop is Explorer's Progman or WorkerW window, and the root window
// where no shell runs.
class WindowsDesktopClickWatcher : public DesktopClickWatcher
{
    Q_OBJECT

public:
    explicit WindowsDesktopClickWatcher(std::unique_ptr<DesktopShell> shell, QObject *parent = nullptr);
    ~WindowsDesktopClickWatcher() override;

    void setWatching(bool watching) override;

    // One press of a button (1: the primary one, 2: another) at a point of
    // the screen, with the system's time stamp.
    void pressed(uint32_t timeMs, const QPoint &position, int button);
    DesktopPress::Target targetAt(const QPoint &position) const;

private:
    std::unique_ptr<DesktopShell> m_shell;
    DesktopDoubleClick m_clicks;
    void *m_hook = nullptr;
};
