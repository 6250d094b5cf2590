#pragma once

#include "shell/WindowStacking.h"

#include <QSet>

#include <memory>

class DesktopShell;

// Windows' z-order as the desktop layer needs it. Windows has a topmost band
// but no band below ordinary windows: a panel kept below is an ordinary window
// that the desktop layer puts back directly above the desktop whenever
// something raised it, told at once of every foreground change.
class WindowsWindowStacking final : public WindowStacking
{
    Q_OBJECT

public:
    explicit WindowsWindowStacking(std::unique_ptr<DesktopShell> shell, QObject *parent = nullptr);
    ~WindowsWindowStacking() override;

    bool isAvailable() const override { return true; }
    bool keepsLayers() const override { return true; }
    bool knowsWindowPositions() const override { return true; }
    QList<WId> stackingOrder() const override;
    WId desktopWindow() const override;
    bool isShown(WId window) const override;
    Layer layer(WId window) const override;
    bool isOwnWindowActive() const override;
    void setLayer(WId window, Layer layer) override;
    void restackAbove(WId window, WId sibling) override;
    void preparePanel(WId window, Layer layer) override;
    // SetWindowPos has done its work when it returns.
    void waitForWindowManager() override {}

private:
    std::unique_ptr<DesktopShell> m_shell;
    // The windows asked to stay down at the desktop, which Windows cannot tell.
    QSet<WId> m_keptBelow;
    void *m_hook = nullptr;
};
