#include "GlyphEngine.h"

#include "categories/CategoryRules.h"
#include "look/AppStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

qreal radians(qreal degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// Every glyph is a thin outline: round ends keep short strokes from looking clipped.
void setOutlinePen(QPainter *painter, const QColor &color, qreal width)
{
    QPen pen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
}

// Coordinates of the button glyphs are fractions of the extent.
struct Unit
{
    qreal e;
    QPointF operator()(qreal x, qreal y) const { return QPointF(x * e, y * e); }
};

void drawPolyline(QPainter *painter, std::initializer_list<QPointF> points)
{
    painter->drawPolyline(std::data(points), int(points.size()));
}

void drawChevronDown(QPainter *painter, const QColor &color, qreal e)
{
    const Unit u{e};
    setOutlinePen(painter, color, 0.09 * e);
    drawPolyline(painter, {u(0.26, 0.40), u(0.50, 0.64), u(0.74, 0.40)});
}

void drawChevronRight(QPainter *painter, const QColor &color, qreal e)
{
    const Unit u{e};
    setOutlinePen(painter, color, 0.09 * e);
    drawPolyline(painter, {u(0.40, 0.26), u(0.64, 0.50), u(0.40, 0.74)});
}

void drawGrid(QPainter *painter, const QColor &color, qreal e)
{
    setOutlinePen(painter, color, 0.09 * e);
    const qreal side = 0.30;
    const qreal gap = 0.12;
    const qreal offset = (1.0 - 2 * side - gap) / 2;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            const QRectF square((offset + column * (side + gap)) * e, (offset + row * (side + gap)) * e,
                                side * e, side * e);
            painter->drawRoundedRect(square, 0.07 * e, 0.07 * e);
        }
    }
}

void drawList(QPainter *painter, const QColor &color, qreal e)
{
    const Unit u{e};
    setOutlinePen(painter, color, 0.09 * e);
    for (qreal y : {0.24, 0.50, 0.76}) {
        painter->drawLine(u(0.14, y), u(0.26, y));
        painter->drawLine(u(0.38, y), u(0.86, y));
    }
}

void drawRefresh(QPainter *painter, const QColor &color, qreal e)
{
    const qreal penWidth = 0.09 * e;
    setOutlinePen(painter, color, penWidth);

    const qreal margin = 0.15 * e + penWidth / 2;
    const QRectF circle(margin, margin, e - 2 * margin, e - 2 * margin);
    const QPointF c = circle.center();
    const qreal r = circle.width() / 2;

    // The arc stops half a pen width short of the arrow tip so that its round end
    // does not poke out beyond the arrowhead.
    const qreal capDegrees = penWidth / 2 / r * 180.0 / std::numbers::pi;
    QPainterPath arc;
    arc.arcMoveTo(circle, 335.0);
    arc.arcTo(circle, 335.0, -(280.0 - capDegrees));
    painter->drawPath(arc);

    const qreal end = radians(55.0);
    const QPointF tip(c.x() + r * std::cos(end), c.y() - r * std::sin(end));
    const QPointF back(-std::sin(end), -std::cos(end));
    auto arm = [&](qreal degrees) {
        const qreal t = radians(degrees);
        const QPointF rotated(back.x() * std::cos(t) - back.y() * std::sin(t),
                              back.x() * std::sin(t) + back.y() * std::cos(t));
        return tip + 0.17 * e * rotated;
    };
    drawPolyline(painter, {arm(34.0), tip, arm(-34.0)});
}

void drawBin(QPainter *painter, const QColor &color, qreal e)
{
    const Unit u{e};
    setOutlinePen(painter, color, 0.09 * e);
    painter->drawLine(u(0.12, 0.26), u(0.88, 0.26));
    drawPolyline(painter, {u(0.38, 0.26), u(0.38, 0.15), u(0.62, 0.15), u(0.62, 0.26)});
    drawPolyline(painter, {u(0.22, 0.32), u(0.28, 0.88), u(0.72, 0.88), u(0.78, 0.32)});
    painter->drawLine(u(0.42, 0.44), u(0.44, 0.76));
    painter->drawLine(u(0.58, 0.44), u(0.56, 0.76));
}

} // namespace

GlyphEngine::GlyphEngine(DrawFunction draw, const QColor &color)
    : m_draw(std::move(draw))
    , m_color(color)
{}

void GlyphEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State)
{
    render(painter, rect.topLeft(), std::min(rect.width(), rect.height()));
}

QPixmap GlyphEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

