#include "TodoStyle.h"

#include "frame/GlyphButton.h"
#include "frame/PanelFrame.h"
#include "frame/PanelStyle.h"
#include "look/AppStyle.h"
#include "todo/TodoMetrics.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPainter>
#include <QTextEdit>

namespace TodoStyle {

namespace {

constexpr int bodyAlphaPercent = 86; // 220 of 255
constexpr int bodyRadius = 16;
constexpr int glyphEdge = 16;
constexpr int badgeHeight = 20;
constexpr int inputPixelSize = 13;
constexpr QMargins inputPadding{2, 7, 2, 7};
constexpr int addPixelSize = 20;
constexpr int togglePixelSize = 11;
constexpr int emptyPixelSize = 12;
constexpr QColor emptyText{0x8f, 0x99, 0xa9};
constexpr int saveStatusPixelSize = 11;
constexpr QColor saveStatusText{0xff, 0x9e, 0x80};
constexpr QColor selectionBackground{0x36, 0x5c, 0x94};

QFont badgeFont()
{
    QFont font = AppStyle::appFont();
    font.setPixelSize(11);
    return font;
}

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

void styleInput(QLineEdit *input)
{
    input->setFrame(false);
    input->setTextMargins(inputPadding);
    input->setFont(AppStyle::appFont(inputPixelSize));
    AppStyle::setTextColor(input, activeText);
}

void styleList(QListView *list)
{
    list->setFrameShape(QFrame::NoFrame);
    list->setFont(AppStyle::appFont());
    AppStyle::setTextColor(list, activeText);
    list->viewport()->setAutoFillBackground(false);
}

void styleEmptyLabel(QLabel *label)
{
    label->setFont(AppStyle::appFont(emptyPixelSize));
    AppStyle::setTextColor(label, emptyText);
}

void styleSaveStatus(QLabel *label)
{
    label->setFont(AppStyle::appFont(saveStatusPixelSize));
    AppStyle::setTextColor(label, saveStatusText);
    label->setWordWrap(true);
}

void styleTaskText(QTextEdit *text)
{
    text->setFrameShape(QFrame::NoFrame);
    text->viewport()->setAutoFillBackground(false);
    QPalette colours = text->palette();
    colours.setColor(QPalette::Base, Qt::transparent);
    colours.setColor(QPalette::Highlight, selectionBackground);
    colours.setColor(QPalette::HighlightedText, Qt::white);
    text->setPalette(colours);
}

GlyphButton *createAddButton(QWidget *parent)
{
    auto *button = new GlyphButton(QStringLiteral("+"), addPixelSize, parent);
    button->setColors(activeText, Qt::white);
    button->setPadding({0, 0, 0, 2});
    return button;
}

GlyphButton *createCompletedToggle(QWidget *parent)
{
    auto *button = new GlyphButton(QString(), togglePixelSize, parent);
    button->setPadding({6, 4, 6, 4});
    return button;
}

Header header(const Chrome &chrome)
{
    const int width = chrome.size.width();
    const auto mirrored = [&chrome, width](const QRectF &r) {
        return chrome.rightToLeft ? QRectF(width - r.right(), r.top(), r.width(), r.height()) : r;
    };
    Header header;
    header.glyph = mirrored(QRectF(14, 14, glyphEdge, glyphEdge));
    const QFontMetrics titleMetrics(PanelStyle::titleFont(AppStyle::appFont()));
    header.titleText = titleMetrics.elidedText(chrome.title, Qt::ElideRight, std::max(width - 140, 0));
    header.title = mirrored(QRectF(titleX, 0, std::max(width - 120, 0), PanelFrame::titleBand));
    // Absolute: the painter would mirror a plain alignment once more.
    header.titleAlignment =
        Qt::AlignAbsolute | Qt::AlignVCenter | (chrome.rightToLeft ? Qt::AlignRight : Qt::AlignLeft);
    if (chrome.activeCount <= 0)
        return header;
    header.count = QLocale().toString(chrome.activeCount);
    const int badgeWidth = std::max(22, QFontMetrics(badgeFont()).horizontalAdvance(header.count) + 12);
    const int advance = titleMetrics.horizontalAdvance(header.titleText);
    header.badge = mirrored(QRectF(advance + 46, 12, badgeWidth, badgeHeight));
    return header;
}

void paint(QPainter *painter, const Chrome &chrome)
{
    painter->setRenderHint(QPainter::Antialiasing);
    QColor border(0x6a, 0x74, 0x88);
    border.setAlpha(chrome.opaque ? 255 : 200);
    painter->setPen(border);
    painter->setBrush(PanelStyle::bodyColor(bodyAlphaPercent, chrome.opaque));
    painter->drawRoundedRect(QRectF(0.5, 0.5, chrome.size.width() - 1, chrome.size.height() - 1), bodyRadius,
                             bodyRadius);

    const Header parts = header(chrome);
    paintGlyph(painter, parts.glyph);
    painter->setFont(PanelStyle::titleFont(AppStyle::appFont()));
    painter->setPen(AppStyle::Palette::primaryText);
    painter->drawText(parts.title, int(parts.titleAlignment), parts.titleText);
    if (parts.badge.isEmpty())
        return;
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(255, 255, 255, 18));
    painter->drawRoundedRect(parts.badge, badgeHeight / 2, badgeHeight / 2);
    painter->setFont(badgeFont());
    painter->setPen(AppStyle::Palette::secondaryText);
    painter->drawText(parts.badge, Qt::AlignCenter, parts.count);
}

} // namespace TodoStyle
