#include "tray/AppIcon.h"

#include "base/AppStyle.h"

#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace {

constexpr QColor plateColor = AppStyle::Palette::window;
constexpr QColor lightColor = AppStyle::Palette::primaryText;
constexpr QColor blueColor = AppStyle::Palette::accent;

int roundHalfAway(double v)
{
    return int(std::lround(v));
}

} // namespace

void paintAppIcon(QPainter &painter, int s)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    auto tile = [&painter](const QRectF &rect, qreal radius, const QColor &color) {
        painter.setBrush(color);
        painter.drawRoundedRect(rect, radius, radius);
    };

    if (s > 32) {
        tile(QRectF(0.06 * s, 0.06 * s, 0.88 * s, 0.88 * s), 0.18 * s, plateColor);
        const qreal r = 0.047 * s;
        tile(QRectF(0.21 * s, 0.195 * s, 0.26 * s, 0.61 * s), r, lightColor);
        tile(QRectF(0.515 * s, 0.5225 * s, 0.275 * s, 0.2825 * s), r, lightColor);
        tile(QRectF(0.515 * s, 0.195 * s, 0.275 * s, 0.2825 * s), r, blueColor);
        painter.restore();
        return;
    }
    // Small sizes snap every edge to whole pixels so the tiles stay sharp.
    const int m = std::max(roundHalfAway(0.06 * s), 1);
    tile(QRectF(m, m, s - 2 * m, s - 2 * m), roundHalfAway(0.17 * s), plateColor);
    const int p = roundHalfAway(0.19 * s);
    const int g = std::max(roundHalfAway(0.09 * s), 2);
    const int inner = s - 2 * p;
    const int a = inner - g;
    const int w1 = a / 2;
    const int w2 = a - w1;
    const int x2 = p + w1 + g;
    tile(QRectF(p, p, w1, inner), 1, lightColor);
    tile(QRectF(x2, x2, w2, w2), 1, lightColor);
    tile(QRectF(x2, p, w2, w1), 1, blueColor);
    painter.restore();
}

QImage renderAppIcon(int s)
{
    QImage image(s, s, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintAppIcon(painter, s);
    return image;
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 20, 24, 28, 32, 40, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(renderAppIcon(size)));
    return icon;
}
