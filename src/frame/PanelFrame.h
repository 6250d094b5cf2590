#pragma once

#include "shell/DesktopLayer.h"

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Helpers shared by every floating panel window: the lock properties other parts
// of the program read, and the resize hit rules.
namespace PanelFrame {

inline constexpr char lockedProperty[] = "panelLayoutLocked";
// The pin action and the locked position are kept by the desktop layer.
inline constexpr auto lockedPositionProperty = DesktopLayer::lockedPositionProperty;
inline constexpr auto alwaysOnTopActionName = DesktopLayer::alwaysOnTopActionName;

inline constexpr int borderWidth = 6;
inline constexpr int cornerSize = 18;
// Height of a panel window's title band: a press this close to the top moves
// the window, and a context menu there is the one-entry pin menu.
inline constexpr int titleBand = 44;

// Makes a frameless tool window a panel: it shows without taking focus,
// always shows tooltips, follows the pointer, and is translucent unless opaque.
void prepareWindow(QWidget *window, bool opaque);

// The checked state of the window's "Always on top" action; false without one.
bool isAlwaysOnTop(const QWidget *window);
bool hasLockedPosition(const QWidget *window);
// Whether the window's geometry (or, for no window, any position on screen)
// may be written to the settings: never in a run whose window system does not
// tell where windows are, which would overwrite the stored layout with made-up
// positions; and not while a locked, pinned window stands away from the
// position it will return to.
bool mayStoreGeometry(const QWidget *window);
// Records where a locked, pinned window was before its first drag.
void captureLockedPosition(QWidget *window);

// Resize edges under a point in window coordinates: 6 px borders, 18 px corners.
// A rolled-up panel resizes horizontally only.
Qt::Edges edgesAt(QSize windowSize, QPoint point, bool locked, bool horizontalOnly = false);

// What a left press at point does to a window whose title band is band high.
// Edges resize before the band moves; a locked layout holds still: no resize
// at all, and a move only for a pinned window, which returns once unpinned.
enum class Press
{
    Ignore,
    Move,
    Resize
};
Press pressAt(QSize windowSize, QPoint point, int band, bool locked, bool pinned, bool horizontalOnly);

void setEdgeCursor(QWidget *window, Qt::Edges edges);

// The rectangle r0 resized by dragging its edges by delta, never below minimum;
// the opposite edge stays where it is.
QRect resized(const QRect &r0, QPoint delta, Qt::Edges edges, QSize minimum);

} // namespace PanelFrame
