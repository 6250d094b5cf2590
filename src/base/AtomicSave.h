#pragma once

#include <QByteArray>
#include <QString>

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
// callers that mean to write through a link resolve it first.
Result save(const QString &path, const QByteArray &data);

// Keeps a copy of a file the program could not (fully) understand before a save
// replaces it: "<path>.unreadable-<yyyyMMdd-HHmmss>". Returns the copy's path,
// or an empty string when nothing could be copied.
QString keepCopy(const QString &path);

// Removes temporary siblings ("<name>.XXXXXX" as the save leaves them when it is
// killed mid-write) that are older than a minute, so an interrupted save leaves
// no litter behind. Returns how many were removed.
int removeStaleTemporaries(const QString &path);

} // namespace AtomicSave
