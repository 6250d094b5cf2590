#pragma once

#include <QColor>

// Colours of the currency panel's fields and texts that more than one of its
// widgets shows.
namespace CurrencyStyle {

inline constexpr QColor text{0xe7, 0xeb, 0xf2};
inline constexpr QColor secondaryText{0xae, 0xbc, 0xcd};
inline constexpr QColor fieldBorder{0x4a, 0x56, 0x68};
inline constexpr QColor focusBorder{0x91, 0xab, 0xc9};
// The border of a field whose text is no number, focused or not.
inline constexpr QColor notANumberBorder{0xe0, 0x6c, 0x75};

} // namespace CurrencyStyle
