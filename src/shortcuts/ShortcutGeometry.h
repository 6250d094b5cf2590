#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where loose desktop items go. Positions are the top-left corners of their
// windows in global coordinates, on any pixel (there is no grid).
namespace ShortcutGeometry {

struct ScreenArea
{
    QRect geometry;
    QRect available;
};

// The window of one loose item: room for the icon and two lines of name.
QSize cellSize(int iconSize);

// Moves a window of size s at p fully inside the available area of the screen
// that contains p, or of the primary screen when none does; on a screen too
// small for it, it keeps to the area's left or top edge. Without any screen p
// is returned unchanged.
QPoint clampToAvailable(QPoint p, QSize s, const QList<ScreenArea> &screens, int primary);

// Positions of n items dropped together at a point: one row to the right of it,
// the first icon centred under the point, each kept inside the available area
// of the screen under its icon's centre (the primary one when none is).
QList<QPoint> dropPositions(int n, QPoint dropPoint, int iconSize, const QList<ScreenArea> &screens,
                            int primary);

// The screens of the running program, and the index of the primary one.
QList<ScreenArea> currentScreens();
int primaryScreenIndex();

} // namespace ShortcutGeometry
