#include "LooseItems.h"

#include <QMimeData>
#include <QPointer>

LooseItems::~LooseItems() = default;

ItemDragView::DragHandler LooseItems::dragHandler()
{
    QPointer<LooseItems> self(this);
    return [self](QWidget *source, QMimeData *mime, const QPixmap &pixmap) {
        if (self)
            self->runDrag(source, mime, pixmap);
        else
            delete mime;
    };
}
