#include "DesktopDropSurface.h"

#include "panels/ItemMime.h"

#include <QDropEvent>
#include <QPainter>

DesktopDropSurface::DesktopDropSurface(const QRect &area, QWidget *parent)
    : QWidget(parent,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnBottomHint)
{
    setObjectName(QStringLiteral("desktopDropSurface"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAcceptDrops(true);
    setGeometry(area);
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
    // Nearly transparent, yet there for the pointer and the drag.
    QPainter painter(this);
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
