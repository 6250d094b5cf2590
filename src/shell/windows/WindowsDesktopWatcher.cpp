#include "WindowsDesktopWatcher.h"

#include "shell/windows/ShellIds.h"

#include <QFileSystemWatcher>

#include <shlobj.h>
#include <vector>

using ShellIds::Pidl;

namespace {

// The message the shell posts for each change.
constexpr UINT notifyMessage = WM_USER + 42;
const wchar_t windowClassName[] = L"LarkspanShellNotify";

// What changes what a folder lists. Attribute changes count: a file made
// hidden or shown comes or goes with the user's choice of showing hidden files.
constexpr LONG watchedEvents = SHCNE_RENAMEITEM | SHCNE_CREATE | SHCNE_DELETE | SHCNE_MKDIR | SHCNE_RMDIR |
                               SHCNE_MEDIAINSERTED | SHCNE_MEDIAREMOVED | SHCNE_DRIVEREMOVED |
                               SHCNE_DRIVEADD | SHCNE_UPDATEDIR | SHCNE_UPDATEITEM | SHCNE_RENAMEFOLDER |
                               SHCNE_ATTRIBUTES | SHCNE_ASSOCCHANGED;

} // namespace

WindowsDesktopWatcher::WindowsDesktopWatcher(const QStringList &folders, QObject *parent)
    : DesktopWatcher(parent)
{
    const ShellIds::ComScope com;
    // The desktop's namespace, and its two folders on disk besides: the shell
    // tells the namespace of its own items, the folders of every file written
    // into them by any program.
    std::vector<Pidl> watched;
    if (folders.isEmpty()) {
        PIDLIST_ABSOLUTE desktop = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop)))
            watched.emplace_back(desktop);
        QStringList paths;
        for (const KNOWNFOLDERID &id : {FOLDERID_Desktop, FOLDERID_PublicDesktop}) {
            const QString path = ShellIds::knownFolder(id);
            if (Pidl pidl = ShellIds::fromPath(path)) {
                watched.push_back(std::move(pidl));
                paths.append(path);
            }
        }
        // The shell's own notices of file changes miss some: a desktop
        // redirected to a network share, and Wine, report none. These two
        // folders are never renamed, so the file system's watch, which holds
        // them open, is in nobody's way.
        if (!paths.isEmpty()) {
            m_folders = new QFileSystemWatcher(paths, this);
            connect(m_folders, &QFileSystemWatcher::directoryChanged, this, &DesktopWatcher::changed);
        }
    } else {
        for (const QString &folder : folders) {
            if (Pidl pidl = ShellIds::fromPath(folder))
                watched.push_back(std::move(pidl));
        }
    }
    if (watched.empty())
        return;

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // Once per process; the class stays until the process ends.
    static const ATOM windowClass = [instance] {
        WNDCLASSEXW description = {};
        description.cbSize = sizeof(description);
        description.lpfnWndProc = &WindowsDesktopWatcher::windowProc;
        description.hInstance = instance;
        description.lpszClassName = windowClassName;
        return RegisterClassExW(&description);
    }();
    if (!windowClass)
        return;
    m_window =
        CreateWindowExW(0, windowClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!m_window)
        return;
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    std::vector<SHChangeNotifyEntry> entries;
    for (const Pidl &pidl : watched)
        entries.push_back({pidl.get(), FALSE});
    m_registration =
        SHChangeNotifyRegister(m_window, SHCNRF_InterruptLevel | SHCNRF_ShellLevel | SHCNRF_NewDelivery,
                               watchedEvents, notifyMessage, int(entries.size()), entries.data());
}

WindowsDesktopWatcher::~WindowsDesktopWatcher()
{
    if (m_registration)
        SHChangeNotifyDeregister(m_registration);
    if (m_window) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

LRESULT CALLBACK WindowsDesktopWatcher::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != notifyMessage)
        return DefWindowProcW(window, message, wParam, lParam);
    // The notice is held in shared memory until unlocked; what changed does
    // not matter, as every change reloads the whole folder.
    PIDLIST_ABSOLUTE *items = nullptr;
    LONG event = 0;
    if (HANDLE lock =
            SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam), DWORD(lParam), &items, &event))
        SHChangeNotification_Unlock(lock);
    auto *watcher = reinterpret_cast<WindowsDesktopWatcher *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (watcher)
        Q_EMIT watcher->changed();
    return 0;
}
