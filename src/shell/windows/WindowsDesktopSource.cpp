#include "WindowsDesktopSource.h"

#include "base/VirtualItem.h"
#include "shell/IconImage.h"
#include "shell/windows/ShellIcons.h"
#include "shell/windows/ShellIds.h"
#include "shell/windows/WindowsDesktopWatcher.h"

#include <QFile>
#include <QPixmap>

#include <shlobj.h>

using ShellIds::ComScope;
using ShellIds::Pidl;

namespace {

// Explorer's "Desktop icons" settings: which of its own items the desktop shows.
const wchar_t hideIconsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\NewStartPanel";

// Items Explorer leaves off the desktop until the user asks for them: the
// registry has no value for them on a fresh account.
constexpr const char *hiddenByDefault[] = {
    "{20D04FE0-3AEA-1069-A2D8-08002B30309D}", // This PC
    "{59031A47-3F72-44A7-89C5-5595FE6B30EE}", // the user's files
    "{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}", // Network
    "{5399E694-6CE5-4D6C-8FCE-1D8870FDCBA0}", // Control Panel
};
// Control Panel's switch names the item that the namespace lists under these.
constexpr const char *controlPanelSetting = "{5399E694-6CE5-4D6C-8FCE-1D8870FDCBA0}";
constexpr const char *controlPanelItems[] = {
    "{26EE0668-A00A-44D7-9371-BEB064C98683}",
    "{21EC2020-3AEA-1069-A2DD-08002B30309D}",
};

// Reads one root's values: every DWORD value is named, and hidden when not 0.
void readHideValues(HKEY root, QSet<QString> *named, QSet<QString> *hidden)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, hideIconsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        // A value too long for these buffers is not one of Explorer's and is
        // stepped over: the values after it still count.
        wchar_t name[256];
        DWORD nameLength = DWORD(std::size(name));
        DWORD type = 0;
        DWORD data = 0;
        DWORD dataSize = sizeof(data);
        const LSTATUS status = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE *>(&data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || type != REG_DWORD || dataSize != sizeof(data))
            continue;
        const QString clsid = QString::fromWCharArray(name, int(nameLength)).toUpper();
        named->insert(clsid);
        if (data != 0)
            hidden->insert(clsid);
    }
    RegCloseKey(key);
}

QString displayNameOf(IShellFolder *folder, PCUITEMID_CHILD child, SHGDNF flags)
{
    STRRET name = {};
    if (FAILED(folder->GetDisplayNameOf(child, flags, &name)))
        return {};
    return ShellIds::takeText(&name, child);
}

QString pathOf(PCIDLIST_ABSOLUTE pidl)
{
    // Long enough for any path the file system allows, not only MAX_PATH.
    std::vector<wchar_t> path(32768);
    if (!SHGetPathFromIDListEx(pidl, path.data(), DWORD(path.size()), GPFIDL_DEFAULT))
        return {};
    return QString::fromWCharArray(path.data());
}

// The shell's folder that lists the desktop, or the folder at pidl.
IShellFolder *bindFolder(PCIDLIST_ABSOLUTE pidl)
{
    IShellFolder *desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop)
        return nullptr;
    if (!pidl)
        return desktop;
    IShellFolder *folder = nullptr;
    if (FAILED(desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void **>(&folder))))
        folder = nullptr;
    desktop->Release();
    return folder;
}

bool showsSuperHidden()
{
    SHELLSTATEW state = {};
    SHGetSetSettings(&state, SSF_SHOWSUPERHIDDEN, FALSE);
    return state.fShowSuperHidden;
}

} // namespace

WindowsDesktopSource::WindowsDesktopSource() = default;

WindowsDesktopSource::WindowsDesktopSource(const QByteArray &folder)
    : m_folder(folder)
{}

WindowsDesktopSource::~WindowsDesktopSource() = default;

bool WindowsDesktopSource::showsHiddenFiles() const
{
    SHELLFLAGSTATE state = {};
    SHGetSettings(&state, SSF_SHOWALLOBJECTS);
    return state.fShowAllObjects;
}

QSet<QString> WindowsDesktopSource::hiddenVirtualItems() const
{
    return m_folder.isEmpty() ? readHiddenVirtualItems() : QSet<QString>();
}

