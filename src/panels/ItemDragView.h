#pragma once

#include <QListView>

#include <functional>

class QMimeData;

// The list view of an icon panel: grid or list presentation at any icon size,
// the insertion row and marker for drops, and drags that can leave the panel.
class ItemDragView : public QListView
{
    Q_OBJECT

public:
    // Runs a drag of items (possibly out of the panel): view, payload, drag pixmap.
    using DragHandler = std::function<void(QWidget *view, QMimeData *mime, const QPixmap &pixmap)>;

    explicit ItemDragView(QWidget *parent = nullptr);
    ~ItemDragView() override;

    void setDragHandler(DragHandler handler);

    // Applies the configuration of the grid or list presentation.
    void setPresentation(bool list, int iconSize);
    bool isListPresentation() const { return m_list; }

    // Row before which a drop at a viewport position inserts; the row count for the end.
    int dropRowAt(QPoint position) const;
    void showDropMarker(int row);
    void hideDropMarker();
    QWidget *dropMarker() const { return m_marker; }

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateGridSize();

    DragHandler m_dragHandler;
    QWidget *m_marker = nullptr;
    bool m_list = false;
    int m_iconSize = 48;
};
