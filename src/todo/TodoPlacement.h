#pragma once

#include <QList>
#include <QRect>

// Where the to-do panel first appears: the first free spot of its default
// size in the work area, scanning columns from the left in 16 px steps and
// each column from the top, clear of the icon panels (with 8 px to spare).
namespace TodoPlacement {

inline constexpr QSize defaultSize{340, 420};
inline constexpr int step = 16;
inline constexpr int clearance = 8;

QRect defaultRect(const QRect &area, const QList<QRect> &panels);

} // namespace TodoPlacement
