#include "Win32DesktopShell.h"

#include <dwmapi.h>
#include <shlobj.h>
#include <windows.h>

namespace {

HWND handle(WId window)
{
    return reinterpret_cast<HWND>(window);
}

WId id(HWND window)
{
    return reinterpret_cast<WId>(window);
}

BOOL CALLBACK collect(HWND window, LPARAM list)
{
    reinterpret_cast<QList<WId> *>(list)->append(id(window));
    return TRUE;
}

constexpr UINT placeOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

} // namespace

WId Win32DesktopShell::shellWindow() const
{
    return id(GetShellWindow());
}

QList<WId> Win32DesktopShell::topLevelWindows() const
{
    QList<WId> windows;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

QList<WId> Win32DesktopShell::childWindows(WId parent) const
{
    QList<WId> windows;
    EnumChildWindows(handle(parent), collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

QString Win32DesktopShell::className(WId window) const
{
    // Longer names are of no interest: only a few short ones are looked for.
    wchar_t name[64] = {};
    const int length = GetClassNameW(handle(window), name, int(std::size(name)));
    return QString::fromWCharArray(name, qMax(length, 0));
}

bool Win32DesktopShell::isShown(WId window) const
{
    if (!IsWindowVisible(handle(window)) || IsIconic(handle(window)))
        return false;
    DWORD cloaked = 0;
    return FAILED(DwmGetWindowAttribute(handle(window), DWMWA_CLOAKED, &cloaked, sizeof cloaked)) ||
           cloaked == 0;
}

bool Win32DesktopShell::isTopmost(WId window) const
{
    return (GetWindowLongPtrW(handle(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

WId Win32DesktopShell::windowAbove(WId window) const
{
    return id(GetWindow(handle(window), GW_HWNDPREV));
}

bool Win32DesktopShell::isOwnForeground() const
{
    const HWND foreground = GetForegroundWindow();
    if (!foreground)
        return false;
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId();
}

WId Win32DesktopShell::topLevelAt(const QPoint &point) const
{
    const HWND window = WindowFromPoint(POINT{point.x(), point.y()});
    return window ? id(GetAncestor(window, GA_ROOT)) : 0;
}

WId Win32DesktopShell::rootWindow() const
{
    return id(GetDesktopWindow());
}

void Win32DesktopShell::setTopmost(WId window, bool topmost)
{
    SetWindowPos(handle(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, placeOnly);
}

void Win32DesktopShell::placeBelow(WId window, WId other)
{
    SetWindowPos(handle(window), other ? handle(other) : HWND_TOP, 0, 0, 0, 0, placeOnly);
}

void Win32DesktopShell::placeAtBottom(WId window)
{
    SetWindowPos(handle(window), HWND_BOTTOM, 0, 0, 0, 0, placeOnly);
}

void Win32DesktopShell::sendCommand(WId window, int command)
{
    SendMessageW(handle(window), WM_COMMAND, WPARAM(command), 0);
}

bool Win32DesktopShell::iconsHiddenSetting() const
{
    SHELLSTATE state = {};
    SHGetSetSettings(&state, SSF_HIDEICONS, FALSE);
    return state.fHideIcons;
}

void Win32DesktopShell::writeIconsHiddenSetting(bool hidden)
{
    SHELLSTATE state = {};
    state.fHideIcons = hidden;
    SHGetSetSettings(&state, SSF_HIDEICONS, TRUE);
    // The desktop repaints once it hears that associations changed.
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}
