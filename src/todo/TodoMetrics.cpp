#include "TodoMetrics.h"

#include "look/AppStyle.h"

#include <QFontMetrics>
#include <QStyle>

#include <algorithm>

namespace TodoMetrics {

QFont titleFont(bool completed)
{
    QFont font = AppStyle::appFont();
    font.setPixelSize(13);
    font.setStrikeOut(completed);
    return font;
}

QFont dateFont()
{
    QFont font = AppStyle::appFont();
    font.setPixelSize(11);
    return font;
}

QString singleLine(const QString &title)
{
    QString line = title;
    for (QChar &c : line) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t') ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return line;
}

int rowHeight(const QString &title, int rowWidth)
{
    const int width = rowWidth < 1 ? rowWidthHint : rowWidth;
    const int room = std::max(width - 44, 80);
    const bool breaks = singleLine(title) != title;
    return breaks || QFontMetrics(titleFont()).horizontalAdvance(title) > room ? tallRowHeight
                                                                               : compactRowHeight;
}

QRect visual(Qt::LayoutDirection direction, const QRect &row, const QRect &box)
{
    return QStyle::visualRect(direction, row, box);
}

QRect checkHitBox(const QRect &row, Qt::LayoutDirection direction)
{
    return visual(direction, row,
                  QRect(row.left() + checkHitLeft, row.top() + checkHitTop, checkHitEdge, checkHitEdge));
}

QRect selectableTextBox(const QRect &row, Qt::LayoutDirection direction)
{
    const bool compact = isCompact(row.height());
    return visual(
        direction, row,
        QRect(row.left() + textLeft, row.top() + (compact ? 10 : 5), row.width() - 44, compact ? 21 : 36));
}

} // namespace TodoMetrics
