#include "tray/LanguageCombo.h"

#include <QPainter>

LanguageCombo::LanguageCombo(QWidget *parent)
    : QComboBox(parent)
{}

QPointF LanguageCombo::chevronCentre() const
{
    const qreal x = layoutDirection() == Qt::RightToLeft ? chevronInset : width() - chevronInset;
    return {x, height() / 2.0};
}

void LanguageCombo::paintEvent(QPaintEvent *event)
{
    QComboBox::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xae, 0xbc, 0xcd), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF c = chevronCentre();
    const QPointF points[] = {c + QPointF(-3, -1.5), c + QPointF(0, 1.5), c + QPointF(3, -1.5)};
    painter.drawPolyline(points, 3);
}
