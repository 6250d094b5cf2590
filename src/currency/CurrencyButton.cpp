#include "CurrencyButton.h"

#include "currency/CurrencyStyle.h"

#include <QPainter>
#include <QPainterPath>

CurrencyButton::CurrencyButton(Glyph glyph, bool small, QWidget *parent)
    : QPushButton(parent)
    , m_glyph(glyph)
    , m_small(small)
{
    setCursor(Qt::ArrowCursor);
}

CurrencyButton::~CurrencyButton() = default;

void CurrencyButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(QRectF(rect()).center());
    if (hasFocus()) {
        p.setPen(QPen(CurrencyStyle::focusBorder, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(-12, -12, 24, 24), 4, 4);
    }
    if (m_small)
        p.scale(0.8, 0.8);
    const bool enabled = isEnabled();
    const QColor colour =
        m_small ? QColor(enabled ? 0x8793a3 : 0x616b79) : QColor(enabled ? 0xccd6e4 : 0x788392);
    p.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (m_glyph) {
    case Clear:
        p.drawLine(QPointF(-3, -3), QPointF(3, 3));
        p.drawLine(QPointF(-3, 3), QPointF(3, -3));
        break;
    case Swap:
        p.rotate(90);
        p.drawLine(QPointF(-6, -3), QPointF(6, -3));
        p.drawLine(QPointF(3, -6), QPointF(6, -3));
        p.drawLine(QPointF(3, 0), QPointF(6, -3));
        p.drawLine(QPointF(-6, 3), QPointF(6, 3));
        p.drawLine(QPointF(-3, 0), QPointF(-6, 3));
        p.drawLine(QPointF(-3, 6), QPointF(-6, 3));
        break;
    case Copy:
        p.drawRoundedRect(QRectF(-2, -2, 8, 9), 1.5, 1.5);
        p.drawLine(QPointF(-5, 3), QPointF(-5, -5));
        p.drawLine(QPointF(-5, -5), QPointF(2, -5));
        break;
    case Refresh: {
        QPainterPath arc;
        arc.arcMoveTo(QRectF(-5, -5, 10, 10), 40);
        arc.arcTo(QRectF(-5, -5, 10, 10), 40, 290);
        p.drawPath(arc);
        p.drawLine(QPointF(4, -6), QPointF(4, -2));
        p.drawLine(QPointF(0, -2), QPointF(4, -2));
        break;
    }
    }
}
