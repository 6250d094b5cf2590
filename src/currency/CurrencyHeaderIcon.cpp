#include "CurrencyHeaderIcon.h"

#include <QPainter>

CurrencyHeaderIcon::CurrencyHeaderIcon(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(16, 16);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

CurrencyHeaderIcon::~CurrencyHeaderIcon() = default;

void CurrencyHeaderIcon::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xc2, 0xcb, 0xdb), 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1, 3, 14, 10), 2, 2);
    p.drawEllipse(QRectF(6, 5.5, 4, 5));
    p.drawLine(QPointF(3.5, 7), QPointF(3.5, 9));
    p.drawLine(QPointF(12.5, 7), QPointF(12.5, 9));
}
