#include "tray/SettingsToggle.h"

#include "look/AppStyle.h"

#include <QPainter>

SettingsToggle::SettingsToggle(QWidget *parent)
    : QCheckBox(parent)
{
    setFixedSize(fixedSize);
}

bool SettingsToggle::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void SettingsToggle::paintEvent(QPaintEvent *)
{
    using namespace AppStyle::Palette;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool on = isChecked();
    painter.setPen(QPen(on ? accent : QColor(0x68, 0x74, 0x87), hasFocus() ? 1.5 : 1.0));
    painter.setBrush(field);
    painter.drawRoundedRect(QRectF(1, 2, 38, 20), 10, 10);
    painter.setPen(Qt::NoPen);
    painter.setBrush(on ? accent : primaryText);
    painter.drawEllipse(QRectF(on ? 23 : 5, 6, 12, 12));
}
