#include "GuideOverlay.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
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
    applyShape();
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

QList<QLine> GuideOverlay::visibleGuides() const
{
    const QRect area = rect();
    QList<QLine> visible;
    if (area.isEmpty())
        return visible;
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
        if (QRect(local.p1(), local.p2()).normalized().intersects(reach))
            visible.append(QLine(clamped(local.p1()), clamped(local.p2())));
    }
    return visible;
}

void GuideOverlay::applyShape()
{
    // The window is its guide lines and nothing else: without a compositing
    // manager a full-screen translucent window would paint the screen black.
    QRegion shape;
    for (const QLine &guide : visibleGuides())
        shape += QRect(guide.p1(), guide.p2()).normalized();
    setMask(shape.isEmpty() ? QRegion(0, 0, 1, 1) : shape);
}

void GuideOverlay::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    applyShape();
}

void GuideOverlay::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyShape();
}

void GuideOverlay::paintEvent(QPaintEvent *)
{
    // Guides are horizontal or vertical: each is filled as the one-pixel-wide
    // rectangle the window's shape holds, so shape and paint agree exactly.
    QPainter painter(this);
    for (const QLine &guide : visibleGuides())
        painter.fillRect(QRect(guide.p1(), guide.p2()).normalized(), QColor(0x6c, 0xc4, 0xff));
}
