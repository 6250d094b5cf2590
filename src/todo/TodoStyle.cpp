#include "TodoStyle.h"

#include "base/AppStyle.h"
#include "panels/PanelStyle.h"
#include "todo/TodoMetrics.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPainter>

namespace TodoStyle {

namespace {

constexpr int bodyAlphaPercent = 86; // 220 of 255
constexpr int bodyRadius = 16;
constexpr int glyphEdge = 16;
constexpr int badgeHeight = 20;

QPen roundPen(const QColor &color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void paintGlyph(QPainter *painter, const QRectF &box)
{
    painter->setPen(roundPen(AppStyle::Palette::secondaryText, 1.4));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(box.adjusted(2, 1, -1, -1), 2, 2);
    const qreal l = box.left();
    const qreal t = box.top();
    painter->drawPolyline(QPolygonF{QPointF(l + 5, t + 5), QPointF(l + 7, t + 7), QPointF(l + 11, t + 3)});
    painter->drawLine(QPointF(l + 5, t + 11), QPointF(l + 11, t + 11));
}

} // namespace

QString panelStyleSheet()
{
    const QString font = AppStyle::fontFamilyDeclaration();
    return QStringLiteral(
               "#todoBody { background: transparent; }"
               "QLineEdit { color: #f2f4f8; background: transparent; border: none; padding: 7px 2px;"
               " font-size: 13px; %1 }"
               "QPushButton#todoAdd { color: #f2f4f8; background: transparent; border: none;"
               " padding: 0 0 2px 0; font-size: 20px; font-weight: 400; %1 }"
               "QPushButton#todoAdd:hover { color: white; }"
               "QListView { color: #f2f4f8; background: transparent; border: none; outline: none; %1 }"
               "QPushButton#todoCompletedToggle { color: #aeb9ca; background: transparent; border: none;"
               " padding: 4px 6px; font-size: 11px; %1 }"
               "QPushButton#todoCompletedToggle:hover { color: #f2f4f8; }"
               "QPushButton#todoClose { color: #aeb9ca; background: transparent; border: none;"
               " font-size: 18px; %1 }"
               "QPushButton#todoClose:hover { color: #f2f4f8; }"
               "QLabel#todoEmpty { color: #8f99a9; background: transparent; font-size: 12px; %1 }")
        .arg(font);
}

QString taskTextStyleSheet()
{
    return QStringLiteral("QTextEdit { background: transparent; border: none; padding: 0;"
                          " selection-background-color: #365c94; selection-color: white; }");
}

void paint(QPainter *painter, const Chrome &chrome)
{
    const int width = chrome.size.width();
    painter->setRenderHint(QPainter::Antialiasing);
    QColor border(0x6a, 0x74, 0x88);
    border.setAlpha(chrome.opaque ? 255 : 200);
    painter->setPen(border);
    painter->setBrush(PanelStyle::bodyColor(bodyAlphaPercent, chrome.opaque));
    painter->drawRoundedRect(QRectF(0.5, 0.5, width - 1, chrome.size.height() - 1), bodyRadius, bodyRadius);

    const auto mirrored = [&chrome, width](const QRectF &r) {
        return chrome.rightToLeft ? QRectF(width - r.right(), r.top(), r.width(), r.height()) : r;
    };
    paintGlyph(painter, mirrored(QRectF(14, 14, glyphEdge, glyphEdge)));

    const QFont titleFont = PanelStyle::titleFont(AppStyle::appFont());
    const QString title =
        QFontMetrics(titleFont).elidedText(chrome.title, Qt::ElideRight, std::max(width - 140, 0));
    const int advance = QFontMetrics(titleFont).horizontalAdvance(title);
    painter->setFont(titleFont);
    painter->setPen(AppStyle::Palette::primaryText);
    // Absolute: the painter would mirror a plain alignment once more.
    const Qt::Alignment leading = Qt::AlignAbsolute | (chrome.rightToLeft ? Qt::AlignRight : Qt::AlignLeft);
    painter->drawText(mirrored(QRectF(titleX, 0, std::max(width - 120, 0), TodoMetrics::headerHeight)),
                      int(leading | Qt::AlignVCenter), title);

    if (chrome.activeCount <= 0)
        return;
    QFont badgeFont = AppStyle::appFont();
    badgeFont.setPixelSize(11);
    const QString count = QLocale().toString(chrome.activeCount);
    const int badgeWidth = std::max(22, QFontMetrics(badgeFont).horizontalAdvance(count) + 12);
    const QRectF badge = mirrored(QRectF(advance + 46, 12, badgeWidth, badgeHeight));
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(255, 255, 255, 18));
    painter->drawRoundedRect(badge, badgeHeight / 2, badgeHeight / 2);
    painter->setFont(badgeFont);
    painter->setPen(AppStyle::Palette::secondaryText);
    painter->drawText(badge, Qt::AlignCenter, count);
}

} // namespace TodoStyle
