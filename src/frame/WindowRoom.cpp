#include "WindowRoom.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <tuple>

namespace WindowRoom {

QRect workAreaFor(const QRect &available)
{
    return available.adjusted(workAreaInset, workAreaInset, -workAreaInset, -workAreaInset);
}

QRect primaryAvailable()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : noScreenArea;
}

QRect workArea()
{
    return workAreaFor(primaryAvailable());
}

bool isClear(const QRect &r, const QList<QRect> &occupied)
{
    const QRect padded = r.adjusted(-gap, -gap, gap, gap);
    return std::none_of(occupied.cbegin(), occupied.cend(),
                        [&padded](const QRect &o) { return o.isValid() && padded.intersects(o); });
}

QList<QSize> shrinkSteps(QSize size, QSize minimum, const QRect &area)
{
    const int w = std::min(size.width(), area.width());
    const int h = std::min(size.height(), area.height());
    const int minW = std::min(std::max(minimum.width(), 1), w);
    const int minH = std::min(std::max(minimum.height(), 1), h);
    QList<QSize> steps;
    for (const int width : {w, minW}) {
        for (const int height : {h, std::max(minH, h * 3 / 4), std::max(minH, h / 2), minH}) {
            if (!steps.contains(QSize(width, height)))
                steps.append(QSize(width, height));
        }
    }
    return steps;
}

std::optional<QRect> freeRectNear(QSize size, QSize minimum, const QRect &area, const QList<QRect> &occupied,
                                  QPoint anchor)
{
    return bestFreeRect(size, minimum, area, occupied, anchor, [anchor](const QRect &r) {
        return qint64(std::abs(r.left() - anchor.x())) + std::abs(r.top() - anchor.y());
    });
}

QRect freeSpot(QSize size, QSize minimum, const QRect &area, const QList<QRect> &occupied)
{
    const auto leftThenTop = [](const QRect &r) {
        return std::pair(r.left(), r.top());
    };
    if (const std::optional<QRect> free =
            bestFreeRect(size, minimum, area, occupied, area.topLeft(), leftThenTop))
        return *free;
    // No room: the spot that hides the least of any one window, then the least
    // in all (two windows at one corner would hide one of them entirely).
    const QSize least = shrinkSteps(size, minimum, area).constLast();
    const auto covered = [&occupied](const QRect &r) {
        qint64 worst = 0;
        qint64 sum = 0;
        for (const QRect &o : occupied) {
            const QRect common = r.intersected(o);
            if (common.isEmpty() || o.isEmpty())
                continue;
            const qint64 hidden = qint64(common.width()) * common.height();
            worst = std::max(worst, hidden * 1000 / (qint64(o.width()) * o.height()));
            sum += hidden;
        }
        return std::pair(worst, sum);
    };
    QList<int> xs{area.left(), area.right() + 1 - least.width()};
    QList<int> ys{area.top(), area.bottom() + 1 - least.height()};
    for (const QRect &o : occupied) {
        xs << o.left() - gap - least.width() << o.right() + 1 + gap;
        ys << o.top() - gap - least.height() << o.bottom() + 1 + gap;
    }
    QRect best(area.topLeft(), least);
    for (const int x : std::as_const(xs)) {
        for (const int y : std::as_const(ys)) {
            QRect candidate(QPoint(x, y), least);
            if (!area.contains(candidate))
                continue;
            const auto key = std::tuple(covered(candidate), x, y);
            if (key < std::tuple(covered(best), best.left(), best.top()))
                best = candidate;
        }
    }
    return best;
}

} // namespace WindowRoom
