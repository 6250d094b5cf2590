#include "DesktopFolderReader.h"

#include "shell/freedesktop/FreedesktopDesktopSource.h"

#include <QFile>

#include <dirent.h>
#include <system_error>
#include <thread>
#include <time.h>

namespace {

// File systems stamp changes with a coarse clock; a change this close before
// the read began could share its time stamp with a later one.
constexpr time_t racySeconds = 2;

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

FolderListing DesktopFolderReader::read(const QString &folder)
{
    return read(QFile::encodeName(folder));
}

FolderListing DesktopFolderReader::read(const QByteArray &folderBytes)
{
    FolderListing listing;
    listing.folder = folderBytes;
    const QString folder = QFile::decodeName(folderBytes);
    ::clock_gettime(CLOCK_REALTIME, &listing.started);
    struct stat before = {};
    if (::stat(listing.folder.constData(), &before) != 0)
        return listing;
    listing.device = before.st_dev;
    listing.inode = before.st_ino;
    listing.modified = before.st_mtim;
    listing.changed = before.st_ctim;
    DIR *dir = ::opendir(listing.folder.constData());
    if (!dir)
        return listing;

    // Where folder and name are valid text, the parsing name is the path itself:
    // one shared string then serves as the item's path and its key.
    const bool folderIsText = QFile::encodeName(folder) == listing.folder;
    while (const dirent *entry = ::readdir(dir)) {
        const char *rawName = entry->d_name;
        if (qstrcmp(rawName, ".") == 0 || qstrcmp(rawName, "..") == 0)
            continue;
        // The exact bytes name the item for the icon worker and for opening it,
        // also when the name is not valid UTF-8 and the QString path is lossy.
        const auto bytes = [&listing, rawName]() -> QByteArray {
            return listing.folder + '/' + rawName;
        };
        DesktopEntry item;
        item.displayName = QFile::decodeName(rawName);
        item.isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info = {};
            // A dangling link is a plain item, as file managers show it.
            item.isFolder = ::stat(bytes().constData(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        item.path = folder + QLatin1Char('/') + item.displayName;
        if (folderIsText && QFile::encodeName(item.displayName) == QByteArrayView(rawName)) {
            item.parsingName = item.path;
            item.handleIsPath = true;
        } else {
            item.pidl = bytes();
            item.parsingName = FreedesktopDesktopSource::parsingName(item.pidl);
        }
        listing.entries.append(std::move(item));
    }
    ::closedir(dir);
    listing.ok = true;
    return listing;
}

std::future<FolderListing> DesktopFolderReader::start(const QString &folder)
{
    std::packaged_task<FolderListing()> task([folder] { return read(folder); });
    std::future<FolderListing> result = task.get_future();
    try {
        // Detached: a program that leaves at once (a second instance) does not
        // wait for the folder, which may sit on a slow mount.
        std::thread(std::move(task)).detach();
    } catch (const std::system_error &) {
        return {};
    }
    return result;
}

bool DesktopFolderReader::isCurrent(const FolderListing &listing)
{
    if (!listing.ok)
        return false;
    struct stat now = {};
    if (::stat(listing.folder.constData(), &now) != 0)
        return false;
    // Also another folder in its place (a desktop link pointed elsewhere).
    if (now.st_dev != listing.device || now.st_ino != listing.inode ||
        !sameTime(now.st_mtim, listing.modified) || !sameTime(now.st_ctim, listing.changed))
        return false;
    // Adding, removing or renaming an entry stamps the modification time.
    return listing.modified.tv_sec < listing.started.tv_sec - racySeconds;
}
