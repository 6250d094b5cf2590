#pragma once

#include "base/AtomicSave.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Copies of the files a user would miss (the layout, the to-do list, the
// settings), one folder per backup named by its time ("20261207-195300"), the
// newest few kept. A backup is complete or absent: its files are written into
// a folder of its own that takes its name only once all of them are there, and
// older backups are dropped only after a new one is complete. Anything about
// to rewrite these files wholesale (a restore, a migration) makes one first.
namespace Backups {

inline constexpr int kept = 7;

struct Source
{
    QString name; // the copy's file name
    QString path;
};

// "<data folder>/backups".
QString folder();
// The files every backup copies.
QList<Source> sources();

// Once a day: when there is none yet or the newest is from another day.
bool due(const QDateTime &newest, const QDateTime &now);
// The backups to drop of those named (any order) so that the newest keep remain.
QStringList namesToDrop(QStringList names, int keep);
// The time of the newest backup in folder; invalid when there is none.
QDateTime newest(const QString &folder);

using Writer = std::function<AtomicSave::Result(const QString &path, const QByteArray &data)>;

// Copies every source that can be read into a new backup in folder, then drops
// the oldest beyond kept. Missing sources are left out; false (with why) when
// nothing could be copied or a copy could not be written, and then no backup
// of before is touched.
bool make(const QString &folder, const QList<Source> &sources, const QDateTime &now, QString *error,
          const Writer &write = &AtomicSave::save);

} // namespace Backups