QSet<QString> WindowsDesktopSource::readHiddenVirtualItems()
{
    QSet<QString> named;
    QSet<QString> hidden;
    readHideValues(HKEY_CURRENT_USER, &named, &hidden);
    readHideValues(HKEY_LOCAL_MACHINE, &named, &hidden);
    for (const char *clsid : hiddenByDefault) {
        if (!named.contains(QLatin1String(clsid)))
            hidden.insert(QLatin1String(clsid));
    }
    if (hidden.contains(QLatin1String(controlPanelSetting))) {
        for (const char *clsid : controlPanelItems)
            hidden.insert(QLatin1String(clsid));
    }
    return hidden;
}

bool WindowsDesktopSource::enumerate(bool includeHidden, QList<DesktopEntry> &out)
{
    const ComScope com;
    Pidl folderPidl;
    if (!m_folder.isEmpty()) {
        folderPidl = ShellIds::fromPath(QFile::decodeName(m_folder));
        if (!folderPidl)
            return false;
    }
    IShellFolder *folder = bindFolder(folderPidl.get());
    if (!folder)
        return false;
    SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    if (includeHidden) {
        flags |= SHCONTF_INCLUDEHIDDEN;
        // Protected system files (desktop.ini) show only where Explorer shows them too.
        if (showsSuperHidden())
            flags |= SHCONTF_INCLUDESUPERHIDDEN;
    }
    IEnumIDList *items = nullptr;
    const HRESULT enumerated = folder->EnumObjects(nullptr, flags, &items);
    if (enumerated != S_OK || !items) {
        folder->Release();
        // S_FALSE: the folder lists nothing, which is no failure.
        return enumerated == S_FALSE;
    }
    PITEMID_CHILD child = nullptr;
    while (items->Next(1, &child, nullptr) == S_OK && child) {
        const Pidl own(child);
        DesktopEntry entry;
        // Items of the shell's own (This PC, Recycle Bin) are named by their
        // CLSID in their folder, also those that stand for a folder on disk
        // (the user's files): their key is then the same on every machine.
        const QString inFolder = displayNameOf(folder, child, SHGDN_INFOLDER | SHGDN_FORPARSING);
        const bool isVirtual = VirtualItem::isVirtual(inFolder);
        // A folder panel shows the folder's files alone.
        if (isVirtual && folderPidl)
            continue;
        // The CLSID in capitals, as Windows writes it, whichever way the
        // shell spells it: the key is stored and compared as it is.
        entry.parsingName = isVirtual ? inFolder.toUpper() : displayNameOf(folder, child, SHGDN_FORPARSING);
        entry.displayName = displayNameOf(folder, child, SHGDN_INFOLDER);
        SFGAOF attributes = SFGAO_FOLDER;
        PCUITEMID_CHILD children[] = {child};
        if (SUCCEEDED(folder->GetAttributesOf(1, children, &attributes)))
            entry.isFolder = (attributes & SFGAO_FOLDER) != 0;
        Pidl absolute(folderPidl ? ILCombine(folderPidl.get(), child) : nullptr);
        PCIDLIST_ABSOLUTE item = folderPidl ? absolute.get() : reinterpret_cast<PCIDLIST_ABSOLUTE>(child);
        if (!item)
            continue;
        entry.path = pathOf(item);
        entry.pidl = ShellIds::bytesOf(item);
        out.append(std::move(entry));
    }
    items->Release();
    folder->Release();
    return true;
}

QIcon WindowsDesktopSource::genericIcon(bool folder, int size, qreal ratio) const
{
    const ComScope com;
    const int px = IconImage::pixelSize(size, ratio);
    const QImage image = IconImage::fitToSquare(ShellIcons::image(ShellIcons::genericIndex(folder), px), px);
    if (image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return QIcon(pixmap);
}

std::unique_ptr<DesktopWatcher> WindowsDesktopSource::createWatcher() const
{
    QStringList folders;
    if (!m_folder.isEmpty())
        folders.append(QFile::decodeName(m_folder));
    return std::make_unique<WindowsDesktopWatcher>(folders);
}

QByteArray WindowsDesktopSource::folderPath() const
{
    if (!m_folder.isEmpty())
        return m_folder;
    const ComScope com;
    return QFile::encodeName(ShellIds::knownFolder(FOLDERID_Desktop));
}
