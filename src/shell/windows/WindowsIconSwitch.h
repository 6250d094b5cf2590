#pragma once

#include "shell/DesktopIconSwitch.h"

#include <qwindowdefs.h>

#include <memory>

class DesktopShell;

// The Explorer desktop's own "Show desktop icons" switch: the menu command its
// view window (SHELLDLL_DefView) acts on when the user flips the switch in the
// desktop's menu. Explorer hides and shows the icons' list view (SysListView32)
// for it, which another process reads reliably at once; the shell's stored
// state is only asked where there is no list view.
class WindowsIconSwitch final : public DesktopIconSwitch
{
public:
    // The command the desktop's menu sends for "Show desktop icons".
    static constexpr int toggleCommand = 0x7402;

    explicit WindowsIconSwitch(std::unique_ptr<DesktopShell> shell);
    ~WindowsIconSwitch() override;

    bool iconsHiddenNow() override;
    // True only when the icons really came or went: a view that takes the
    // message and ignores it (a shell still starting) is no success.
    bool toggle() override;
    bool showDirectly() override;
    bool found() override;

    // The desktop's view window: under the shell window, or, once wallpaper
    // animation split the desktop, under one of the WorkerW windows; 0 when
    // the shell runs no desktop (yet).
    WId desktopView() const;

    // The icons' list view inside the desktop's view, or 0.
    WId listView() const;

private:
    WId viewUnder(WId parent) const;

    std::unique_ptr<DesktopShell> m_shell;
};
