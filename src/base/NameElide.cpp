#include "NameElide.h"

#include <QFont>
#include <QFontMetrics>
#include <QTextLayout>

namespace NameElide {

QString elideRight(const QFont &font, const QString &name, int width)
{
    const QString elided = QFontMetrics(font).elidedText(name, Qt::ElideRight, width);
    if (elided == name)
        return elided;
    // Qt ends an elided text with an ellipsis character, or three dots where
    // the font has none.
    const QString ellipsis = elided.endsWith(QChar(0x2026)) ? QString(QChar(0x2026)) : QStringLiteral("...");
    if (!elided.endsWith(ellipsis))
        return elided;
    QString kept = elided.left(elided.size() - ellipsis.size());
    while (kept.endsWith(QLatin1Char('.')))
        kept.chop(1);
    return kept + ellipsis;
}

QStringList lines(const QFont &font, const QString &name, int width, int maxLines)
{
    QStringList result;
    if (maxLines <= 0 || width <= 0)
        return result;
    QTextLayout layout(name, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (result.size() == maxLines - 1) {
            result << elideRight(font, name.mid(line.textStart()).trimmed(), width);
            break;
        }
        result << name.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return result;
}

} // namespace NameElide
