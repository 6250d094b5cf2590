#include "WindowsDesktopClickWatcher.h"

#include "DesktopShell.h"

#include <QGuiApplication>
#include <QStyleHints>

#include <windows.h>

namespace {

// The hook's callback carries no context: the one watcher that listens.
WindowsDesktopClickWatcher *listening = nullptr;

LRESULT CALLBACK mouseHook(int code, WPARAM message, LPARAM data)
{
    if (code == HC_ACTION && listening) {
        const auto *event = reinterpret_cast<const MSLLHOOKSTRUCT *>(data);
        // The hook sees the physical buttons, before a left-handed mouse's
        // swap: the primary button is then the right one.
        const WPARAM primary = GetSystemMetrics(SM_SWAPBUTTON) ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
        if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN)
            listening->pressed(event->time, QPoint(event->pt.x, event->pt.y), message == primary ? 1 : 2);
    }
    return CallNextHookEx(nullptr, code, message, data);
}

} // namespace

WindowsDesktopClickWatcher::WindowsDesktopClickWatcher(std::unique_ptr<DesktopShell> shell, QObject *parent)
    : DesktopClickWatcher(parent)
    , m_shell(std::move(shell))
{}

WindowsDesktopClickWatcher::~WindowsDesktopClickWatcher()
{
    setWatching(false);
}

void WindowsDesktopClickWatcher::setWatching(bool watching)
{
    if (watching == (m_hook != nullptr) || (watching && listening))
        return;
    if (watching) {
        // Low-level hooks run on the installing thread, through its message loop.
        m_hook = SetWindowsHookExW(WH_MOUSE_LL, mouseHook, GetModuleHandleW(nullptr), 0);
        if (m_hook)
            listening = this;
    } else {
        UnhookWindowsHookEx(static_cast<HHOOK>(m_hook));
        m_hook = nullptr;
        listening = nullptr;
    }
}

void WindowsDesktopClickWatcher::pressed(uint32_t timeMs, const QPoint &position, int button)
{
    DesktopPress press;
    press.timeMs = timeMs;
    press.position = position;
    press.target = targetAt(position);
    press.button = button;
    const QStyleHints *hints = QGuiApplication::styleHints();
    if (m_clicks.press(press, desktopIconsShown(), hints->mouseDoubleClickInterval(),
                       hints->mouseDoubleClickDistance()))
        Q_EMIT desktopDoubleClicked();
}

DesktopPress::Target WindowsDesktopClickWatcher::targetAt(const QPoint &position) const
{
    const WId window = m_shell->topLevelAt(position);
    if (!window || window == m_shell->rootWindow())
        return DesktopPress::Target::Root;
    const QString name = m_shell->className(window);
    if (name == QLatin1String("Progman") || name == QLatin1String("WorkerW"))
        return DesktopPress::Target::Desktop;
    return DesktopPress::Target::Other;
}
