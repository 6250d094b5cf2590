#pragma once

#include <QColor>
#include <QIcon>
#include <QIconEngine>
#include <QPointF>

#include <functional>

class QPainter;
class QRectF;

// An icon engine that draws one glyph in code, so button icons stay crisp at every
// size and device pixel ratio. Mode and state do not change the drawing.
class GlyphEngine : public QIconEngine
{
public:
    // Draws the glyph into the square (0, 0)-(extent, extent) of the painter's
    // current coordinates.
    using DrawFunction = std::function<void(QPainter *painter, const QColor &color, qreal extent)>;

    enum Glyph
    {
        ChevronDown,  // collapse button while expanded
        ChevronRight, // collapse button while collapsed
        Grid,         // view toggle while the list is shown
        List,         // view toggle while the grid is shown
        Refresh,
        Bin, // close button
    };

    GlyphEngine(DrawFunction draw, const QColor &color);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    // size is in device pixels, as QIcon::pixmap(size, devicePixelRatio) passes it;
    // the pixmap has that size and scale as its device pixel ratio.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QIconEngine *clone() const override;

    QColor color() const { return m_color; }

    static QColor buttonColor();
    static DrawFunction glyphFunction(Glyph glyph);
    static QIcon icon(Glyph glyph, const QColor &color = buttonColor());

private:
    void render(QPainter *painter, QPointF origin, qreal extent) const;

    DrawFunction m_draw;
    QColor m_color;
};

// Draws the glyph of a category (0-9; other numbers draw Other's glyph) into box,
// which is normally 16 x 16 and is stretched on each axis if it is not square.
void drawCategoryGlyph(QPainter *painter, int category, const QRectF &box);
