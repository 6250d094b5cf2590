#pragma once

#include "snapshots/LayoutSnapshot.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The saved layouts, one file each in a folder of their own.
namespace SnapshotFolder {

// The automatic snapshots kept before restores; older ones go.
inline constexpr int automaticKept = 10;

struct Entry
{
    QString path;
    QString name;
    QDateTime created;
    bool automatic = false;
};

// "<data folder>/snapshots".
QString folder();
// The snapshots in folder that can be read, newest first.
QList<Entry> list(const QString &folder);
// Writes snapshot as a new file in folder; its path, or empty (with why).
QString save(const QString &folder, const LayoutSnapshot::Snapshot &snapshot, QString *error);

} // namespace SnapshotFolder
