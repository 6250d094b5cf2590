#pragma once

#include "frame/WindowRoom.h"

#include <QHash>
#include <QList>
#include <QRect>
#include <QSize>

#include <optional>

// Geometry of the tidy arrangement: category panels in list columns along the
// right edge of the work area with grid panels to their left, custom panels in
// the space that remains. Pure functions of their arguments except workArea().
// Rectangles follow QRect conventions (right = left + width - 1).
namespace TidyLayout {

// The rules of free room every window follows, the panels included.
using WindowRoom::freeRectNear;
using WindowRoom::freeSpot;
using WindowRoom::gap;
using WindowRoom::noScreenArea;
using WindowRoom::primaryAvailable;
using WindowRoom::workArea;
using WindowRoom::workAreaFor;
using WindowRoom::workAreaInset;

inline constexpr int cascadeStep = 44; // offset between cascaded custom panels

struct TidyEntry
{
    int category = 0;
    int itemCount = 0;
    std::optional<bool> listMode; // none: automatic by category; true: list; false: grid
    bool operator==(const TidyEntry &) const = default;
};

struct LayoutRecord
{
    int category = 0;
    QRect rect;
    bool list = false;
    bool userPlaced = false;
    bool operator==(const LayoutRecord &) const = default;
};

// A grid panel one cell wide and one cell high (never below the grid panel's minimum size).
QSize smallestGridPanelSize(int iconSize);
// The height a grid panel of five rows needs; taller grid panels are never planned.
int tallestGridPanelHeight(int iconSize);
// The width a grid panel of three columns needs; wider grid panels are never planned.
int widestGridPanelWidth(int iconSize);

// One record per entry with items, list records first (rightmost column first,
// top to bottom), then the grid records row by row from the right.
QList<LayoutRecord> computeTidyLayout(const QList<TidyEntry> &entries, const QRect &area, int iconSize);

// Contiguous runs in order; the first (size % columns) columns take one entry more.
QList<QList<TidyEntry>> splitIntoColumns(const QList<TidyEntry> &entries, int columns);

// Heights of the panels of one list column sharing `height` (gaps included):
// every panel gets up to 84 px first, the rest is shared out until each panel
// reaches its natural height.
QList<int> columnHeights(const QList<TidyEntry> &column, int height);

// Puts user-placed panels (keyed by category) at their own rectangles, then
// sends every user-placed panel that overlaps another one back to its computed
// slot, repeating until no user-placed panel overlaps anything.
QList<LayoutRecord> mergeUserPlaced(const QList<LayoutRecord> &layout, const QHash<int, QRect> &userRects);

// What a custom panel asks for: its natural size and the least it accepts.
struct SizeRequest
{
    QSize preferred;
    QSize minimum;
};

// One rectangle per request (none when `area` is empty), each clear of the
// `occupied` rectangles and of the ones placed before it: as high up and then
// as far right as free room allows, shrunk towards its minimum when needed,
// and cascading from the area's top-left corner only when no room is left.
QList<QRect> layoutCustomPanels(const QList<SizeRequest> &requests, const QRect &area,
                                const QList<QRect> &occupied);

} // namespace TidyLayout
