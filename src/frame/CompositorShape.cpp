#include "CompositorShape.h"

#include "shell/CompositorWatch.h"

#include <QEvent>
#include <QWidget>

CompositorShape::CompositorShape(QWidget *window, CompositorWatch *watch, ShapeFunction shape)
    : QObject(window)
    , m_window(window)
    , m_shape(std::move(shape))
{
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->installEventFilter(this);
    if (watch) {
        m_composited = watch->isActive();
        connect(watch, &CompositorWatch::changed, this, &CompositorShape::setComposited);
    }
    reshape();
}

CompositorShape::~CompositorShape() = default;

void CompositorShape::setComposited(bool composited)
{
    if (composited == m_composited)
        return;
    m_composited = composited;
    reshape();
    m_window->update();
}

void CompositorShape::reshape()
{
    if (m_composited) {
        m_window->clearMask();
        return;
    }
    const QRegion shape = m_shape(m_window->size());
    // An empty mask would mean no shape at all: a window with nothing to show keeps one pixel.
    m_window->setMask(shape.isEmpty() ? QRegion(0, 0, 1, 1) : shape);
}

bool CompositorShape::eventFilter(QObject *watched, QEvent *event)
{
    // Some windows (a combo box's list) drop their shape when resized; it is
    // given again before they are shown.
    if (watched == m_window && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        reshape();
    return false;
}
