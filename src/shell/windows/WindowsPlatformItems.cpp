// The platform functions of the desktop's items; the session's are in WindowsPlatform.cpp.
#include "shell/Platform.h"
#include "shell/windows/WindowsDesktopSource.h"
#include "shell/windows/WindowsFileTransfer.h"
#include "shell/windows/WindowsIconSource.h"
#include "shell/windows/WindowsItemActions.h"

namespace Platform {

void startReadingDesktop()
{
    // Nothing is read ahead: the shell's namespace is read when the model
    // first asks, on the GUI thread.
}

std::unique_ptr<DesktopSource> createDesktopSource()
{
    return std::make_unique<WindowsDesktopSource>();
}

std::unique_ptr<DesktopSource> createFolderSource(const QByteArray &folderPath)
{
    return std::make_unique<WindowsDesktopSource>(folderPath);
}

std::unique_ptr<IconSource> createIconSource()
{
    return std::make_unique<WindowsIconSource>();
}

std::unique_ptr<ItemActions> createItemActions()
{
    return std::make_unique<WindowsItemActions>();
}

FileTransfer *createFileTransfer(QObject *parent)
{
    return new WindowsFileTransfer(parent);
}

} // namespace Platform
