#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <chrono>

// Tells, once, that the windows on show are on screen: every visible top-level
// window has been exposed, or the wait is over (a window manager may keep a
// window off the screen for good, on another workspace). The windows are those
// visible when it is made; with none it tells at the next turn.
class StartupWindows : public QObject
{
    Q_OBJECT

public:
    explicit StartupWindows(std::chrono::milliseconds limit, QObject *parent = nullptr);

Q_SIGNALS:
    void onScreen();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void check();
    void finish();

    QList<QPointer<QWindow>> m_windows;
    QTimer m_limit;
    bool m_done = false;
};
