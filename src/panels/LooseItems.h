#pragma once

#include "panels/ItemDragView.h"

#include <QObject>
#include <QPoint>
#include <QStringList>

class QMimeData;
class QPixmap;
class QWidget;

// Items the user left loose on the desktop, as the panel set sees them. The
// panels know nothing of how they are shown; they only hand every item drag to
// the drag procedure here (so that a drop on the bare desktop can make an item
// loose) and keep the selection, visibility and icon size in step.
class LooseItems : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~LooseItems() override;

    // Runs a drag of items from a panel's view or a loose item; returns when it ended.
    virtual void runDrag(QWidget *source, QMimeData *mime, const QPixmap &pixmap) = 0;
    virtual bool isDragging() const = 0;

    virtual void setShown(bool shown) = 0;
    virtual bool hasVisibleShortcuts() const = 0;
    virtual void setIconSize(int pixels) = 0;
    // Unselects every loose item; announces nothing.
    virtual void clearSelection() = 0;
    // Makes items loose around a global point, whether the desktop shows them
    // yet or not (files still arriving there).
    virtual void placeItems(const QStringList &keys, QPoint point) = 0;

    // A handler for ItemDragView that runs drags here while this object exists.
    ItemDragView::DragHandler dragHandler();

Q_SIGNALS:
    // The user selected a loose item: the panels' selections must go.
    void selectionActivated();
    // A drag that runDrag ran has ended (dropped, refused or cancelled).
    void dragFinished();
    // Items that are not the desktop's (a folder panel's files) were dropped
    // on it at a global point, with these keys held.
    void foreignItemsDropped(const QStringList &keys, QPoint point, Qt::KeyboardModifiers modifiers);
};
