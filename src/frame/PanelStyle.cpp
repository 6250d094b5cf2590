#include "PanelStyle.h"

#include "frame/GlyphEngine.h"
#include "frame/PanelFrame.h"
#include "look/AppStyle.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>

namespace {

constexpr int badgeHeight = 20;
constexpr int badgeGap = 8;    // between title and badge
constexpr int buttonsGap = 16; // between badge and the first hover button
constexpr int glyphEdge = 16;

QFont badgeFont(const QFont &base)
{
    QFont font = base;
    font.setPixelSize(11);
    return font;
}

// An item's plate: its border is drawn only when selected.
constexpr QColor plateHover{255, 255, 255, 18};
constexpr QColor plateSelected{79, 139, 237, 42};
constexpr QColor plateSelectedBorder{126, 174, 247, 155};
constexpr QColor plateSelectedHover{79, 139, 237, 58};
constexpr QColor plateSelectedHoverBorder{151, 191, 250, 190};
constexpr int plateBorder = 1;

} // namespace

const PanelStyle::Metrics &PanelStyle::metrics(bool list)
{
    static const Metrics grid{PanelFrame::titleBand, 16, 26, 6, 16, 16, 16, 48, 16, 18, 54};
    static const Metrics listMetrics{36, 12, 22, 4, 12, 12, 12, 40, 12, 12, 46};
    return list ? listMetrics : grid;
}

int PanelStyle::buttonsLeft(const Metrics &m, int width, int count)
{
    return width - m.buttonMargin - count * m.button - std::max(count - 1, 0) * m.buttonGap;
}

QFont PanelStyle::titleFont(const QFont &base)
{
    QFont font = base;
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    return font;
}

int PanelStyle::badgeWidth(const Chrome &chrome, const QFont &base)
{
    const QString count = QLocale().toString(chrome.count);
    return std::max(QFontMetrics(badgeFont(base)).horizontalAdvance(count) + 12, 22);
}

int PanelStyle::titleRoom(const Chrome &chrome, const QFont &base)
{
    const Metrics &m = metrics(chrome.list);
    const int end = chrome.buttonsShown && chrome.buttonCount > 0
                        ? buttonsLeft(m, chrome.size.width(), chrome.buttonCount) - buttonsGap
                        : chrome.size.width() - m.buttonMargin - badgeGap;
    return std::max(0, end - titleX(m) - badgeWidth(chrome, base));
}

QString PanelStyle::shownTitle(const Chrome &chrome, const QFont &base)
{
    return QFontMetrics(titleFont(base)).elidedText(chrome.title, Qt::ElideRight, titleRoom(chrome, base));
}

QColor PanelStyle::bodyColor(int alphaPercent, bool opaque)
{
    QColor fill(0x1c, 0x1f, 0x26);
    fill.setAlpha(opaque ? 255 : std::clamp(alphaPercent, 0, 100) * 255 / 100);
    return fill;
}

QRegion PanelStyle::bodyShape(QSize size, bool list)
{
    return roundedShape(size, metrics(list).radius);
}

QRegion PanelStyle::roundedShape(QSize size, int radius)
{
    if (size.isEmpty())
        return {};
    // Drawn without antialiasing: a pixel belongs to the window or it does not.
    QBitmap shape(size);
    shape.fill(Qt::color0);
    QPainter painter(&shape);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawRoundedRect(QRect(QPoint(0, 0), size), radius, radius);
    painter.end();
    return QRegion(shape);
}

void PanelStyle::paint(QPainter *painter, const Chrome &chrome, const QFont &base)
{
    const Metrics &m = metrics(chrome.list);
    const int width = chrome.size.width();
    painter->setRenderHint(QPainter::Antialiasing);

    QColor border(0x6a, 0x74, 0x88);
    border.setAlpha(chrome.opaque ? 255 : 200);
    painter->setPen(QPen(border, 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter->setBrush(bodyColor(chrome.alphaPercent, chrome.opaque));
    painter->drawRoundedRect(QRectF(0.5, 0.5, width - 1, chrome.size.height() - 1), m.radius, m.radius);

    const auto mirrored = [&chrome, width](const QRectF &r) {
        return chrome.rightToLeft ? QRectF(width - r.right(), r.top(), r.width(), r.height()) : r;
    };
    drawCategoryGlyph(painter, chrome.category,
                      mirrored(QRectF(m.glyphX, (m.band - glyphEdge) / 2, glyphEdge, glyphEdge)));
    if (!chrome.titleShown)
        return;

    const QFont title = titleFont(base);
    const QString text = shownTitle(chrome, base);
    const int x = titleX(m);
    const int textWidth = QFontMetrics(title).horizontalAdvance(text);
    painter->setFont(title);
    painter->setPen(AppStyle::Palette::primaryText);
    const Qt::Alignment leading = chrome.rightToLeft ? Qt::AlignRight : Qt::AlignLeft;
    painter->drawText(mirrored(QRectF(x, 0, textWidth, m.band)), int(leading | Qt::AlignVCenter), text);

    const QRectF badge = mirrored(
        QRectF(x + textWidth + badgeGap, (m.band - badgeHeight) / 2, badgeWidth(chrome, base), badgeHeight));
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(255, 255, 255, 18));
    painter->drawRoundedRect(badge, badgeHeight / 2, badgeHeight / 2);
    painter->setFont(badgeFont(base));
    painter->setPen(AppStyle::Palette::secondaryText);
    painter->drawText(badge, Qt::AlignCenter, QLocale().toString(chrome.count));
}

QString PanelStyle::editorStyleSheet()
{
    return QStringLiteral("QLineEdit { background: rgba(255, 255, 255, 26); color: %1;"
                          " border: 1px solid #4a5262; border-radius: 6px; padding: 0px 6px;"
                          " font-size: 13px; font-weight: 600; selection-background-color: %2; %3 }")
        .arg(AppStyle::css(AppStyle::Palette::primaryText), AppStyle::css(AppStyle::Palette::selection),
             AppStyle::fontFamilyDeclaration());
}

const PanelStyle::ItemBox &PanelStyle::itemBox(bool list)
{
    static const ItemBox grid{QMargins(4, 4, 4, 4), QMargins(6, 8, 6, 6), 8};
    static const ItemBox compact{QMargins(0, 2, 0, 2), QMargins(6, 3, 6, 3), 6};
    return list ? compact : grid;
}

QRect PanelStyle::paintItemPlate(QPainter *painter, const QRect &cell, bool list, bool selected, bool hovered)
{
    const ItemBox &box = itemBox(list);
    const QRect plate = cell.marginsRemoved(box.margin);
    if (selected || hovered) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(selected ? (hovered ? plateSelectedHover : plateSelected) : plateHover);
        painter->drawRoundedRect(QRectF(plate), box.radius, box.radius);
        if (selected) {
            painter->setPen(QPen(hovered ? plateSelectedHoverBorder : plateSelectedBorder, plateBorder));
            painter->setBrush(Qt::NoBrush);
            const qreal inset = plateBorder / 2.0;
            painter->drawRoundedRect(QRectF(plate).adjusted(inset, inset, -inset, -inset), box.radius - inset,
                                     box.radius - inset);
        }
        painter->restore();
    }
    const QMargins border(plateBorder, plateBorder, plateBorder, plateBorder);
    return plate.marginsRemoved(border + box.padding);
}
