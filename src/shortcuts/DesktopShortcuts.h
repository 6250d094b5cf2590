#pragma once

#include "panels/LooseItems.h"

#include <QHash>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

class CompositorWatch;
class DesktopDropSurface;
class DesktopLayer;
class DesktopModel;
class DesktopShortcut;
class QDrag;
class QScreen;

// The items left loose on the desktop: one DesktopShortcut window per item that
// has a desktop position in the layout store, placed there (kept inside a
// screen's free area), with at most one selected. It also owns the drag
// procedure every item drag of the program runs through: while items are
// dragged, drop surfaces cover each screen's free desktop, and a drop there
// makes the items loose at the drop point.
class DesktopShortcuts : public LooseItems
{
    Q_OBJECT

public:
    // Runs a prepared drag to its end; the program's is QDrag::exec.
    using DragExecutor = std::function<void(QDrag *drag)>;

    // compositor: the program's watch, which every window made here follows.
    DesktopShortcuts(DesktopModel *model, DesktopLayer *layer, int iconSize,
                     CompositorWatch *compositor = nullptr, QObject *parent = nullptr);
    ~DesktopShortcuts() override;

    void runDrag(QWidget *source, QMimeData *mime, const QPixmap &pixmap) override;
    bool isDragging() const override { return m_dragging; }
    void setShown(bool shown) override;
    bool hasVisibleShortcuts() const override;
    void setIconSize(int pixels) override;
    void clearSelection() override;
    void placeItems(const QStringList &keys, QPoint point) override;

    // Makes the windows match the model and the stored positions; a window
    // whose menu is open, or whose item is being dragged, stays until then.
    void rebuild();
    // Stores the positions of items dropped at a global point and reloads the
    // model; items not on the desktop leave as foreignItemsDropped.
    void placeDroppedItems(const QStringList &keys, QPoint point,
                           Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    DesktopShortcut *shortcut(const QString &key) const { return m_shortcuts.value(key); }
    QStringList keys() const { return m_shortcuts.keys(); }
    // The drop surfaces of the drag that runs now (none between drags).
    QList<DesktopDropSurface *> dropSurfaces() const { return m_surfaces; }
    void setDragExecutor(DragExecutor executor) { m_executor = std::move(executor); }

private:
    DesktopShortcut *makeShortcut();
    void scheduleRebuild();
    void watchScreen(QScreen *screen);
    void createSurfaces();
    void removeSurfaces();
    void itemsDroppedOnShortcut(const QStringList &keys, QPoint point);

    DesktopModel *m_model;
    QPointer<DesktopLayer> m_layer;
    CompositorWatch *m_compositor;
    QHash<QString, DesktopShortcut *> m_shortcuts;
    int m_iconSize;
    bool m_shown = false;
    bool m_dragging = false;
    bool m_rebuildQueued = false;
    QPointer<QWidget> m_dragSource;
    QList<DesktopDropSurface *> m_surfaces;
    // A drop on a loose item's own window during the drag that runs now.
    std::optional<std::pair<QStringList, QPoint>> m_shortcutDrop;
    DragExecutor m_executor;
};
