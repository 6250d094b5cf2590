#pragma once

#include <QPersistentModelIndex>
#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <functional>

class CompositorShape;
class CompositorWatch;
class DesktopModel;
class QMimeData;

// One item left loose on the desktop: a small window with its icon and name,
// beneath the ordinary windows as a real desktop icon would be. It paints
// hover and selection, opens the item, offers the item's menu, and dragging it
// hands the item to the owner's drag procedure. Without a compositing manager
// the window is cut to what it shows (icon, name and any plate), painted solid.
class DesktopShortcut : public QWidget
{
    Q_OBJECT

public:
    using DragFunction = std::function<void(QWidget *source, QMimeData *mime, const QPixmap &pixmap)>;
    using DropFunction = std::function<void(const QStringList &keys, QPoint globalPoint)>;

    // compositor: the program's watch, which the window follows (see CompositorShape).
    explicit DesktopShortcut(DesktopModel *model, CompositorWatch *compositor = nullptr,
                             QWidget *parent = nullptr);
    ~DesktopShortcut() override;

    void setIndex(const QPersistentModelIndex &index) { m_index = index; }
    QPersistentModelIndex index() const { return m_index; }
    void setIconSize(int pixels);
    // Paints again (and reshapes) after the item's name or icon changed.
    void refresh();
    int iconSize() const { return m_iconSize; }

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    bool isHovered() const { return m_hovered; }
    // The name as the label shows it: up to two lines, the end elided.
    QStringList labelLines() const;
    bool isMenuOpen() const { return m_menuOpen; }

    // Runs a drag of this item.
    void setOnDrag(DragFunction f) { m_onDrag = std::move(f); }
    // The press that selects this window: the others lose their selection.
    void setOnPressed(std::function<void()> f) { m_onPressed = std::move(f); }
    void setOnMenuClosed(std::function<void()> f) { m_onMenuClosed = std::move(f); }
    // Items dropped on this window land on the desktop where they were dropped.
    void setOnDropped(DropFunction f) { m_onDropped = std::move(f); }

    // Records items dropped on this window at a global point (what a drop does).
    void takeDrop(const QStringList &keys, QPoint globalPoint);

    // The item's menu at a point of this window.
    void showItemMenu(QPoint position);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void paintContent(QPainter *painter, bool composited) const;
    QRegion contentShape(QSize size) const;
    void press();
    void startDrag();

    QPersistentModelIndex m_index;
    DesktopModel *m_model;
    CompositorShape *m_shape = nullptr;
    DragFunction m_onDrag;
    std::function<void()> m_onPressed;
    std::function<void()> m_onMenuClosed;
    DropFunction m_onDropped;
    bool m_menuOpen = false;
    int m_iconSize = 48;
    bool m_selected = false;
    bool m_hovered = false;
    QPoint m_pressPos;
    bool m_dragStarted = false;
};
