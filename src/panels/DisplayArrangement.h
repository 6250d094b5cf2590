#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

// Display arrangements: the set of connected screens a layout belongs to, which
// remembered arrangement a new one starts from, and how windows of one are
// carried into another. Pure functions of plain values.
namespace DisplayArrangement {

struct Screen
{
    QString name;
    QRect geometry;
    int scalePercent = 100;
    // Neither is part of what identifies the arrangement: panels and bars come
    // and go on a screen without it becoming another.
    QRect available;
    bool primary = false;
    bool operator==(const Screen &other) const
    {
        return name == other.name && geometry == other.geometry && scalePercent == other.scalePercent;
    }
};
using Screens = QList<Screen>;

// The screens in one order, whatever order the system lists them in.
Screens canonical(Screens screens);

enum class Match
{
    Same,    // the very same screens
    Subset,  // every screen of it is among the known one's: a screen went away
    Closest, // the known arrangement most like it: most screens shared, then most area in common
    None,    // nothing is known
};

struct Found
{
    int index = -1;
    Match match = Match::None;
};

// Which of the known arrangements a layout for `current` starts from.
Found find(const QList<Screens> &known, const Screens &current);

// One window of arrangement `from` as it goes into `to`.
struct Window
{
    QRect rect;
    QSize minimum;
};

// The windows' rectangles in `to`: one on a screen `to` still has stays where
// it is; any other is scaled from the screen holding most of it into the screen
// of `to` of the same name (the primary one when there is none) and, when it
// would cover a window placed before it, moved to the nearest free room on
// that screen. Windows staying are placed first.
QList<QRect> carry(const QList<Window> &windows, const Screens &from, const Screens &to);

} // namespace DisplayArrangement
