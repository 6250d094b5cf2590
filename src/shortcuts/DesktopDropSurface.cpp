#include "DesktopDropSurface.h"

#include "panels/ItemMime.h"
#include "shell/CompositorWatch.h"

#include <QDropEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

DesktopDropSurface::DesktopDropSurface(const QRect &area, CompositorWatch *compositor, QWidget *parent)
    : QWidget(parent,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnBottomHint)
{
    setObjectName(QStringLiteral("desktopDropSurface"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAcceptDrops(true);
    setGeometry(area);
    if (compositor && !compositor->isActive()) {
        QScreen *screen = QGuiApplication::screenAt(area.center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        const QPoint offset = area.topLeft() - screen->geometry().topLeft();
        m_backdrop = screen->grabWindow(0, offset.x(), offset.y(), area.width(), area.height());
    }
    if (compositor)
        connect(compositor, &CompositorWatch::changed, this, &DesktopDropSurface::compositingChanged);
}

void DesktopDropSurface::compositingChanged(bool composited)
{
    // A compositing manager that arrives during the drag shows the desktop
    // itself. One that leaves cannot be made up for: the screen can no longer
    // be taken without this surface on it.
    if (composited) {
        m_backdrop = QPixmap();
        update();
    }
}

DesktopDropSurface::~DesktopDropSurface() = default;

bool DesktopDropSurface::acceptsDrag(const QDropEvent *event)
{
    // A drag of this program always has a source; one from elsewhere has none.
    return event->source() && ItemMime::hasItems(event->mimeData());
}

void DesktopDropSurface::takeDrop(const QStringList &keys, QPoint globalPoint)
{
    m_droppedKeys = keys;
    m_dropPoint = globalPoint;
    m_dropped = true;
}

void DesktopDropSurface::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_backdrop.isNull()) {
        painter.drawPixmap(rect(), m_backdrop);
        return;
    }
    // Nearly transparent, yet there for the pointer and the drag.
    painter.fillRect(rect(), QColor(0, 0, 0, 1));
}

void DesktopDropSurface::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void DesktopDropSurface::dragMoveEvent(QDragMoveEvent *event)
{
    if (!acceptsDrag(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DesktopDropSurface::dropEvent(QDropEvent *event)
{
    if (!acceptsDrag(event)) {
        event->ignore();
        return;
    }
    takeDrop(ItemMime::itemKeys(event->mimeData()), mapToGlobal(event->position()).toPoint());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}
