#pragma once

#include <QList>
#include <QRect>
#include <QSize>

// Keeps panel windows where the user can reach them: a moved window keeps its
// title band on a screen, a resized one stays within the screen's available
// area, and a stored geometry that no longer fits the screens is pulled inside.
// `areas` are the screens' available geometries; pure functions except
// availableAreas().
namespace ScreenFit {

// Whether `rect` lies wholly on the screens (it may span several).
bool liesOn(const QRect &rect, const QList<QRect> &areas);

// The proposed rectangle of a window being moved, shifted the least so that its
// top `titleBand` pixels lie on a screen: unchanged when they already do,
// otherwise kept inside the screen holding most of the band (or the nearest).
QRect keepTitleOnScreen(const QRect &proposed, int titleBand, const QList<QRect> &areas);

// A resized rectangle with the dragged edges held inside `area`, never below
// `minimum`; an empty area leaves it as it is.
QRect limitResize(const QRect &rect, Qt::Edges edges, QSize minimum, const QRect &area);

// A stored geometry as it fits the screens now: unchanged when it lies on
// them, otherwise shrunk to the screen holding most of it (or the nearest),
// never below `minimum`, and moved inside it. No screens: unchanged.
QRect fitInside(const QRect &rect, const QList<QRect> &areas, QSize minimum);

// The available geometries of the screens of the running program.
QList<QRect> availableAreas();

} // namespace ScreenFit
