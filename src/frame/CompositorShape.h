#pragma once

#include <QObject>
#include <QRegion>
#include <QSize>

#include <functional>

class CompositorWatch;
class QWidget;

// Keeps a translucent window looking right whether or not a compositing
// manager runs. The window always has an alpha channel (the kind of native
// window is chosen once, when it is made). With a compositing manager it is
// unshaped and may paint translucent; without one, transparent pixels would
// show black, so it is cut to its shape and must paint solid (isComposited()
// tells its painting which). The shape follows the window's size; the window
// asks for it again when what it shows changes.
class CompositorShape : public QObject
{
    Q_OBJECT

public:
    using ShapeFunction = std::function<QRegion(QSize)>;

    // watch: the program's one watch, or null where a compositing manager is
    // taken for granted. The shape is the window's owner's; this object is the
    // window's child.
    CompositorShape(QWidget *window, CompositorWatch *watch, ShapeFunction shape);
    ~CompositorShape() override;

    bool isComposited() const { return m_composited; }
    // Cuts the window to its shape again (without a compositing manager).
    void reshape();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setComposited(bool composited);

    QWidget *m_window;
    ShapeFunction m_shape;
    bool m_composited = true;
};
