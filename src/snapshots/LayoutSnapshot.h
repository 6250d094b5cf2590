#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// One saved layout: the whole layout file and every panel setting (the keys
// under "panel/"), as one JSON file a user can keep, move or restore. The
// layout file is carried whole, members this version does not know included.
namespace LayoutSnapshot {

struct Snapshot
{
    QString name;
    QDateTime created;
    // Kept by the program itself before a restore, so the restore can be undone.
    bool automatic = false;
    QByteArray layout;    // the layout file's content
    QJsonObject settings; // panel setting keys and their values
};

// Far beyond any real layout; a wrong file is never read whole.
inline constexpr qint64 fileCap = 64 * 1024 * 1024;

// The layout and panel settings as they are stored now.
Snapshot capture(const QString &name, const QDateTime &created, bool automatic);

QByteArray serialise(const Snapshot &snapshot);
// A snapshot file as this program writes it, every value in range; nothing for
// anything else (another JSON file, a damaged or hand-broken one).
std::optional<Snapshot> parse(const QByteArray &content);

// Makes the snapshot the stored layout: the layout file is replaced and the
// panel settings become the snapshot's. False (with why) when the layout file
// cannot be written; the settings are then left as they were.
bool apply(const Snapshot &snapshot, QString *error);

// A name a user typed, fit to be part of a file name on any system: no path
// separators, reserved or control characters, no leading dot, at most 60
// characters; "layout" when nothing is left.
QString sanitisedName(const QString &name);
// "<yyyyMMdd-HHmmss>-<sanitised name>.json": files sort by age.
QString fileName(const QString &name, const QDateTime &created);

} // namespace LayoutSnapshot
