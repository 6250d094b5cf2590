#pragma once

#include <QColor>
#include <QSize>
#include <QString>

class QPainter;

// The look of the to-do panel: its style sheet, the text overlay's, and the
// painting of its body and header (glyph, title, count of open tasks).
namespace TodoStyle {

QString panelStyleSheet();
QString taskTextStyleSheet();

inline constexpr QColor activeText{0xf2, 0xf4, 0xf8};
inline constexpr QColor completedText{0x7f, 0x89, 0x98};

struct Chrome
{
    QSize size;
    bool rightToLeft = false;
    bool opaque = false;
    QString title;
    int activeCount = 0;
};

// Where the header's title text stands (before mirroring).
inline constexpr int titleX = 38;

void paint(QPainter *painter, const Chrome &chrome);

} // namespace TodoStyle