// QIcon::pixmap(size, ratio) of Qt 6.4 passes the size already multiplied by the
// ratio, so the size is the pixmap's own and the glyph fills size / scale logical
// pixels; multiplying again would double the pixmap and the glyph with it.
QPixmap GlyphEngine::scaledPixmap(const QSize &size, QIcon::Mode, QIcon::State, qreal scale)
{
    if (size.isEmpty() || !(scale > 0))
        return QPixmap();
    QPixmap pixmap(size);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    render(&painter, QPointF(0, 0), std::min(size.width(), size.height()) / scale);
    return pixmap;
}

QIconEngine *GlyphEngine::clone() const
{
    return new GlyphEngine(m_draw, m_color);
}

void GlyphEngine::render(QPainter *painter, QPointF origin, qreal extent) const
{
    if (!m_draw || !(extent > 0))
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(origin);
    m_draw(painter, m_color, extent);
    painter->restore();
}

GlyphEngine::DrawFunction GlyphEngine::glyphFunction(Glyph glyph)
{
    switch (glyph) {
    case ChevronDown:
        return drawChevronDown;
    case ChevronRight:
        return drawChevronRight;
    case Grid:
        return drawGrid;
    case List:
        return drawList;
    case Refresh:
        return drawRefresh;
    case Bin:
        return drawBin;
    }
    return {};
}

QColor GlyphEngine::buttonColor()
{
    return AppStyle::Palette::primaryText;
}

QIcon GlyphEngine::icon(Glyph glyph, const QColor &color)
{
    return QIcon(new GlyphEngine(glyphFunction(glyph), color));
}

void drawCategoryGlyph(QPainter *painter, int category, const QRectF &box)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(box.topLeft());
    painter->scale(box.width() / 20.0, box.height() / 20.0);
    setOutlinePen(painter, AppStyle::Palette::secondaryText, 1.4);

    switch (category) {
    case SystemCategory:
        painter->drawRoundedRect(QRectF(2, 3, 16, 11), 2, 2);
        painter->drawLine(QPointF(10, 14), QPointF(10, 17));
        painter->drawLine(QPointF(6, 17), QPointF(14, 17));
        break;
    case FoldersCategory: {
        QPainterPath folder;
        folder.moveTo(2, 6);
        for (const QPointF &p :
             {QPointF(2, 4), QPointF(8, 4), QPointF(10, 6), QPointF(18, 6), QPointF(18, 16), QPointF(2, 16)})
            folder.lineTo(p);
        folder.closeSubpath();
        painter->drawPath(folder);
        painter->drawLine(QPointF(2, 8), QPointF(18, 8));
        break;
    }
    case AppsCategory:
        for (const QPointF &p : {QPointF(3, 3), QPointF(11, 3), QPointF(3, 11), QPointF(11, 11)})
            painter->drawRoundedRect(QRectF(p, QSizeF(6, 6)), 1.5, 1.5);
        break;
    case DocumentsCategory:
        painter->drawRoundedRect(QRectF(4, 2, 12, 16), 2, 2);
        painter->drawLine(QPointF(7, 7), QPointF(13, 7));
        painter->drawLine(QPointF(7, 10), QPointF(13, 10));
        painter->drawLine(QPointF(7, 13), QPointF(11, 13));
        break;
    case ImagesCategory:
        painter->drawRoundedRect(QRectF(2, 3, 16, 14), 2, 2);
        painter->drawEllipse(QPointF(13, 7), 1.4, 1.4);
        drawPolyline(painter,
                     {QPointF(3, 15), QPointF(8, 10), QPointF(12, 14), QPointF(15, 11), QPointF(18, 14)});
        break;
    case AudioCategory:
        drawPolyline(painter, {QPointF(8, 14), QPointF(8, 5), QPointF(16, 3), QPointF(16, 12)});
        painter->drawEllipse(QRectF(3, 13, 5, 4));
        painter->drawEllipse(QRectF(11, 11, 5, 4));
        break;
    case VideoCategory: {
        painter->drawRoundedRect(QRectF(2, 3, 16, 14), 2, 2);
        const QPointF triangle[] = {QPointF(8, 7), QPointF(13, 10), QPointF(8, 13)};
        painter->drawPolygon(triangle, 3);
        break;
    }
    case ArchivesCategory:
        painter->drawRoundedRect(QRectF(4, 2, 12, 16), 2, 2);
        for (qreal y : {4, 7, 10})
            painter->drawLine(QPointF(9, y), QPointF(11, y));
        painter->drawRect(QRectF(9, 13, 2, 3));
        break;
    case CodeCategory:
        drawPolyline(painter, {QPointF(6, 5), QPointF(2, 10), QPointF(6, 15)});
        drawPolyline(painter, {QPointF(14, 5), QPointF(18, 10), QPointF(14, 15)});
        painter->drawLine(QPointF(12, 3), QPointF(8, 17));
        break;
    default:
        for (qreal x : {4, 10, 16})
            painter->drawEllipse(QPointF(x, 10), 1.5, 1.5);
        break;
    }
    painter->restore();
}
