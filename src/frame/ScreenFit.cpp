#include "ScreenFit.h"

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>

#include <algorithm>

namespace ScreenFit {

namespace {

qint64 overlap(const QRect &a, const QRect &b)
{
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

qint64 distance(const QRect &area, QPoint p)
{
    const qint64 dx = std::max({area.left() - p.x(), 0, p.x() - area.right()});
    const qint64 dy = std::max({area.top() - p.y(), 0, p.y() - area.bottom()});
    return dx * dx + dy * dy;
}

// The area holding most of `rect`, or the one nearest its centre when none holds any.
QRect hostArea(const QRect &rect, const QList<QRect> &areas)
{
    const auto most = std::max_element(areas.cbegin(), areas.cend(), [&rect](const QRect &a, const QRect &b) {
        return overlap(rect, a) < overlap(rect, b);
    });
    if (overlap(rect, *most) > 0)
        return *most;
    return *std::min_element(areas.cbegin(), areas.cend(), [&rect](const QRect &a, const QRect &b) {
        return distance(a, rect.center()) < distance(b, rect.center());
    });
}

// A start position of an extent inside [low, high]; one longer than the room
// covers it from the low end.
int clampStart(int start, int extent, int low, int high)
{
    const int last = high - extent + 1;
    return last >= low ? std::clamp(start, low, last) : low;
}

} // namespace

bool liesOn(const QRect &rect, const QList<QRect> &areas)
{
    QRegion rest(rect);
    for (const QRect &area : areas)
        rest -= area;
    return rest.isEmpty();
}

QRect keepTitleOnScreen(const QRect &proposed, int titleBand, const QList<QRect> &areas)
{
    const QRect band(proposed.topLeft(), QSize(proposed.width(), std::min(titleBand, proposed.height())));
    if (areas.isEmpty() || band.isEmpty() || liesOn(band, areas))
        return proposed;
    const QRect area = hostArea(band, areas);
    QRect result = proposed;
    result.moveTo(clampStart(band.left(), band.width(), area.left(), area.right()),
                  clampStart(band.top(), band.height(), area.top(), area.bottom()));
    return result;
}

QRect limitResize(const QRect &rect, Qt::Edges edges, QSize minimum, const QRect &area)
{
    if (area.isEmpty())
        return rect;
    QRect r = rect;
    if (edges & Qt::LeftEdge)
        r.setLeft(std::min(std::max(r.left(), area.left()), r.right() - minimum.width() + 1));
    else if (edges & Qt::RightEdge)
        r.setRight(std::max(std::min(r.right(), area.right()), r.left() + minimum.width() - 1));
    if (edges & Qt::TopEdge)
        r.setTop(std::min(std::max(r.top(), area.top()), r.bottom() - minimum.height() + 1));
    else if (edges & Qt::BottomEdge)
        r.setBottom(std::max(std::min(r.bottom(), area.bottom()), r.top() + minimum.height() - 1));
    return r;
}

QRect fitInside(const QRect &rect, const QList<QRect> &areas, QSize minimum)
{
    if (areas.isEmpty() || !rect.isValid() || liesOn(rect, areas))
        return rect;
    const QRect area = hostArea(rect, areas);
    const QSize size(std::max(std::min(rect.width(), area.width()), minimum.width()),
                     std::max(std::min(rect.height(), area.height()), minimum.height()));
    return QRect(clampStart(rect.left(), size.width(), area.left(), area.right()),
                 clampStart(rect.top(), size.height(), area.top(), area.bottom()), size.width(),
                 size.height());
}

QList<QRect> availableAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

} // namespace ScreenFit
