#include "app/StartupWindows.h"

#include <QEvent>
#include <QGuiApplication>

StartupWindows::StartupWindows(std::chrono::milliseconds limit, QObject *parent)
    : QObject(parent)
{
    const QList<QWindow *> windows = QGuiApplication::topLevelWindows();
    for (QWindow *window : windows) {
        if (!window->isVisible())
            continue;
        m_windows.append(window);
        window->installEventFilter(this);
    }
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this, &StartupWindows::finish);
    m_limit.start(limit);
    // Those already on screen are not exposed again: look once the caller has listened.
    QMetaObject::invokeMethod(this, &StartupWindows::check, Qt::QueuedConnection);
}

bool StartupWindows::eventFilter(QObject *watched, QEvent *event)
{
    // The window counts itself exposed before it is told.
    if (event->type() == QEvent::Expose && !m_done)
        check();
    return QObject::eventFilter(watched, event);
}

void StartupWindows::check()
{
    for (const QPointer<QWindow> &window : std::as_const(m_windows)) {
        if (window && window->isVisible() && !window->isExposed())
            return;
    }
    finish();
}

void StartupWindows::finish()
{
    if (std::exchange(m_done, true))
        return;
    m_limit.stop();
    for (const QPointer<QWindow> &window : std::as_const(m_windows)) {
        if (window)
            window->removeEventFilter(this);
    }
    Q_EMIT onScreen();
}
