#pragma once

#include "panels/DisplayArrangement.h"

#include <QHash>
#include <QJsonArray>
#include <QPoint>
#include <QRect>
#include <QString>

// The layout remembered for each display arrangement, as "panels.json" keeps
// it under "arrangements": the screens, every window's place by its key (a
// panel's settings prefix, a feature window's name) and the loose items'
// desktop positions. Reading range-checks every number and skips a broken
// entry whole.
namespace ArrangementRecords {

struct WindowPlace
{
    QRect rect; // a rolled-up panel's at its full height
    bool rolledUp = false;
    bool operator==(const WindowPlace &) const = default;
};

struct Record
{
    DisplayArrangement::Screens screens;
    QHash<QString, WindowPlace> windows;
    QHash<QString, QPoint> desktopPositions;
};

// Screen scales, in percent, that a record may hold.
inline constexpr int smallestScale = 25;
inline constexpr int largestScale = 1000;

// More arrangements than anyone uses; the least recently used go first.
inline constexpr int kept = 16;

struct Recall
{
    DisplayArrangement::Match match = DisplayArrangement::Match::None;
    DisplayArrangement::Screens from; // the screens `windows` were recorded on
    QHash<QString, WindowPlace> windows;
};

// Puts the record of `screens` first, the one kept for them or a new one
// without windows, and returns what the windows start from. Loose items return
// to the positions kept for these screens; a new arrangement keeps them where
// they are. `changed` is set when the records or positions changed.
Recall enter(QList<Record> &records, const DisplayArrangement::Screens &screens,
             QHash<QString, QPoint> &desktopPositions, bool &changed);

// The records of an "arrangements" member; `lost` is set when anything was skipped.
QList<Record> read(const QJsonValue &value, bool &lost);
QJsonArray write(const QList<Record> &records);

} // namespace ArrangementRecords
