#include "PanelFrame.h"

#include <QAction>
#include <QVariant>
#include <QWidget>

namespace PanelFrame {

void prepareWindow(QWidget *window, bool opaque)
{
    window->setAttribute(Qt::WA_AlwaysShowToolTips);
    // Panels sit on the desktop; appearing must not take focus from the user's work.
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    if (!opaque)
        window->setAttribute(Qt::WA_TranslucentBackground);
    window->setMouseTracking(true);
    window->setProperty(lockedProperty, false);
}

bool isAlwaysOnTop(const QWidget *window)
{
    const auto *action = window->findChild<QAction *>(QLatin1String(alwaysOnTopActionName));
    return action && action->isChecked();
}

bool hasLockedPosition(const QWidget *window)
{
    return window->property(lockedPositionProperty).isValid();
}

bool mayStoreGeometry(const QWidget *window)
{
    return DesktopLayer::windowPositionsKnown() && !(window && hasLockedPosition(window));
}

void captureLockedPosition(QWidget *window)
{
    if (window->property(lockedProperty).toBool() && isAlwaysOnTop(window) && !hasLockedPosition(window))
        window->setProperty(lockedPositionProperty, window->pos());
}

Press pressAt(QSize windowSize, QPoint point, int band, bool locked, bool pinned, bool horizontalOnly)
{
    if (edgesAt(windowSize, point, locked, horizontalOnly))
        return Press::Resize;
    return point.y() < band && (!locked || pinned) ? Press::Move : Press::Ignore;
}

Qt::Edges edgesAt(QSize windowSize, QPoint p, bool locked, bool horizontalOnly)
{
    const int w = windowSize.width();
    const int h = windowSize.height();
    if (locked || p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h)
        return {};
    const bool inCorner =
        (p.x() < cornerSize || p.x() >= w - cornerSize) && (p.y() < cornerSize || p.y() >= h - cornerSize);
    Qt::Edges edges;
    const bool left = p.x() < borderWidth || (inCorner && p.x() < cornerSize);
    if (left)
        edges |= Qt::LeftEdge;
    else if (p.x() >= w - borderWidth || (inCorner && p.x() >= w - cornerSize))
        edges |= Qt::RightEdge;
    if (!horizontalOnly) {
        const bool top = p.y() < borderWidth || (inCorner && p.y() < cornerSize);
        if (top)
            edges |= Qt::TopEdge;
        else if (p.y() >= h - borderWidth || (inCorner && p.y() >= h - cornerSize))
            edges |= Qt::BottomEdge;
    }
    return edges;
}

void setEdgeCursor(QWidget *window, Qt::Edges edges)
{
    const bool left = edges & Qt::LeftEdge;
    const bool right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge;
    const bool bottom = edges & Qt::BottomEdge;
    if ((top && left) || (bottom && right))
        window->setCursor(Qt::SizeFDiagCursor);
    else if ((top && right) || (bottom && left))
        window->setCursor(Qt::SizeBDiagCursor);
    else if (left || right)
        window->setCursor(Qt::SizeHorCursor);
    else if (top || bottom)
        window->setCursor(Qt::SizeVerCursor);
    else
        window->unsetCursor();
}

QRect resized(const QRect &r0, QPoint delta, Qt::Edges edges, QSize minimum)
{
    QRect r = r0;
    if (edges & Qt::LeftEdge)
        r.setLeft(std::min(r0.right() - minimum.width() + 1, r0.left() + delta.x()));
    else if (edges & Qt::RightEdge)
        r.setRight(std::max(r0.left() + minimum.width() - 1, r0.right() + delta.x()));
    if (edges & Qt::TopEdge)
        r.setTop(std::min(r0.bottom() - minimum.height() + 1, r0.top() + delta.y()));
    else if (edges & Qt::BottomEdge)
        r.setBottom(std::max(r0.top() + minimum.height() - 1, r0.bottom() + delta.y()));
    return r;
}

} // namespace PanelFrame
