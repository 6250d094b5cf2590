#include "ShellContextMenu.h"

#include "shell/windows/ShellIds.h"

#include <shlobj.h>
#include <vector>

using ShellIds::Pidl;

namespace {

// The menu is modal, so one is open at a time: the owner's own window
// procedure and the menu's handlers of owner-drawn entries while it is.
struct OpenMenu
{
    WNDPROC ownerProc = nullptr;
    IContextMenu2 *menu2 = nullptr;
    IContextMenu3 *menu3 = nullptr;
};
OpenMenu openMenu;
bool menuOpen = false;

// Lets the shell's submenus ("Send to", "Open with") fill themselves and its
// entries with icons draw themselves.
LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
        if (openMenu.menu3) {
            LRESULT result = 0;
            if (SUCCEEDED(openMenu.menu3->HandleMenuMsg2(message, wParam, lParam, &result)))
                return result;
        } else if (openMenu.menu2) {
            if (SUCCEEDED(openMenu.menu2->HandleMenuMsg(message, wParam, lParam)))
                return message == WM_INITMENUPOPUP ? 0 : TRUE;
        }
        break;
    default:
        break;
    }
    return CallWindowProcW(openMenu.ownerProc, window, message, wParam, lParam);
}

// The context menu object of the items, which must share one folder.
IContextMenu *menuOf(HWND owner, const std::vector<Pidl> &items)
{
    Pidl parent(ILClone(items.front().get()));
    if (!parent || !ILRemoveLastID(parent.get()))
        return nullptr;
    std::vector<PCUITEMID_CHILD> children;
    for (const Pidl &item : items) {
        if (!ILIsParent(parent.get(), item.get(), TRUE))
            return nullptr;
        children.push_back(ILFindLastID(item.get()));
    }
    IShellFolder *folder = nullptr;
    if (FAILED(SHBindToObject(nullptr, parent.get(), nullptr, __uuidof(IShellFolder),
                              reinterpret_cast<void **>(&folder))) ||
        !folder)
        return nullptr;
    IContextMenu *menu = nullptr;
    if (FAILED(folder->GetUIObjectOf(owner, UINT(children.size()), children.data(), __uuidof(IContextMenu),
                                     nullptr, reinterpret_cast<void **>(&menu))))
        menu = nullptr;
    folder->Release();
    return menu;
}

} // namespace

namespace ShellContextMenu {

bool show(HWND owner, const QList<QByteArray> &items)
{
    if (!owner || items.isEmpty() || menuOpen)
        return false;
    const ShellIds::ComScope com;
    std::vector<Pidl> pidls;
    for (const QByteArray &item : items) {
        Pidl pidl = ShellIds::fromHandle(item);
        if (!pidl)
            return false;
        pidls.push_back(std::move(pidl));
    }
    IContextMenu *menu = menuOf(owner, pidls);
    if (!menu)
        return false;
    HMENU popup = CreatePopupMenu();
    if (!popup || FAILED(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL))) {
        if (popup)
            DestroyMenu(popup);
        menu->Release();
        return false;
    }
    menuOpen = true;
    if (FAILED(menu->QueryInterface(__uuidof(IContextMenu3), reinterpret_cast<void **>(&openMenu.menu3))))
        openMenu.menu3 = nullptr;
    if (!openMenu.menu3 &&
        FAILED(menu->QueryInterface(__uuidof(IContextMenu2), reinterpret_cast<void **>(&openMenu.menu2))))
        openMenu.menu2 = nullptr;
    openMenu.ownerProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ownerProc)));

    SetForegroundWindow(owner);
    POINT cursor = {};
    GetCursorPos(&cursor);
    const UINT chosen =
        UINT(TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, owner, nullptr));

    SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(openMenu.ownerProc));
    if (openMenu.menu3)
        openMenu.menu3->Release();
    if (openMenu.menu2)
        openMenu.menu2->Release();
    openMenu = {};
    menuOpen = false;

    if (chosen >= 1) {
        CMINVOKECOMMANDINFOEX invoke = {};
        invoke.cbSize = sizeof(invoke);
        invoke.fMask = CMIC_MASK_UNICODE;
        invoke.hwnd = owner;
        invoke.lpVerb = MAKEINTRESOURCEA(chosen - 1);
        invoke.lpVerbW = MAKEINTRESOURCEW(chosen - 1);
        invoke.nShow = SW_SHOWNORMAL;
        menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO *>(&invoke));
    }
    DestroyMenu(popup);
    menu->Release();
    return true;
}

} // namespace ShellContextMenu
