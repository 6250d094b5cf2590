#pragma once

#include <QObject>
#include <QPoint>

class QTimer;
class QWidget;

// Follows whether the pointer is over a window or any of its children, for
// chrome that shows only on hover. Enter and leave events alone miss the
// pointer leaving through a child or a popup, so while the pointer moves over
// the window, or a popup is open, its position is also polled. A pointer at
// rest without a popup leaves only through events (a leave, or a press or menu
// that opens a popup, which start polling again), so resting over a panel, a
// hidden window or one the pointer has left costs no timer.
class HoverTracker : public QObject
{
    Q_OBJECT

public:
    static constexpr int pollMs = 150;
    // Polls that find the pointer where it was before polling stops.
    static constexpr int restPolls = 3;

    explicit HoverTracker(QWidget *window);
    ~HoverTracker() override;

    // Watches the window's current descendants as well (call after building them).
    void watchChildren();
    bool isHovered() const { return m_hovered; }
    bool isPolling() const;

public Q_SLOTS:
    // Re-reads the pointer position now.
    void update();

Q_SIGNALS:
    void hoverChanged(bool hovered);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void poll();
    void updateAt(const QPoint &pos);

    QWidget *m_window;
    QTimer *m_poll;
    QPoint m_lastPos;
    int m_stillPolls = 0;
    bool m_hovered = false;
};
