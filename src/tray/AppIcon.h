#pragma once

#include <QIcon>
#include <QImage>
#include <QRectF>

class QPainter;

// The program's icon: a dark rounded plate with three tiles, drawn in code so it
// stays crisp at every size.
// Draws the icon into the square (0, 0, size, size) of any paint device, so the
// window icon, the installed PNGs and the scalable SVG are one drawing.
void paintAppIcon(QPainter &painter, int size);

// Where the icon's plate and tiles stand in a square of the given edge: two
// light tiles (a tall one on the left, one at the bottom right) and the blue
// one at the top right.
struct AppIconTiles
{
    QRectF plate;
    QRectF left;
    QRectF bottomRight;
    QRectF topRight;
    qreal plateRadius = 0;
    qreal tileRadius = 0;
};
AppIconTiles appIconTiles(int size);
QImage renderAppIcon(int size);
QIcon appIcon();
// The icon the tray shows: the installed one by its theme name (the application
// id), so tray hosts that ask for an icon by name find it; the drawing where the
// program is not installed.
QIcon trayAppIcon();
