#include "tray/AppIcon.h"

#include "look/AppStyle.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr QColor plateColor = AppStyle::Palette::window;
constexpr QColor lightColor = AppStyle::Palette::primaryText;
constexpr QColor blueColor = AppStyle::Palette::accent;

int roundHalfAway(double v)
{
    return int(std::lround(v));
}

// Every size the icon is drawn at, smallest first: the small ones snapped to
// whole pixels, the large ones for launchers and menus.
constexpr std::array<int, 10> drawnEdges{16, 20, 24, 28, 32, 40, 48, 64, 128, 256};

// The application icon at every size, each drawn when first asked for: most
// users of the icon only ever take a small one (the window manager, the
// tray), and the large ones are most of its memory. It answers as an icon
// holding all the sizes would: the sizes drawn so far are kept in such an
// icon, and the size it would answer a request from is drawn first.
class AppIconEngine : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const QPaintDevice *device = painter->device();
        const qreal ratio = device ? device->devicePixelRatio() : qApp->devicePixelRatio();
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int edge = bestEdge(size);
        QSize actual(edge, edge);
        if (actual.width() > size.width() || actual.height() > size.height())
            actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return drawnFor(size).pixmap(size, 1.0, mode, state);
    }

    // Every size is drawn at a ratio of one, as the pixmaps of an icon made of
    // them are, so the scale does not change which one answers.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal) override
    {
        return pixmap(size, mode, state);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        QList<QSize> sizes;
        if (mode != QIcon::Normal || state != QIcon::Off)
            return sizes;
        for (int edge : drawnEdges)
            sizes.append(QSize(edge, edge));
        return sizes;
    }

    QIconEngine *clone() const override { return new AppIconEngine(*this); }

private:
    // The size an icon of pixmaps answers from: the smallest that covers the
    // requested area, else the largest.
    static int bestEdge(const QSize &size)
    {
        const qint64 area = qint64(size.width()) * size.height();
        const auto covering = std::find_if(drawnEdges.cbegin(), drawnEdges.cend(),
                                           [area](int edge) { return qint64(edge) * edge >= area; });
        return covering == drawnEdges.cend() ? drawnEdges.back() : *covering;
    }

    const QIcon &drawnFor(const QSize &size)
    {
        const int edge = bestEdge(size);
        const auto slot =
            size_t(std::find(drawnEdges.cbegin(), drawnEdges.cend(), edge) - drawnEdges.cbegin());
        if (!m_drawn[slot]) {
            m_icon.addPixmap(QPixmap::fromImage(renderAppIcon(edge)));
            m_drawn[slot] = true;
        }
        return m_icon;
    }

    QIcon m_icon;
    std::array<bool, drawnEdges.size()> m_drawn{};
};

} // namespace

AppIconTiles appIconTiles(int s)
{
    if (s > 32) {
        const qreal r = 0.047 * s;
        return {QRectF(0.06 * s, 0.06 * s, 0.88 * s, 0.88 * s),
                QRectF(0.21 * s, 0.195 * s, 0.26 * s, 0.61 * s),
                QRectF(0.515 * s, 0.5225 * s, 0.275 * s, 0.2825 * s),
                QRectF(0.515 * s, 0.195 * s, 0.275 * s, 0.2825 * s),
                0.18 * s,
                r};
    }
    // Small sizes snap every edge to whole pixels so the tiles stay sharp.
    const int m = std::max(roundHalfAway(0.06 * s), 1);
    const int p = roundHalfAway(0.19 * s);
    const int g = std::max(roundHalfAway(0.09 * s), 2);
    const int inner = s - 2 * p;
    const int a = inner - g;
    const int w1 = a / 2;
    const int w2 = a - w1;
    const int x2 = p + w1 + g;
    return {QRectF(m, m, s - 2 * m, s - 2 * m),
            QRectF(p, p, w1, inner),
            QRectF(x2, x2, w2, w2),
            QRectF(x2, p, w2, w1),
            qreal(roundHalfAway(0.17 * s)),
            1};
}

void paintAppIcon(QPainter &painter, int s)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const AppIconTiles tiles = appIconTiles(s);
    auto tile = [&painter](const QRectF &rect, qreal radius, const QColor &color) {
        painter.setBrush(color);
        painter.drawRoundedRect(rect, radius, radius);
    };
    tile(tiles.plate, tiles.plateRadius, plateColor);
    tile(tiles.left, tiles.tileRadius, lightColor);
    tile(tiles.bottomRight, tiles.tileRadius, lightColor);
    tile(tiles.topRight, tiles.tileRadius, blueColor);
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
    return QIcon(new AppIconEngine);
}

QIcon trayAppIcon()
{
    return QIcon::fromTheme(QGuiApplication::desktopFileName(), appIcon());
}
