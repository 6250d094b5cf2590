#pragma once

#include <QFont>
#include <QRect>
#include <QString>

// Sizes of the to-do panel and its rows, shared by the panel, its delegate and
// its text overlay so that what is measured is what is drawn.
namespace TodoMetrics {

inline constexpr int minimumWidth = 300;
inline constexpr int minimumHeight = 150;
inline constexpr int bodyX = 14;
inline constexpr int bodyY = 46;
inline constexpr int bodyBottom = 14;
inline constexpr int closeEdge = 26;
inline constexpr int gripEdge = 16;
inline constexpr int maxInputLength = 240;

// Rows: one line of title (compact) or two.
inline constexpr int compactRowHeight = 62;
inline constexpr int tallRowHeight = 78;
inline constexpr int rowWidthHint = 260;
inline constexpr int visibleRows = 6;
// Panel height around the rows: header, input line and margins; and the
// content height of an empty list.
inline constexpr int chromeHeight = 122;
inline constexpr int emptyContentHeight = 52;

// Title text inset in a row, and the check circle's hit box.
inline constexpr int textLeft = 36;
inline constexpr int checkHitLeft = 6;
inline constexpr int checkHitTop = 10;
inline constexpr int checkHitEdge = 24;

// The font of task titles (13 px) and of the date line (11 px).
QFont titleFont(bool completed = false);
QFont dateFont();

// Whether a row of this width is a compact one.
inline bool isCompact(int rowHeight)
{
    return rowHeight < 63;
}

// The height of a row holding title at the given row width: tall when the title
// does not fit on one line (or holds a line break).
int rowHeight(const QString &title, int rowWidth);

// A title on one line: line breaks and tabs shown as spaces.
QString singleLine(const QString &title);

// Mirrors a rectangle inside a row for right-to-left layouts.
QRect visual(Qt::LayoutDirection direction, const QRect &row, const QRect &box);

// Boxes inside a row rectangle (already mirrored for the direction).
QRect checkHitBox(const QRect &row, Qt::LayoutDirection direction);
QRect selectableTextBox(const QRect &row, Qt::LayoutDirection direction);

} // namespace TodoMetrics
