#pragma once

#include "panels/GuideOverlay.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>

class QMouseEvent;
class QWidget;

// Moves a frameless panel window by its title band and resizes it by its edges,
// snapping to the other panels and the screen while guide lines show, and keeps
// the lock protocol. The window forwards its mouse events here.
class FrameController : public QObject
{
    Q_OBJECT

public:
    using PeerProvider = std::function<QList<QRect>()>;

    explicit FrameController(QWidget *window);
    ~FrameController() override;

    void setPeerProvider(PeerProvider provider);
    void setGuideOverlay(GuideOverlay *overlay);
    GuideOverlay *guideOverlay() const { return m_overlay; }
    void setTitleBandHeight(int height) { m_titleBand = height; }
    void setHorizontalResizeOnly(bool horizontalOnly) { m_horizontalOnly = horizontalOnly; }

    bool isLocked() const { return m_locked; }
    // Ends any drag or resize when locking; forgets the pinned position when unlocking.
    void setLocked(bool locked);

    bool isDragging() const { return m_dragging; }
    bool isResizing() const { return m_resizing; }

    // Window mouse events; each returns whether it took the event.
    bool mousePressed(QMouseEvent *event);
    bool mouseMoved(QMouseEvent *event);
    bool mouseReleased(QMouseEvent *event);
    void pointerLeft();

    // A resize started elsewhere (the window's resize grip).
    void beginResize(Qt::Edges edges, QPoint globalPress);
    void resizeTo(QPoint globalPoint);
    void endResize();

    Qt::Edges edgesAt(QPoint windowPoint) const;

Q_SIGNALS:
    // A title drag is about to move the window (windows save their geometry here).
    void dragStarting();
    void dragMoved();
    void resizeStarted();
    void resized();
    void released();

private:
    QRect screenArea() const;
    QList<QRect> peers() const;
    void showGuides(const QList<QLine> &guides);
    void hideGuides();

    QWidget *m_window;
    PeerProvider m_peers;
    QPointer<GuideOverlay> m_overlay;
    int m_titleBand = 44;
    bool m_horizontalOnly = false;
    bool m_locked = false;
    bool m_dragging = false;
    bool m_resizing = false;
    Qt::Edges m_edges;
    QPoint m_pressPoint;
    QPoint m_startTopLeft;
    QRect m_startGeometry;
    bool m_cursorSet = false;
};
