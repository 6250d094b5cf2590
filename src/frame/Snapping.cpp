#include "Snapping.h"

#include <algorithm>
#include <cstdlib>

namespace Snapping {

namespace {

// A rectangle seen along one axis, so that x and y share one implementation.
struct Extent
{
    int nearEdge;
    int farEdge;
    int centre;
    int crossStart;
    int crossEnd;
};

Extent along(const QRect &r, Qt::Orientation axis)
{
    if (axis == Qt::Horizontal)
        return {r.left(), r.right(), r.center().x(), r.top(), r.bottom()};
    return {r.top(), r.bottom(), r.center().y(), r.left(), r.right()};
}

// Guide lines keyed by the axis they are constant on; a second line at the same
// place only lengthens the first, so overlapping guides are drawn once.
class GuideSet
{
public:
    void add(Qt::Orientation line, int at, int start, int end)
    {
        for (Guide &guide : m_guides) {
            if (guide.line == line && guide.at == at) {
                guide.start = std::min(guide.start, start);
                guide.end = std::max(guide.end, end);
                return;
            }
        }
        m_guides.append({line, at, start, end});
    }

    QList<QLine> lines() const
    {
        QList<QLine> result;
        result.reserve(m_guides.size());
        for (const Guide &guide : m_guides) {
            result.append(guide.line == Qt::Vertical ? QLine(guide.at, guide.start, guide.at, guide.end)
                                                     : QLine(guide.start, guide.at, guide.end, guide.at));
        }
        return result;
    }

private:
    struct Guide
    {
        Qt::Orientation line;
        int at;
        int start;
        int end;
    };
    QList<Guide> m_guides;
};

} // namespace

std::optional<AxisSnap> snapAxis(const QRect &rect, const QList<QRect> &peers, const QRect &screen,
                                 Qt::Orientation axis, bool nearEdge, bool farEdge, bool centre)
{
    std::optional<AxisSnap> best;
    auto consider = [&best](int delta, int guide, int spanStart, int spanEnd, bool movesNear) {
        if (std::abs(delta) >= threshold)
            return;
        if (best && std::abs(delta) >= std::abs(best->delta))
            return;
        best = AxisSnap{delta, guide, spanStart, spanEnd, movesNear};
    };

    const Extent r = along(rect, axis);
    for (const QRect &peer : peers) {
        if (peer.isEmpty())
            continue;
        const Extent p = along(peer, axis);
        const int start = std::min(r.crossStart, p.crossStart);
        const int end = std::max(r.crossEnd, p.crossEnd);
        if (nearEdge) {
            consider(p.nearEdge - r.nearEdge, p.nearEdge, start, end, true);
            consider(p.farEdge + 1 - r.nearEdge, p.farEdge + 1, start, end, true);
        }
        if (farEdge) {
            consider(p.farEdge - r.farEdge, p.farEdge + 1, start, end, false);
            consider(p.nearEdge - r.farEdge - 1, p.nearEdge, start, end, false);
        }
        if (centre)
            consider(p.centre - r.centre, p.centre, start, end, false);
    }
    if (!screen.isEmpty()) {
        const Extent s = along(screen, axis);
        if (nearEdge)
            consider(s.nearEdge - r.nearEdge, s.nearEdge, s.crossStart, s.crossEnd, true);
        if (farEdge)
            consider(s.farEdge - r.farEdge, s.farEdge + 1, s.crossStart, s.crossEnd, false);
    }
    return best;
}

Result snapMove(const QRect &rect, const QList<QRect> &peers, const QRect &screen)
{
    const auto x = snapAxis(rect, peers, screen, Qt::Horizontal, true, true, true);
    const auto y = snapAxis(rect, peers, screen, Qt::Vertical, true, true, true);
    const QRect moved = rect.translated(x ? x->delta : 0, y ? y->delta : 0);
    return {moved, guidesFor(moved, peers, screen)};
}

Result snapResize(const QRect &rect, const QList<QRect> &peers, const QRect &screen, QSize minimum,
                  Qt::Edges edges)
{
    QRect result = rect;
    if (const auto x = snapAxis(rect, peers, screen, Qt::Horizontal, edges.testFlag(Qt::LeftEdge),
                                edges.testFlag(Qt::RightEdge), false)) {
        QRect snapped = result;
        if (x->nearEdge)
            snapped.setLeft(snapped.left() + x->delta);
        else
            snapped.setRight(snapped.right() + x->delta);
        if (snapped.width() >= minimum.width())
            result = snapped;
    }
    if (const auto y = snapAxis(rect, peers, screen, Qt::Vertical, edges.testFlag(Qt::TopEdge),
                                edges.testFlag(Qt::BottomEdge), false)) {
        QRect snapped = result;
        if (y->nearEdge)
            snapped.setTop(snapped.top() + y->delta);
        else
            snapped.setBottom(snapped.bottom() + y->delta);
        if (snapped.height() >= minimum.height())
            result = snapped;
    }
    return {result, guidesFor(result, peers, screen)};
}

QList<QLine> guidesFor(const QRect &rect, const QList<QRect> &peers, const QRect &screen)
{
    GuideSet guides;
    bool sameColumn = false; // some peer shares both vertical edges, so the centres line up trivially
    bool sameRow = false;
    for (const QRect &peer : peers) {
        if (peer.isEmpty())
            continue;
        const int top = std::min(rect.top(), peer.top());
        const int bottom = std::max(rect.bottom(), peer.bottom());
        const int left = std::min(rect.left(), peer.left());
        const int right = std::max(rect.right(), peer.right());

        const bool leftAligned = rect.left() == peer.left() || rect.left() == peer.right() + 1;
        const bool rightAligned = rect.right() == peer.right() || rect.right() + 1 == peer.left();
        const bool topAligned = rect.top() == peer.top() || rect.top() == peer.bottom() + 1;
        const bool bottomAligned = rect.bottom() == peer.bottom() || rect.bottom() + 1 == peer.top();
        if (leftAligned)
            guides.add(Qt::Vertical, rect.left(), top, bottom);
        if (rightAligned)
            guides.add(Qt::Vertical, rect.right() + 1, top, bottom);
        if (topAligned)
            guides.add(Qt::Horizontal, rect.top(), left, right);
        if (bottomAligned)
            guides.add(Qt::Horizontal, rect.bottom() + 1, left, right);
        sameColumn = sameColumn || (leftAligned && rightAligned);
        sameRow = sameRow || (topAligned && bottomAligned);
    }

    for (const QRect &peer : peers) {
        if (!sameColumn && !peer.isEmpty() && peer.center().x() == rect.center().x()) {
            guides.add(Qt::Vertical, rect.center().x(), std::min(rect.top(), peer.top()),
                       std::max(rect.bottom(), peer.bottom()));
        }
    }
    for (const QRect &peer : peers) {
        if (!sameRow && !peer.isEmpty() && peer.center().y() == rect.center().y()) {
            guides.add(Qt::Horizontal, rect.center().y(), std::min(rect.left(), peer.left()),
                       std::max(rect.right(), peer.right()));
        }
    }

    if (!screen.isEmpty()) {
        if (rect.left() == screen.left())
            guides.add(Qt::Vertical, rect.left(), screen.top(), screen.bottom());
        if (rect.right() == screen.right())
            guides.add(Qt::Vertical, rect.right() + 1, screen.top(), screen.bottom());
        if (rect.top() == screen.top())
            guides.add(Qt::Horizontal, rect.top(), screen.left(), screen.right());
        if (rect.bottom() == screen.bottom())
            guides.add(Qt::Horizontal, rect.bottom() + 1, screen.left(), screen.right());
    }
    return guides.lines();
}

} // namespace Snapping
