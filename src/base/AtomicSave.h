#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The one way the program writes a file: the data goes to a temporary sibling
// that replaces the file only once it is complete, so a crash, a kill or a full
// disk mid-write leaves the previous file intact. Failures are reported, never
// swallowed.
namespace AtomicSave {

struct Result
{
    bool ok = false;
    QString error; // human-readable reason when !ok

    explicit operator bool() const { return ok; }
};

// Writes data as the whole new content of path, creating missing folders. A
// symbolic link at path is replaced by the file (its target is left alone);
// callers that may write through a link ask saveTarget() first.
Result save(const QString &path, const QByteArray &data);

// Whether the content of a file is one of the program's own files of the kind
// being saved (a to-do list, a panel layout, a settings file).
using IsOurKind = std::function<bool(const QByteArray &content)>;

// Where a save of path goes. People keep their settings in a repository and
// link them, so a symbolic link is written through when its target is a file of
// this program of the same kind (at most cap bytes). Any other target is never
// written: a copy of it is kept beside it and the link gives way to the
// program's own file (path is returned). Empty when nothing may be written: the
// target cannot be read, or no copy of it can be kept.
QString saveTarget(const QString &path, qint64 cap, const IsOurKind &isOurKind);

// Keeps a copy of a file the program could not (fully) understand before a save
// replaces it, beside the file a link at path leads to:
// "<name>.unreadable-<yyyyMMdd-HHmmss>", with "-2", "-3"... when that name is
// taken. A copy already kept with the same content serves again, so a file that
// stays unreadable is copied once. Says on standard error why (why: "could not
// be fully read"). Returns the copy's path, or an empty string when nothing
// could be copied.
QString keepCopy(const QString &path, const QString &why);

// Removes the temporaries a save leaves behind when it is killed mid-write
// (".<name>.tmp-XXXXXX", beside path and beside the file a link at path leads
// to) once they are older than a minute. No other file is touched. Returns how
// many were removed.
int removeStaleTemporaries(const QString &path);

// The start of the names of a save's temporaries for a file named name: a
// hidden form no user file has, so that removing stale ones never meets
// anything but our own litter.
QString temporaryPrefix(const QString &name);

} // namespace AtomicSave
