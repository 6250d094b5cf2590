#pragma once

#include <QPixmap>
#include <QPoint>
#include <QStringList>
#include <QWidget>

class CompositorWatch;
class QDropEvent;

// A see-through window over one screen's free area, there only while items
// are dragged, that turns a drop on the bare desktop into a place for them.
// Drags of other programs and of other data are refused.
//
// See-through needs a compositing manager. Without one a transparent window
// shows black, and a window cut away (or left unpainted) is not found by a
// drag, which asks the X server for a drop target under the pointer within
// the window's bounding shape. So without one the surface shows the desktop
// as it was when the drag began: the screen beneath, taken before the surface
// appears.
class DesktopDropSurface : public QWidget
{
    Q_OBJECT

public:
    // compositor: the program's watch; null where one is taken for granted.
    explicit DesktopDropSurface(const QRect &area, CompositorWatch *compositor = nullptr,
                                QWidget *parent = nullptr);
    ~DesktopDropSurface() override;

    bool hasDrop() const { return m_dropped; }
    QStringList droppedKeys() const { return m_droppedKeys; }
    QPoint dropPoint() const { return m_dropPoint; }
    // Records items dropped at a global point (what a drop on the window does).
    void takeDrop(const QStringList &keys, QPoint globalPoint);

    // What the surface shows of the desktop beneath; null while it is see-through.
    QPixmap backdrop() const { return m_backdrop; }

    // Whether a drag event carries this program's items.
    static bool acceptsDrag(const QDropEvent *event);

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void compositingChanged(bool composited);

    QPixmap m_backdrop;
    QStringList m_droppedKeys;
    QPoint m_dropPoint;
    bool m_dropped = false;
};
