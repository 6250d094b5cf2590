#pragma once

#include <QColor>
#include <QString>

// The look of the quick search window.
namespace SearchStyle {

inline constexpr QColor windowBorder{0x46, 0x53, 0x63};
inline constexpr QColor windowFill{35, 39, 47, 250};
inline constexpr int windowRadius = 14;
inline constexpr QColor selectedBorder{126, 174, 247, 120};
inline constexpr QColor selectedFill{79, 139, 237, 42};
inline constexpr QColor hoverFill{255, 255, 255, 18};
inline constexpr qreal rowRadius = 8;
inline constexpr QColor nameText{0xf2, 0xf4, 0xf8};
inline constexpr QColor categoryText{0xa6, 0xb1, 0xc2};

QString styleSheet();

} // namespace SearchStyle
