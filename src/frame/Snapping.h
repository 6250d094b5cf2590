#pragma once

#include <QLine>
#include <QList>
#include <QRect>
#include <QSize>

#include <optional>

// Snapping of a window being moved or resized to the edges and centres of its
// peer windows and to the screen's edges, and the guide lines that show the
// resulting alignment. All coordinates are desktop pixels; an empty screen
// rectangle means "no screen" and is ignored.
namespace Snapping {

// A candidate snaps when it moves the rectangle by less than this many pixels.
inline constexpr int threshold = 9;

struct AxisSnap
{
    int delta = 0;     // added to the edge (or the whole rectangle) to align it
    int guide = 0;     // coordinate of the guide line on this axis
    int spanStart = 0; // extent of the guide on the other axis
    int spanEnd = 0;
    bool nearEdge = false; // the left (top) edge aligns; otherwise the right (bottom) edge or the centre
    bool operator==(const AxisSnap &) const = default;
};

struct Result
{
    QRect rect;
    QList<QLine> guides;
};

// The closest candidate on one axis (Qt::Horizontal: x, Qt::Vertical: y); ties
// keep the earlier candidate. The switches choose which of the rectangle's
// edges may align: near (left/top) to a peer's near or far edge, far
// (right/bottom) likewise, centre to a peer's centre; near and far also align
// with the screen's matching edge.
std::optional<AxisSnap> snapAxis(const QRect &rect, const QList<QRect> &peers, const QRect &screen,
                                 Qt::Orientation axis, bool nearEdge, bool farEdge, bool centre);

// Moves the rectangle by the best delta on each axis.
Result snapMove(const QRect &rect, const QList<QRect> &peers, const QRect &screen);

// Moves only the edges being dragged, and only where the rectangle keeps at least `minimum`.
Result snapResize(const QRect &rect, const QList<QRect> &peers, const QRect &screen, QSize minimum,
                  Qt::Edges edges);

// Guide lines for every edge and centre of `rect` that lines up with a peer or
// the screen; lines on the same axis and coordinate are merged into one.
QList<QLine> guidesFor(const QRect &rect, const QList<QRect> &peers, const QRect &screen);

} // namespace Snapping
