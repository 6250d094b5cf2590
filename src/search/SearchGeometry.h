#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <algorithm>

// Sizes and placement of the quick search window on the screen it opens on.
namespace SearchGeometry {

inline constexpr int screenInset = 16;
inline constexpr int maximumWidth = 540;
inline constexpr int rowHeight = 58;
inline constexpr int maximumRows = 6;
// The room the header, field and footer take around the list.
inline constexpr int chromeHeight = 170;
inline constexpr int maximumTopGap = 100;

// Where the window may lie: a screen's available area, inset.
inline QRect searchArea(const QRect &available)
{
    return available.adjusted(screenInset, screenInset, -screenInset, -screenInset);
}

inline int windowWidth(const QRect &area)
{
    return std::min(area.width(), maximumWidth);
}

// How many result rows are shown at once; more scroll.
inline int visibleRows(int matches, const QRect &area)
{
    return std::min(matches, std::max(std::min((area.height() - chromeHeight) / rowHeight, maximumRows), 1));
}

// Centred across the area, a quarter of the free height down (at most 100 px),
// never left of the area (centring a window as wide as the area would, by one pixel).
inline QPoint windowPosition(const QRect &area, QSize window)
{
    const int x = std::max(area.center().x() - window.width() / 2, area.left());
    const int y = area.top() + std::min(std::max((area.height() - window.height()) / 4, 0), maximumTopGap);
    return {x, y};
}

} // namespace SearchGeometry
