#pragma once

#include "panels/GuideOverlay.h"
#include "panels/PanelFrame.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>

class QMouseEvent;
class QWidget;

// Moves a frameless panel window by its title band and resizes it by its edges,
// snapping to the other panels and the screen while guide lines show, and keeps
// the lock protocol. It watches the window's mouse events itself; a press
// still reaches the window afterwards.
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

    // A child that resizes the window by its bottom-right corner while dragged
    // (the window's resize grip); refused while locked.
    void attachGrip(QWidget *grip);

    // A resize started elsewhere.
    void beginResize(Qt::Edges edges, QPoint globalPress);
    void resizeTo(QPoint globalPoint);
    void endResize();

    Qt::Edges edgesAt(QPoint windowPoint) const;

Q_SIGNALS:
    // A title drag is about to move the window (windows save their geometry here).
    void dragStarting();
    void dragMoved();
    void resizeStarted();
    // The user let go after moving or resizing the window.
    void moveFinished();
    void resizeFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Window mouse events; each returns whether it took the event.
    bool mousePressed(QMouseEvent *event);
    bool mouseMoved(QMouseEvent *event);
    bool mouseReleased(QMouseEvent *event);
    void pointerLeft();
    bool gripEvent(QEvent *event);

    QRect screenArea() const;
    QList<QRect> peers() const;
    void showGuides(const QList<QLine> &guides);
    void hideGuides();

    QWidget *m_window;
    QPointer<QWidget> m_grip;
    PeerProvider m_peers;
    QPointer<GuideOverlay> m_overlay;
    int m_titleBand = PanelFrame::titleBand;
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
