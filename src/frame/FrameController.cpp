#include "FrameController.h"

#include "frame/GuideOverlay.h"
#include "frame/PanelFrame.h"
#include "frame/ScreenFit.h"
#include "frame/Snapping.h"
#include "look/AppStyle.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

FrameController::FrameController(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    m_window->installEventFilter(this);
}

FrameController::~FrameController() = default;

void FrameController::setPeerProvider(PeerProvider provider)
{
    m_peers = std::move(provider);
}

void FrameController::setGeometryStore(std::function<void()> store)
{
    m_store = std::move(store);
}

void FrameController::storeGeometry()
{
    if (m_store && PanelFrame::mayStoreGeometry(m_window))
        m_store();
}

void FrameController::setGuideOverlay(GuideOverlay *overlay)
{
    m_overlay = overlay;
}

Qt::Edges FrameController::edgesAt(QPoint windowPoint) const
{
    return PanelFrame::edgesAt(m_window->size(), windowPoint, m_locked, m_horizontalOnly);
}

void FrameController::setHorizontalResizeOnly(bool horizontalOnly)
{
    m_horizontalOnly = horizontalOnly;
    updateGrip();
}

void FrameController::setLocked(bool locked)
{
    m_window->setProperty(PanelFrame::lockedProperty, locked);
    if (locked) {
        endResize();
        m_dragging = false;
        m_window->unsetCursor();
        m_cursorSet = false;
        hideGuides();
        if (m_grip && QWidget::mouseGrabber() == m_grip)
            m_grip->releaseMouse();
    } else {
        m_window->setProperty(PanelFrame::lockedPositionProperty, QVariant());
    }
    m_locked = locked;
    updateGrip();
}

void FrameController::updateGrip()
{
    if (!m_grip)
        return;
    const bool usable = !m_locked && !m_horizontalOnly;
    m_grip->setEnabled(usable);
    m_grip->setVisible(usable);
}

QRect FrameController::screenArea() const
{
    const QScreen *screen = m_window->screen();
    return screen ? screen->availableGeometry() : QRect();
}

QList<QRect> FrameController::peers() const
{
    return m_peers ? m_peers() : QList<QRect>();
}

void FrameController::showGuides(const QList<QLine> &guides)
{
    if (m_overlay)
        m_overlay->showGuides(PanelFrame::isAlwaysOnTop(m_window) ? QList<QLine>() : guides);
}

void FrameController::hideGuides()
{
    if (m_overlay)
        m_overlay->hideGuides();
}

bool FrameController::mousePressed(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    const QPoint pos = event->position().toPoint();
    switch (PanelFrame::pressAt(m_window->size(), pos, m_titleBand, m_locked,
                                PanelFrame::isAlwaysOnTop(m_window), m_horizontalOnly)) {
    case PanelFrame::Press::Resize:
        beginResize(edgesAt(pos), event->globalPosition().toPoint());
        return true;
    case PanelFrame::Press::Move:
        // The place before the drag is written first: a pinned, locked window
        // keeps it as the place it returns to.
        storeGeometry();
        PanelFrame::captureLockedPosition(m_window);
        m_dragging = true;
        m_pressPoint = event->globalPosition().toPoint();
        m_startTopLeft = m_window->frameGeometry().topLeft();
        return true;
    case PanelFrame::Press::Ignore:
        break;
    }
    return false;
}

void FrameController::beginResize(Qt::Edges edges, QPoint globalPress)
{
    if (m_locked)
        return;
    m_resizing = true;
    m_edges = edges;
    m_pressPoint = globalPress;
    m_startGeometry = m_window->geometry();
    PanelFrame::setEdgeCursor(m_window, edges);
    m_cursorSet = true;
    Q_EMIT resizeStarted();
}

