#include "GuideOverlay.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

GuideOverlay::GuideOverlay(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

GuideOverlay::~GuideOverlay() = default;

void GuideOverlay::showGuides(const QList<QLine> &lines)
{
    if (lines.isEmpty()) {
        hideGuides();
        return;
    }
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    m_guides = lines;
    if (isHidden())
        show();
    raise();
    update();
}

void GuideOverlay::hideGuides()
{
    m_guides.clear();
    hide();
}

void GuideOverlay::paintEvent(QPaintEvent *)
{
    const QRect area = rect();
    if (area.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(QPen(QColor(0x6c, 0xc4, 0xff), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    // Guides at a right or bottom edge lie one pixel past it and are pulled in;
    // guides wholly beside the overlay (another screen's) are not drawn at its border.
    const QRect reach = area.adjusted(0, 0, 1, 1);
    const QPoint origin = geometry().topLeft();
    auto clamped = [&area](QPoint p) {
        return QPoint(std::clamp(p.x(), area.left(), area.right()),
                      std::clamp(p.y(), area.top(), area.bottom()));
    };
    for (const QLine &guide : std::as_const(m_guides)) {
        const QLine local = guide.translated(-origin);
        const QRect bounds = QRect(local.p1(), local.p2()).normalized();
        if (!bounds.intersects(reach))
            continue;
        painter.drawLine(clamped(local.p1()), clamped(local.p2()));
    }
}
