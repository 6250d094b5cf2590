#pragma once

#include "shell/DesktopSource.h"
#include "shell/freedesktop/DesktopFolderReader.h"

#include <QDBusConnection>

#include <future>
#include <optional>

class IconTheme;
class XfconfWatch;

// The XDG desktop folder plus the Home, Computer and Trash items that freedesktop
// desktops show on it. Launchers (".desktop" files) show their localized names.
class FreedesktopDesktopSource : public DesktopSource
{
public:
    // An empty folder means the user's XDG desktop folder. Xfce's settings come
    // from the session bus, when one is configured.
    explicit FreedesktopDesktopSource(const QString &desktopFolder = QString());
    // Xfce's settings from the given bus.
    FreedesktopDesktopSource(const QString &desktopFolder, const QDBusConnection &bus);
    ~FreedesktopDesktopSource() override;

    // Another folder, named by its exact bytes (which need not be valid text),
    // for a folder panel: its items follow the desktop's rules for hidden files
    // and launchers, and no virtual items join them.
    static std::unique_ptr<FreedesktopDesktopSource> forFolder(const QByteArray &folder);

    bool showsHiddenFiles() const override;
    QSet<QString> hiddenVirtualItems() const override;
    bool enumerate(bool includeHidden, QList<DesktopEntry> &out) override;
    // From the user's icon theme, looked up as the icon worker does.
    QIcon genericIcon(bool folder, int size, qreal ratio) const override;
    std::unique_ptr<DesktopWatcher> createWatcher() const override;
    QByteArray folderPath() const override;

    QString desktopFolder() const;
    // The user's desktop folder as the session names it. Qt reads user-dirs.dirs
    // with a plain open, which waits for good on a FIFO: anything but a regular
    // file there is never opened, and the desktop is then ~/Desktop.
    static QString userDesktopFolder();

    // The folder as read ahead of the first enumerate (DesktopFolderReader::start);
    // that enumerate uses it if it is of the same folder and still current.
    void useEarlyListing(std::future<FolderListing> listing);

    // The parsing name of a file: its path, or for a path whose bytes are not
    // valid UTF-8, a distinct text that keeps every byte.
    static QString parsingName(const QByteArray &path);

    // Parsing names of the virtual items; the CLSIDs are the ones Windows gives
    // the same items, so stored keys mean the same thing everywhere.
    static QString homeParsingName();
    static QString computerParsingName();
    static QString trashParsingName();
    // The folder that holds the trashed files themselves, in the user's data home.
    static QString trashFilesFolder();

private:
    // Made at the first use, on the GUI thread like every use of a source.
    XfconfWatch *xfconf() const;

    QString m_desktopFolder;
    // Set for a folder panel's folder, which then stands in for the desktop folder.
    QByteArray m_otherFolder;
    std::optional<QDBusConnection> m_bus;
    mutable std::unique_ptr<XfconfWatch> m_xfconf;
    // Made at the first placeholder, on the GUI thread like every use of a source.
    mutable std::unique_ptr<IconTheme> m_iconTheme;
    // The placeholders of the last reload, asked again at every reload.
    struct GenericIcon
    {
        bool folder = false;
        int px = 0;
        qreal ratio = 0;
        QIcon icon;
    };
    mutable QList<GenericIcon> m_genericIcons;
    std::future<FolderListing> m_early;
};
