#pragma once

#include "frame/GuideOverlay.h"
#include "frame/PanelFrame.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>

class QContextMenuEvent;
class QMouseEvent;
class QWidget;

// Moves a frameless panel window by its title band and resizes it by its edges,
// snapping to the other panels and the screen while guide lines show, and keeps
// the lock protocol. It watches the window's mouse events itself; a press
// still reaches the window afterwards. A context menu in the title band is the
// one "Always on top" entry, unless the window chose a menu policy of its own.
class FrameController : public QObject
{
    Q_OBJECT

public:
    using PeerProvider = std::function<QList<QRect>()>;

    explicit FrameController(QWidget *window);
    ~FrameController() override;

    void setPeerProvider(PeerProvider provider);
    // How the window writes its geometry to the settings. The frame writes it
    // before a drag moves the window and once a move or resize is finished;
    // the window asks for every other write through storeGeometry.
    void setGeometryStore(std::function<void()> store);
    // Writes the geometry unless it may not be stored now
    // (PanelFrame::mayStoreGeometry): while a locked position is held, the
    // stored place stays the one the window returns to.
    void storeGeometry();
    void setGuideOverlay(GuideOverlay *overlay);
    GuideOverlay *guideOverlay() const { return m_overlay; }
    void setTitleBandHeight(int height) { m_titleBand = height; }
    // A rolled-up window resizes by its side edges only, and shows no grip.
    void setHorizontalResizeOnly(bool horizontalOnly);

    bool isLocked() const { return m_locked; }
    // The lock of every panel window. Locking ends any drag, and any resize as
    // if the user let go; the grip lets go of the mouse and is hidden, so
    // nothing the user does changes the window's place or size (a pinned
    // window still moves, and returns). Unlocking forgets the pinned position
    // and brings the grip back.
    void setLocked(bool locked);

    // A child that resizes the window by its bottom-right corner while dragged
    // (the window's resize grip); shown and usable only while the window may
    // be resized.
    void attachGrip(QWidget *grip);

    // A resize started elsewhere.
    void beginResize(Qt::Edges edges, QPoint globalPress);
    void resizeTo(QPoint globalPoint);
    void endResize();

    Qt::Edges edgesAt(QPoint windowPoint) const;

Q_SIGNALS:
    void dragMoved();
    void resizeStarted();
    // The user let go after resizing the window (its geometry is written next).
    void resizeFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Window mouse events; each returns whether it took the event.
    bool mousePressed(QMouseEvent *event);
    bool mouseMoved(QMouseEvent *event);
    bool mouseReleased(QMouseEvent *event);
    void pointerLeft();
    // Shows the pin menu for a context menu in the title band; whether it did.
    bool titleBandMenu(const QContextMenuEvent *event);
    bool gripEvent(QEvent *event);
    void updateGrip();

    QRect screenArea() const;
    QList<QRect> peers() const;
    void showGuides(const QList<QLine> &guides);
    void hideGuides();

    QWidget *m_window;
    QPointer<QWidget> m_grip;
    PeerProvider m_peers;
    std::function<void()> m_store;
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
