#pragma once

#include "shell/DesktopSource.h"

// The Windows desktop as the shell's namespace lists it: the user's and the
// public desktop folder merged, with the shell's virtual items (Recycle Bin,
// This PC and the like), or another folder's items for a folder panel.
class WindowsDesktopSource : public DesktopSource
{
public:
    // The desktop itself.
    WindowsDesktopSource();
    // Another folder, named by the UTF-8 bytes of its path; no virtual items.
    explicit WindowsDesktopSource(const QByteArray &folder);
    ~WindowsDesktopSource() override;

    bool showsHiddenFiles() const override;
    QSet<QString> hiddenVirtualItems() const override;
    bool enumerate(bool includeHidden, QList<DesktopEntry> &out) override;
    QIcon genericIcon(bool folder, int size, qreal ratio) const override;
    std::unique_ptr<DesktopWatcher> createWatcher() const override;
    QByteArray folderPath() const override;

    // Virtual items that the desktop hides: the registry's HideDesktopIcons
    // values of both roots, and for the well-known items that no value names,
    // Explorer's own defaults.
    static QSet<QString> readHiddenVirtualItems();

private:
    // Empty for the desktop.
    QByteArray m_folder;
};
