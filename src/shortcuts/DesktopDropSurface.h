#pragma once

#include <QPoint>
#include <QStringList>
#include <QWidget>

class QDropEvent;

// A see-through window over one screen's free area, there only while items
// are dragged, that turns a drop on the bare desktop into a place for them.
// Drags of other programs and of other data are refused.
class DesktopDropSurface : public QWidget
{
    Q_OBJECT

public:
    explicit DesktopDropSurface(const QRect &area, QWidget *parent = nullptr);
    ~DesktopDropSurface() override;

    bool hasDrop() const { return m_dropped; }
    QStringList droppedKeys() const { return m_droppedKeys; }
    QPoint dropPoint() const { return m_dropPoint; }
    // Records items dropped at a global point (what a drop on the window does).
    void takeDrop(const QStringList &keys, QPoint globalPoint);

    // Whether a drag event carries this program's items.
    static bool acceptsDrag(const QDropEvent *event);

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QStringList m_droppedKeys;
    QPoint m_dropPoint;
    bool m_dropped = false;
};
