#include "HoverTracker.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QTimer>
#include <QWidget>

HoverTracker::HoverTracker(QWidget *window)
    : QObject(window)
    , m_window(window)
    , m_poll(new QTimer(this))
{
    m_poll->setInterval(pollMs);
    connect(m_poll, &QTimer::timeout, this, &HoverTracker::poll);
    m_window->installEventFilter(this);
}

HoverTracker::~HoverTracker() = default;

void HoverTracker::watchChildren()
{
    const QList<QWidget *> descendants = m_window->findChildren<QWidget *>();
    for (QWidget *child : descendants)
        child->installEventFilter(this);
}

bool HoverTracker::isPolling() const
{
    return m_poll->isActive();
}

void HoverTracker::poll()
{
    const QPoint pos = QCursor::pos();
    const bool still = pos == m_lastPos && !QApplication::activePopupWidget();
    const int stillPolls = still ? m_stillPolls + 1 : 0;
    updateAt(pos);
    if (!m_poll->isActive())
        return;
    m_stillPolls = stillPolls;
    if (m_stillPolls >= restPolls)
        m_poll->stop();
}

void HoverTracker::update()
{
    updateAt(QCursor::pos());
}

// Each question about the pointer is a round trip to the display server, and
// every window asks as it is shown: the window under the pointer is looked up
// only when the pointer is inside this one.
void HoverTracker::updateAt(const QPoint &pos)
{
    const bool inside = m_window->isVisible() && m_window->rect().contains(m_window->mapFromGlobal(pos));
    const QWidget *under = inside ? QApplication::widgetAt(pos) : nullptr;
    const bool hovered = under && (under == m_window || m_window->isAncestorOf(under));
    m_lastPos = pos;
    m_stillPolls = 0;
    // Polling goes on while the pointer is over the window: a popup or a child
    // may take it away without a leave event reaching the window.
    if (inside)
        m_poll->start();
    else
        m_poll->stop();
    if (hovered != m_hovered) {
        m_hovered = hovered;
        Q_EMIT hoverChanged(hovered);
    }
}

bool HoverTracker::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave:
        update();
        break;
    case QEvent::MouseMove:
    case QEvent::HoverMove:
    case QEvent::MouseButtonPress:
    case QEvent::ContextMenu:
        // The pointer moves again, or a popup may open: polling resumes.
        if (!m_poll->isActive())
            update();
        break;
    case QEvent::Show:
        if (watched == m_window)
            update();
        break;
    case QEvent::Hide:
        if (watched == m_window) {
            m_poll->stop();
            if (m_hovered) {
                m_hovered = false;
                Q_EMIT hoverChanged(false);
            }
        }
        break;
    default:
        break;
    }
    return false;
}
