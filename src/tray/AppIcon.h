#pragma once

#include <QIcon>
#include <QImage>

// The program's icon: a dark rounded plate with three tiles, drawn in code so it
// stays crisp at every size.
QImage renderAppIcon(int size);
QIcon appIcon();
