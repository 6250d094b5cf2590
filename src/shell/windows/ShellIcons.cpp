#include "ShellIcons.h"

#include "shell/IconImage.h"

#include <commoncontrols.h>
#include <shellapi.h>

namespace ShellIcons {

int indexOf(PCIDLIST_ABSOLUTE pidl)
{
    SHFILEINFOW info = {};
    if (!pidl || !SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &info, sizeof(info),
                                 SHGFI_PIDL | SHGFI_SYSICONINDEX))
        return -1;
    return info.iIcon;
}

int genericIndex(bool folder)
{
    // Named by attributes alone: nothing on disk is looked at.
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(folder ? L"folder" : L"file",
                        folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                        SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX))
        return -1;
    return info.iIcon;
}

QImage image(int index, int px)
{
    if (index < 0 || px < 1)
        return {};
    const int list = px < 33 ? SHIL_LARGE : px < 49 ? SHIL_EXTRALARGE : SHIL_JUMBO;
    IImageList *images = nullptr;
    if (FAILED(SHGetImageList(list, __uuidof(IImageList), reinterpret_cast<void **>(&images))) || !images)
        return {};
    HICON icon = nullptr;
    const HRESULT got = images->GetIcon(index, ILD_TRANSPARENT, &icon);
    images->Release();
    if (FAILED(got) || !icon)
        return {};
    // Qt's conversion repairs icons without alpha from their mask.
    const QImage converted = QImage::fromHICON(icon);
    DestroyIcon(icon);
    return IconImage::cropCornerIcon(converted);
}

} // namespace ShellIcons
