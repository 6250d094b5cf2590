#include "TodoPlacement.h"

#include <algorithm>

namespace TodoPlacement {

QRect defaultRect(const QRect &area, const QList<QRect> &panels)
{
    const QSize size(std::min(area.width(), defaultSize.width()),
                     std::min(area.height(), defaultSize.height()));
    QList<QRect> obstacles;
    obstacles.reserve(panels.size());
    for (const QRect &panel : panels)
        obstacles.append(panel.adjusted(-clearance, -clearance, clearance, clearance));
    for (int x = area.left(); x + size.width() - 1 <= area.right(); x += step) {
        for (int y = area.top(); y + size.height() - 1 <= area.bottom(); y += step) {
            const QRect candidate(QPoint(x, y), size);
            if (std::none_of(obstacles.cbegin(), obstacles.cend(),
                             [&candidate](const QRect &o) { return o.intersects(candidate); }))
                return candidate;
        }
    }
    return QRect(area.topLeft(), size);
}

} // namespace TodoPlacement
