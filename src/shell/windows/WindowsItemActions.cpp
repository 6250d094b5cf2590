#include "WindowsItemActions.h"

#include "shell/windows/ShellContextMenu.h"
#include "shell/windows/ShellIds.h"

#include <QWidget>

#include <shellapi.h>

namespace {

bool execute(const QByteArray &handle, const QString &verb)
{
    const ShellIds::ComScope com;
    const ShellIds::Pidl pidl = ShellIds::fromHandle(handle);
    if (!pidl)
        return false;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // A named verb goes through the item's context menu handlers: "properties"
    // is none of the static verbs of the registry that the plain ID list form
    // reaches, and would fail there.
    info.fMask = (verb.isEmpty() ? SEE_MASK_IDLIST : SEE_MASK_INVOKEIDLIST) | SEE_MASK_FLAG_LOG_USAGE;
    info.lpVerb = verb.isEmpty() ? nullptr : reinterpret_cast<const wchar_t *>(verb.utf16());
    info.lpIDList = pidl.get();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info);
}

} // namespace

bool WindowsItemActions::open(const QByteArray &pidl)
{
    return execute(pidl, QString());
}

bool WindowsItemActions::invokeVerb(const QByteArray &pidl, const QString &verb, const Refused &)
{
    // The shell answers at once, and shows its own message where the program
    // carrying out the verb refuses it: nothing is left to report later.
    return !verb.isEmpty() && execute(pidl, verb);
}

bool WindowsItemActions::showMenu(QWidget *owner, const QList<QByteArray> &pidls)
{
    if (!owner)
        return false;
    return ShellContextMenu::show(reinterpret_cast<HWND>(owner->window()->winId()), pidls);
}
