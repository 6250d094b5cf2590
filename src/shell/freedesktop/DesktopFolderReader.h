#pragma once

#include "shell/DesktopSource.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <future>
#include <sys/stat.h>

// What reading the desktop folder finds before the user's settings and language
// apply to it: every entry, dot files included, each shown by its file name.
struct FolderListing
{
    QByteArray folder;
    bool ok = false;
    QList<DesktopEntry> entries;

    // The folder as it was before it was read, to tell whether it changed since.
    dev_t device = 0;
    ino_t inode = 0;
    struct timespec modified = {};
    struct timespec changed = {};
    struct timespec started = {};
};

// Reads the desktop folder; on a thread of its own when asked to, so that a
// crowded desktop is already read when the program first needs it.
// Everything here is safe off the GUI thread: POSIX calls and plain Qt values.
class DesktopFolderReader
{
public:
    static FolderListing read(const QString &folder);
    // The folder named by its exact bytes, which need not be valid text.
    static FolderListing read(const QByteArray &folder);

    // read(folder) on a new thread. An invalid future where no thread can start.
    static std::future<FolderListing> start(const QString &folder);

    // Whether the listing still says what the folder holds: nothing was added,
    // removed or renamed in it since. A folder changed just before it was read
    // may have changed again within the same tick of the file system's clock,
    // unseen, so such a listing is never trusted.
    static bool isCurrent(const FolderListing &listing);
};
