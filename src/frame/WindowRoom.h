#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Room for windows on the work area: where a window goes so that it covers no
// other. The icon panels' tidy arrangement and the feature windows (to-do list,
// currency converter) place themselves by the same rules. Pure functions of
// their arguments except primaryAvailable() and workArea(). Rectangles follow
// QRect conventions (right = left + width - 1).
namespace WindowRoom {

inline constexpr int gap = 16;           // between windows, everywhere
inline constexpr int workAreaInset = 24; // kept free along every screen edge

// The available geometry inset by workAreaInset on every side.
QRect workAreaFor(const QRect &available);
// The primary screen's available geometry, or noScreenArea without a screen.
QRect primaryAvailable();
inline constexpr QRect noScreenArea{0, 0, 1280, 800};
// workAreaFor(primaryAvailable()).
QRect workArea();

// Whether r keeps `gap` from every occupied rectangle.
bool isClear(const QRect &r, const QList<QRect> &occupied);
// Sizes to try, largest first: the full size, then lower, then narrower.
QList<QSize> shrinkSteps(QSize size, QSize minimum, const QRect &area);

// The clear rectangle of the largest possible size with the lowest cost, where
// candidates stand at the area's edges, beside every occupied rectangle and at the anchor.
template<typename Cost>
std::optional<QRect> bestFreeRect(QSize size, QSize minimum, const QRect &area, const QList<QRect> &occupied,
                                  QPoint anchor, Cost cost)
{
    if (area.isEmpty() || size.isEmpty())
        return std::nullopt;
    for (const QSize &s : shrinkSteps(size, minimum, area)) {
        QList<int> xs{anchor.x(), area.left(), area.right() + 1 - s.width()};
        QList<int> ys{anchor.y(), area.top(), area.bottom() + 1 - s.height()};
        for (const QRect &o : occupied) {
            xs << o.left() - gap - s.width() << o.right() + 1 + gap;
            ys << o.top() - gap - s.height() << o.bottom() + 1 + gap;
        }
        std::optional<QRect> best;
        for (const int x : std::as_const(xs)) {
            for (const int y : std::as_const(ys)) {
                const QRect candidate(QPoint(x, y), s);
                if (area.contains(candidate) && isClear(candidate, occupied) &&
                    (!best || cost(candidate) < cost(*best)))
                    best = candidate;
            }
        }
        if (best)
            return best;
    }
    return std::nullopt;
}

// A rectangle inside `area` that keeps `gap` from every rectangle of
// `occupied`: of `size` if such room exists, otherwise shrunk step by step down
// to `minimum`; the candidate nearest `anchor` (its top-left corner) wins.
// None when not even `minimum` fits anywhere.
std::optional<QRect> freeRectNear(QSize size, QSize minimum, const QRect &area, const QList<QRect> &occupied,
                                  QPoint anchor);

// The place of a feature window (to-do list, currency converter) in room no
// other window uses: inside `area`, keeping `gap` from every rectangle of
// `occupied`, of `size` if such room exists, otherwise shrunk step by step down
// to `minimum`; the leftmost, then topmost such spot. When not even `minimum`
// fits anywhere, the spot of that size inside the area that covers the least
// of the occupied rectangles (leftmost, then topmost, among equals).
QRect freeSpot(QSize size, QSize minimum, const QRect &area, const QList<QRect> &occupied);

} // namespace WindowRoom