void FrameController::resizeTo(QPoint globalPoint)
{
    if (!m_resizing)
        return;
    const QSize minimum = m_window->minimumSize();
    const QRect proposed = PanelFrame::resized(m_startGeometry, globalPoint - m_pressPoint, m_edges, minimum);
    // The dragged edges stay on the screen, where the user can still reach them.
    const QRect area = screenArea();
    const QRect limited = ScreenFit::limitResize(proposed, m_edges, minimum, area);
    const Snapping::Result snapped = Snapping::snapResize(limited, peers(), area, minimum, m_edges);
    m_window->setGeometry(ScreenFit::limitResize(snapped.rect, m_edges, minimum, area));
    showGuides(snapped.guides);
}

void FrameController::endResize()
{
    if (!m_resizing)
        return;
    m_resizing = false;
    m_edges = {};
    m_window->unsetCursor();
    m_cursorSet = false;
    hideGuides();
    Q_EMIT resizeFinished();
    storeGeometry();
}

void FrameController::attachGrip(QWidget *grip)
{
    m_grip = grip;
    grip->installEventFilter(this);
    updateGrip();
}

bool FrameController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grip)
        return gripEvent(event);
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // The window still sees the press (it clears its selection on any click).
        mousePressed(static_cast<QMouseEvent *>(event));
        return false;
    case QEvent::MouseMove:
        return mouseMoved(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
        return mouseReleased(static_cast<QMouseEvent *>(event));
    case QEvent::Leave:
        pointerLeft();
        return false;
    case QEvent::ContextMenu:
        return titleBandMenu(static_cast<QContextMenuEvent *>(event));
    default:
        return false;
    }
}

bool FrameController::titleBandMenu(const QContextMenuEvent *event)
{
    if (m_window->contextMenuPolicy() != Qt::DefaultContextMenu || event->pos().y() >= m_titleBand)
        return false;
    // The pin is the desktop layer's; a window it does not keep has none.
    auto *onTop = m_window->findChild<QAction *>(QLatin1String(PanelFrame::alwaysOnTopActionName),
                                                 Qt::FindDirectChildrenOnly);
    if (!onTop)
        return false;
    QMenu menu(m_window);
    menu.setStyleSheet(AppStyle::menuStyleSheet());
    menu.addAction(onTop);
    menu.exec(event->globalPos());
    return true;
}

bool FrameController::gripEvent(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return false;
    if (m_locked)
        return true;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
        beginResize(Qt::RightEdge | Qt::BottomEdge, global);
    else if (type == QEvent::MouseMove)
        resizeTo(global);
    else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton)
        endResize();
    return true;
}

bool FrameController::mouseMoved(QMouseEvent *event)
{
    const QPoint global = event->globalPosition().toPoint();
    if (m_resizing) {
        resizeTo(global);
        return true;
    }
    if (m_dragging) {
        if (m_locked && !PanelFrame::isAlwaysOnTop(m_window))
            return true;
        const QRect proposed(m_startTopLeft + (global - m_pressPoint), m_window->frameGeometry().size());
        const Snapping::Result snapped = Snapping::snapMove(proposed, peers(), screenArea());
        // The title band stays on a screen: it is what brings the window back.
        m_window->move(
            ScreenFit::keepTitleOnScreen(snapped.rect, m_titleBand, ScreenFit::availableAreas()).topLeft());
        showGuides(snapped.guides);
        Q_EMIT dragMoved();
        return true;
    }
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    if (edges || m_cursorSet) {
        PanelFrame::setEdgeCursor(m_window, edges);
        m_cursorSet = bool(edges);
    }
    return false;
}

bool FrameController::mouseReleased(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    const bool active = m_resizing || m_dragging;
    const bool moved = m_dragging;
    if (m_resizing)
        endResize();
    m_dragging = false;
    hideGuides();
    if (moved)
        storeGeometry();
    return active;
}

void FrameController::pointerLeft()
{
    if (!m_resizing && m_cursorSet) {
        m_window->unsetCursor();
        m_cursorSet = false;
    }
}
