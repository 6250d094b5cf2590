#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <memory>

class QThread;
class QWidget;

// Look shared by every window of the program: the palette, the font families
// and the style sheets built from them.
namespace AppStyle {

namespace Palette {
inline constexpr QColor window{0x23, 0x27, 0x2f};
inline constexpr QColor field{0x25, 0x2d, 0x39};
inline constexpr QColor primaryText{0xf2, 0xf4, 0xf8};
inline constexpr QColor secondaryText{0xc2, 0xcb, 0xdb};
inline constexpr QColor border{0x39, 0x40, 0x4e};
inline constexpr QColor accent{0x43, 0x8f, 0xff};
inline constexpr QColor selection{0x2f, 0x6f, 0xed};
inline constexpr QColor disabledText{0x7c, 0x85, 0x98};
} // namespace Palette

// The font families in order of preference.
QStringList fontFamilies();
// fontFamilies() as a style sheet declaration: font-family: "A", "B";
QString fontFamilyDeclaration();
// A colour as a style sheet value, #rrggbb.
QString css(const QColor &color);

QFont appFont();
// Reads the system's fonts on a worker while it lives, made once the
// application exists; it waits for the worker as it ends, which must be before
// the application does.
class FontPreparation
{
public:
    FontPreparation();
    ~FontPreparation();
    Q_DISABLE_COPY_MOVE(FontPreparation)

private:
    std::unique_ptr<QThread> m_worker;
};
// appFont() at a size in pixels.
QFont appFont(int pixelSize);
// Gives the widget a text colour in every role that draws text, with a
// placeholder in it at half strength, as a style sheet's "color" does, and a
// transparent base: the window it sits on paints what is behind it.
void setTextColor(QWidget *widget, const QColor &color);

QString toolTipStyleSheet();
QString menuStyleSheet();

} // namespace AppStyle
