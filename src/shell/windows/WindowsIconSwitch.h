#pragma once

#include "shell/DesktopIconSwitch.h"

#include <qwindowdefs.h>

#include <memory>

class DesktopShell;

// The Explorer desktop's own "Show desktop icons" switch: the menu command its
// view window (SHELLDLL_DefView, the parent of the icons' SysListView32) acts
// on when the user flips the switch in the desktop's menu.
class WindowsIconSwitch final : public DesktopIconSwitch
{
public:
    // The command the desktop's menu sends for "Show desktop icons".
    static constexpr int toggleCommand = 0x7402;

    explicit WindowsIconSwitch(std::unique_ptr<DesktopShell> shell);
    ~WindowsIconSwitch() override;

    bool iconsHiddenNow() override;
    // True only when the shell's state really flipped: a view that takes the
    // message and ignores it (a shell still starting) is no success.
    bool toggle() override;
    bool showDirectly() override;
    bool found() override;

    // The desktop's view window: under the shell window, or, once wallpaper
    // animation split the desktop, under one of the WorkerW windows; 0 when
    // the shell runs no desktop (yet).
    WId desktopView() const;

private:
    WId viewUnder(WId parent) const;

    std::unique_ptr<DesktopShell> m_shell;
};
