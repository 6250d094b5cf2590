#include "ShortcutGeometry.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace ShortcutGeometry {

namespace {
// Room around the icon for the hover frame and the label beside and below it.
constexpr int sideRoom = 24;
constexpr int minimumWidth = 88;
constexpr int labelRoom = 48;
// The icon sits this far below the window's top edge.
constexpr int iconTop = 4;

int clampAxis(int value, int low, int high, int extent)
{
    return std::max(low, std::min(std::max(low, high - extent + 1), value));
}
} // namespace

QSize cellSize(int iconSize)
{
    return {std::max(iconSize + sideRoom, minimumWidth), iconSize + labelRoom};
}

namespace {

// The available area of the screen that contains `at`, else of the primary screen.
QRect areaAt(QPoint at, const QList<ScreenArea> &screens, int primary)
{
    const auto containing = std::find_if(screens.cbegin(), screens.cend(), [at](const ScreenArea &screen) {
        return screen.geometry.contains(at);
    });
    return containing != screens.cend()
               ? containing->available
               : screens.at(std::clamp<qsizetype>(primary, 0, screens.size() - 1)).available;
}

QPoint clampInto(QPoint p, QSize s, const QRect &area)
{
    return {clampAxis(p.x(), area.left(), area.right(), s.width()),
            clampAxis(p.y(), area.top(), area.bottom(), s.height())};
}

} // namespace

QPoint clampToAvailable(QPoint p, QSize s, const QList<ScreenArea> &screens, int primary)
{
    if (screens.isEmpty())
        return p;
    return clampInto(p, s, areaAt(p, screens, primary));
}

QList<QPoint> dropPositions(int n, QPoint dropPoint, int iconSize, const QList<ScreenArea> &screens,
                            int primary)
{
    const QSize cell = cellSize(iconSize);
    int x = dropPoint.x() - cell.width() / 2;
    const int y = dropPoint.y() - iconSize / 2 - iconTop;
    QList<QPoint> result;
    for (int i = 0; i < n; ++i) {
        // The screen is the one under the icon's centre (for the first item the
        // drop point), not under the window's corner: a drop just inside a
        // screen's left or top edge stays on that screen.
        const QPoint anchor(dropPoint.x() + i * cell.width(), dropPoint.y());
        result.append(screens.isEmpty() ? QPoint(x, y)
                                        : clampInto(QPoint(x, y), cell, areaAt(anchor, screens, primary)));
        x += cell.width();
    }
    return result;
}

QList<ScreenArea> currentScreens()
{
    QList<ScreenArea> result;
    for (const QScreen *screen : QGuiApplication::screens())
        result.append({screen->geometry(), screen->availableGeometry()});
    return result;
}

int primaryScreenIndex()
{
    return std::max<int>(0, int(QGuiApplication::screens().indexOf(QGuiApplication::primaryScreen())));
}

} // namespace ShortcutGeometry
