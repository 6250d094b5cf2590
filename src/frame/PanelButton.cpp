#include "PanelButton.h"

#include <QPainter>

namespace {

constexpr qreal plateRadius = 8;
constexpr QColor restingPlate{255, 255, 255, 26};
constexpr QColor plainHover{255, 255, 255, 52};
constexpr QColor plainPressed{255, 255, 255, 20};
constexpr QColor dangerHover{0xc0, 0x3b, 0x3b};
constexpr QColor dangerPressed{0x8f, 0x2c, 0x2c};

} // namespace

PanelButton::PanelButton(Tone tone, QWidget *parent)
    : QPushButton(parent)
    , m_tone(tone)
{
    setFocusPolicy(Qt::NoFocus);
    // Repainted as the pointer comes and goes: the plate lights up under it.
    setAttribute(Qt::WA_Hover);
}

PanelButton::~PanelButton() = default;

QColor PanelButton::plateColor() const
{
    if (isDown())
        return m_tone == Danger ? dangerPressed : plainPressed;
    if (underMouse())
        return m_tone == Danger ? dangerHover : plainHover;
    return restingPlate;
}

void PanelButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(plateColor());
    painter.drawRoundedRect(QRectF(rect()), plateRadius, plateRadius);
    QRect glyph(QPoint(0, 0), iconSize());
    glyph.moveCenter(rect().center());
    icon().paint(&painter, glyph, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}
