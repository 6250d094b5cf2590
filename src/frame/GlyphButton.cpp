#include "GlyphButton.h"

#include "look/AppStyle.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {

constexpr int closePixelSize = 18;

} // namespace

GlyphButton::GlyphButton(const QString &text, int pixelSize, QWidget *parent)
    : QPushButton(text, parent)
    , m_resting(mutedText)
    , m_hovered(AppStyle::Palette::primaryText)
{
    setFont(AppStyle::appFont(pixelSize));
    // Repainted as the pointer comes and goes: its colour follows it.
    setAttribute(Qt::WA_Hover);
}

GlyphButton::~GlyphButton() = default;

GlyphButton *GlyphButton::createClose(QWidget *parent)
{
    return new GlyphButton(QStringLiteral("\u00d7"), closePixelSize, parent);
}

void GlyphButton::setColors(const QColor &resting, const QColor &hovered)
{
    m_resting = resting;
    m_hovered = hovered;
    update();
}

void GlyphButton::setPadding(const QMargins &padding)
{
    m_padding = padding;
    updateGeometry();
    update();
}

QColor GlyphButton::textColor() const
{
    return underMouse() ? m_hovered : m_resting;
}

QSize GlyphButton::sizeHint() const
{
    // As a push button measures its text: a button without one is as wide as "XXXX".
    const QString shown = text().isEmpty() ? QStringLiteral("XXXX") : text();
    return fontMetrics().size(Qt::TextShowMnemonic, shown).grownBy(m_padding);
}

QSize GlyphButton::minimumSizeHint() const
{
    return sizeHint();
}

void GlyphButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect contents = rect().marginsRemoved(m_padding);
    painter.setPen(textColor());
    painter.drawText(contents, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        // The platform style's ring, which it draws only after a key moved the focus.
        QStyleOptionFocusRect ring;
        ring.initFrom(this);
        ring.rect = contents;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &ring, &painter, this);
    }
}
