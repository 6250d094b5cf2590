#pragma once

#include "categories/CategoryRules.h"

#include <QSize>

#include <algorithm>

// Sizes of icon panels and their cells, shared by the panels, their views and
// the tidy arrangement so that what is planned is what is shown.
namespace PanelMetrics {

// The icon edges the program accepts, in pixels, from the command line or stored.
inline constexpr int minIconSize = 32;
inline constexpr int maxIconSize = 96;
inline constexpr bool isIconSize(int px)
{
    return px >= minIconSize && px <= maxIconSize;
}

// One row of a list panel and the icon it shows, whatever the icon size.
inline constexpr int listRowHeight = 32;
inline constexpr int listIconSize = 20;
// A list panel's planned width; list columns never grow wider.
inline constexpr int listWidth = 260;
// The smallest panels of each presentation while not rolled up.
inline constexpr QSize listMinimum{180, 84};
inline constexpr QSize gridMinimum{220, 148};
// Room around the cells: title band, margins and the bottom inset.
inline constexpr int gridChromeWidth = 44;
inline constexpr int gridChromeHeight = 64;
inline constexpr int listChromeHeight = 52;

// The icon sizes the menus offer, by name (catalogue source texts).
struct IconSizeChoice
{
    const char *name;
    int pixels;
};
inline constexpr IconSizeChoice iconSizeChoices[] = {{QT_TRANSLATE_NOOP("Brimvale", "Small"), 32},
                                                     {QT_TRANSLATE_NOOP("Brimvale", "Medium"), 48},
                                                     {QT_TRANSLATE_NOOP("Brimvale", "Large"), 96}};

inline QSize minimumSize(bool list)
{
    return list ? listMinimum : gridMinimum;
}

// One icon cell of a grid panel for an icon edge of iconSize pixels.
inline QSize gridCellSize(int iconSize)
{
    return {std::max(iconSize + 56, 104), iconSize + 60};
}

// A grid panel showing columns x rows cells, never below the grid minimum.
inline QSize gridPanelSize(int iconSize, int columns, int rows)
{
    const QSize cell = gridCellSize(iconSize);
    return {std::max(cell.width() * std::max(columns, 1) + gridChromeWidth, gridMinimum.width()),
            std::max(cell.height() * std::max(rows, 1) + gridChromeHeight, gridMinimum.height())};
}

// Height at which a list panel of itemCount rows shows them all.
inline int listPanelHeight(int itemCount)
{
    return listChromeHeight + listRowHeight * std::max(itemCount, 1);
}

// The size a panel of itemCount items wants while unrolled: a list of every
// row, or a grid up to three columns wide (at least two when two fit in the
// grid minimum's width); the height clamped to maxHeight, never below the minimum.
inline QSize preferredSize(bool list, int iconSize, int itemCount, int maxHeight)
{
    const int n = std::max(itemCount, 1);
    QSize size;
    if (list) {
        size = QSize(listWidth, listPanelHeight(n));
    } else {
        int columns = std::min(n, 3);
        while (columns < 3 && gridPanelSize(iconSize, columns, 1).width() <= gridMinimum.width())
            ++columns;
        size = gridPanelSize(iconSize, columns, (n + columns - 1) / columns);
    }
    const QSize minimum = minimumSize(list);
    return {std::max(minimum.width(), size.width()),
            std::max(minimum.height(), std::min(maxHeight, size.height()))};
}

// Folders, apps and documents are browsed by their icons; every other kind
// reads better as a list.
inline bool listByDefault(int category)
{
    return category != FoldersCategory && category != AppsCategory && category != DocumentsCategory;
}

} // namespace PanelMetrics
