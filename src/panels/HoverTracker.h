#pragma once

#include <QObject>

class QTimer;
class QWidget;

// Follows whether the pointer is over a window or any of its children, for
// chrome that shows only on hover. Enter and leave events alone miss the
// pointer leaving through a child or a popup, so while the pointer may be over
// the window its position is also polled; a hidden window, or one the pointer
// has left, costs no timer.
class HoverTracker : public QObject
{
    Q_OBJECT

public:
    static constexpr int pollMs = 150;

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
    bool pointerInside() const;

    QWidget *m_window;
    QTimer *m_poll;
    bool m_hovered = false;
};
