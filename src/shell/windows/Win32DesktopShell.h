#pragma once

#include "DesktopShell.h"

// The desktop shell as user32, dwmapi and shell32 show it.
class Win32DesktopShell final : public DesktopShell
{
public:
    WId shellWindow() const override;
    QList<WId> topLevelWindows() const override;
    QList<WId> childWindows(WId parent) const override;
    QString className(WId window) const override;
    bool isShown(WId window) const override;
    bool isTopmost(WId window) const override;
    WId windowAbove(WId window) const override;
    bool isOwnForeground() const override;
    WId topLevelAt(const QPoint &point) const override;
    WId rootWindow() const override;
    void setTopmost(WId window, bool topmost) override;
    void placeBelow(WId window, WId other) override;
    void placeAtBottom(WId window) override;
    void sendCommand(WId window, int command) override;
    bool iconsHiddenSetting() const override;
    void writeIconsHiddenSetting(bool hidden) override;
};
