#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

// The program's icon: a dark rounded plate with three tiles, drawn in code so it
// stays crisp at every size.
// Draws the icon into the square (0, 0, size, size) of any paint device, so the
// window icon, the installed PNGs and the scalable SVG are one drawing.
void paintAppIcon(QPainter &painter, int size);
QImage renderAppIcon(int size);
QIcon appIcon();
