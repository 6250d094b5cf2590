#include "WindowsWindowStacking.h"

#include "DesktopShell.h"

#include <algorithm>
#include <windows.h>

namespace {

// The hook's callback carries no context: the one stacking that listens.
WindowsWindowStacking *listening = nullptr;

void CALLBACK foregroundHook(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD)
{
    if (listening)
        Q_EMIT listening->foregroundChanged();
}

} // namespace

WindowsWindowStacking::WindowsWindowStacking(std::unique_ptr<DesktopShell> shell, QObject *parent)
    : WindowStacking(parent)
    , m_shell(std::move(shell))
{
    if (listening)
        return;
    // Out of context: the callback arrives through this thread's message loop.
    m_hook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, foregroundHook, 0, 0,
                             WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (m_hook)
        listening = this;
}

WindowsWindowStacking::~WindowsWindowStacking()
{
    if (m_hook)
        UnhookWinEvent(static_cast<HWINEVENTHOOK>(m_hook));
    if (listening == this)
        listening = nullptr;
}

QList<WId> WindowsWindowStacking::stackingOrder() const
{
    QList<WId> order = m_shell->topLevelWindows();
    std::reverse(order.begin(), order.end());
    return order;
}

WId WindowsWindowStacking::desktopWindow() const
{
    // Where the shell's desktop window is no sibling of the other windows
    // (Wine's is the root of them all), the bottom of the stack is the desktop.
    const WId shell = m_shell->shellWindow();
    return shell && m_shell->topLevelWindows().contains(shell) ? shell : 0;
}

bool WindowsWindowStacking::isShown(WId window) const
{
    return m_shell->isShown(window);
}

WindowStacking::Layer WindowsWindowStacking::layer(WId window) const
{
    if (m_shell->isTopmost(window))
        return Layer::KeepAbove;
    return m_keptBelow.contains(window) ? Layer::KeepBelow : Layer::Normal;
}

bool WindowsWindowStacking::isOwnWindowActive() const
{
    return m_shell->isOwnForeground();
}

void WindowsWindowStacking::setLayer(WId window, Layer layer)
{
    if (layer == Layer::KeepBelow)
        m_keptBelow.insert(window);
    else
        m_keptBelow.remove(window);
    const bool topmost = layer == Layer::KeepAbove;
    if (m_shell->isTopmost(window) != topmost)
        m_shell->setTopmost(window, topmost);
}

void WindowsWindowStacking::restackAbove(WId window, WId sibling)
{
    if (!sibling) {
        m_shell->placeAtBottom(window);
        return;
    }
    // SetWindowPos puts a window under its insert-after window: under the one
    // now directly above the sibling. Under the topmost band there is no
    // ordinary window left above, and the top of the ordinary ones is right.
    const WId above = m_shell->windowAbove(sibling);
    if (above == window)
        return;
    m_shell->placeBelow(window, above && !m_shell->isTopmost(above) ? above : 0);
}

void WindowsWindowStacking::preparePanel(WId window, Layer layer)
{
    setLayer(window, layer);
}
