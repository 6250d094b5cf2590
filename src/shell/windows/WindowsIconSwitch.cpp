#include "WindowsIconSwitch.h"

#include "DesktopShell.h"

namespace {

const QLatin1StringView viewClass("SHELLDLL_DefView");
const QLatin1StringView workerClass("WorkerW");
const QLatin1StringView listClass("SysListView32");

} // namespace

WindowsIconSwitch::WindowsIconSwitch(std::unique_ptr<DesktopShell> shell)
    : m_shell(std::move(shell))
{}

WindowsIconSwitch::~WindowsIconSwitch() = default;

bool WindowsIconSwitch::iconsHiddenNow()
{
    if (const WId icons = listView())
        return !m_shell->isShown(icons);
    return m_shell->iconsHiddenSetting();
}

bool WindowsIconSwitch::toggle()
{
    const WId view = desktopView();
    if (!view)
        return false;
    const bool hiddenBefore = iconsHiddenNow();
    // Sent, not posted: the shell has handled it when the call returns.
    m_shell->sendCommand(view, toggleCommand);
    return iconsHiddenNow() != hiddenBefore;
}

bool WindowsIconSwitch::showDirectly()
{
    m_shell->writeIconsHiddenSetting(false);
    return !iconsHiddenNow();
}

bool WindowsIconSwitch::found()
{
    return desktopView() != 0;
}

WId WindowsIconSwitch::desktopView() const
{
    if (const WId shell = m_shell->shellWindow()) {
        if (const WId view = viewUnder(shell))
            return view;
    }
    const QList<WId> windows = m_shell->topLevelWindows();
    for (const WId window : windows) {
        if (m_shell->className(window) != workerClass)
            continue;
        if (const WId view = viewUnder(window))
            return view;
    }
    return 0;
}

WId WindowsIconSwitch::listView() const
{
    const WId view = desktopView();
    if (!view)
        return 0;
    const QList<WId> children = m_shell->childWindows(view);
    for (const WId child : children) {
        if (m_shell->className(child) == listClass)
            return child;
    }
    return 0;
}

WId WindowsIconSwitch::viewUnder(WId parent) const
{
    const QList<WId> children = m_shell->childWindows(parent);
    for (const WId child : children) {
        if (m_shell->className(child) == viewClass)
            return child;
    }
    return 0;
}
