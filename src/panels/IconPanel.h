#pragma once

#include "frame/FrameController.h"
#include "frame/PanelStyle.h"
#include "panels/IconPanelOptions.h"
#include "panels/PanelGeometry.h"
#include "panels/PanelMetrics.h"
#include "panels/PanelSettings.h"
#include "panels/SearchTrigger.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class CategoryFilter;
class QAction;
class DesktopModel;
class GuideOverlay;
class HoverTracker;
class ItemDragView;
class PanelContent;
class PanelSort;
class QMenu;
class QLabel;
class QSizeGrip;
class QTimer;
class TitleButtons;
class TitleEditor;

// One floating panel of desktop items: a category's, a custom panel's, or all
// of them in single mode. Everything that concerns other panels, or the
// program as a whole, leaves as a request signal for the panel set.
class IconPanel : public QWidget
{
    Q_OBJECT

public:
    using Options = IconPanelOptions;
    enum ViewMode : int
    {
        Automatic = 0,
        Grid = 1,
        List = 2
    };
    Q_ENUM(ViewMode)

    // The current layout generation of stored panel geometries.
    static constexpr int layoutVersion = PanelGeometry::layoutVersion;

    IconPanel(const Options &options, DesktopModel *model, CategoryFilter *filter, const QString &title,
              const QString &settingsPrefix, QWidget *parent = nullptr);
    ~IconPanel() override;

    QString title() const { return m_title; }
    void setTitle(const QString &title);
    // The title as the title band shows it now (elided to the room it has).
    QString shownTitle() const;
    QString settingsPrefix() const { return m_settings.prefix(); }
    // The panel id: a category id, "custom-N", or empty for the single panel.
    QString panelId() const;
    bool isCustomPanel() const;

    bool isCollapsed() const { return m_geometry.isCollapsed(); }
    void setCollapsed(bool collapsed);
    // The height the panel has, or unrolls to while rolled up.
    int expandedHeight() const;
    // geometry() with the expanded height: the room the panel needs when unrolled.
    QRect expandedGeometry() const;
    ViewMode viewMode() const { return m_viewMode; }
    void setViewMode(ViewMode mode);
    bool isListView() const { return m_options.listView; }
    void setListView(bool list);
    int iconSize() const { return m_options.iconSize; }
    void setIconSize(int px);
    bool isLayoutLocked() const { return m_frame->isLocked(); }
    void setLayoutLocked(bool locked) { m_frame->setLocked(locked); }
    void setHideToTray(bool hide);
    // Whether a compositing manager shows translucent pixels. Without one the
    // panel paints its body solid and cuts its rounded corners with a window
    // mask, as with the "opaque" option, so no black or grey corners show.
    void setCompositing(bool composited);
    bool paintsSolid() const { return m_options.opaque || !m_composited; }
    // Program-wide commands offered in this panel's menu (the real-icon switch,
    // later start at sign-in): owned elsewhere, so every menu shows one state.
    void setSharedActions(const QList<QAction *> &actions);
    QList<QAction *> sharedActions() const;
    // Commands that make panels, offered beside "New panel" (owned elsewhere).
    void setNewPanelActions(const QList<QAction *> &actions);
    QList<QAction *> newPanelActions() const;

    // A short text centred where the items would be (a folder that cannot be
    // read says so); empty shows none.
    void setNotice(const QString &text);
    QString notice() const;

    void setGuideOverlay(GuideOverlay *overlay) { m_frame->setGuideOverlay(overlay); }
    void setPeerProvider(FrameController::PeerProvider provider)
    {
        m_frame->setPeerProvider(std::move(provider));
    }

    // The size the panel wants when unrolled, its height clamped to maxHeight
    // (never below the presentation's minimum).
    QSize preferredSize(int maxHeight) const;
    QSize minimumExpandedSize() const { return PanelMetrics::minimumSize(m_options.listView); }
    // Places the panel; a rectangle for a rolled-up panel moves it and sets its
    // width, while the full height it unrolls to stays the one it had.
    void applyGeometry(const QRect &rect, bool userPlaced);

    // Restores the stored geometry when it still touches a screen; false when the
    // panel set has to place the panel.
    bool restorePanelGeometry();
    void storePanelGeometry();
    bool geometryRestored() const { return m_geometry.isRestored(); }
    bool needsRelayout() const { return m_geometry.needsRelayout(); }
    void setNeedsRelayout(bool needs) { m_geometry.setNeedsRelayout(needs); }
    bool isUserPlaced() const { return m_geometry.isUserPlaced(); }

    void beginRename();

    DesktopModel *model() const { return m_model; }
    ItemDragView *view() const { return m_view; }
    PanelSort *sortProxy() const { return m_sort; }
    // The desktop model's index of an index of the view.
    QModelIndex sourceIndex(const QModelIndex &viewIndex) const;
    int itemCount() const;
    void clearSelection();
    // Re-reads the sort order from the settings.
    void applyStoredSort();

    // The program's context menu for a viewport position (the caller owns it).
    std::unique_ptr<QMenu> createContextMenu(QPoint viewportPosition);
    void showContextMenu(QPoint viewportPosition);

Q_SIGNALS:
    // Items from elsewhere were dropped on the panel with these keys held.
    void itemsDropped(const QStringList &itemKeys, const QString &groupId,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void createPanelRequested(const QString &name);
    void renamePanelRequested(const QString &groupId, const QString &name);
    void removePanelRequested(const QString &groupId);
    void hiddenToTray();
    void viewModeChanged();
    void iconSizeRequested(int pixels);
    void arrangeRequested();
    void layoutLockRequested(bool locked);
    void selectionActivated();
    // "Quit", or closing a panel when there is no tray to hide it to.
    void quitRequested();
    // The user started typing (or pressed Ctrl+F) in the panel; source is the
    // widget that had the keyboard focus and gets it back when the search is dismissed.
    void searchRequested(QWidget *source, const SearchTrigger &trigger);
    // The context menu is about to show the shared actions: their owner re-reads their state.
    void sharedActionsRefreshRequested();

public Q_SLOTS:
    void refresh();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    const PanelStyle::Metrics &metrics() const { return PanelStyle::metrics(m_options.listView); }
    PanelStyle::Chrome chrome() const;
    void buildUi(CategoryFilter *filter);
    void applyPresentation();
    // Shows or hides the content and sets the height for the roll-up state.
    void applyRollUp();
    void applyShape();
    void layoutChildren();
    void hoverChanged(bool hovered);

    Options m_options;
    DesktopModel *m_model;
    QList<QPointer<QAction>> m_sharedActions;
    QList<QPointer<QAction>> m_newPanelActions;
    QString m_title;
    PanelSettings m_settings;
    PanelGeometry m_geometry;
    PanelSort *m_sort = nullptr;
    ItemDragView *m_view = nullptr;
    PanelContent *m_content = nullptr;
    HoverTracker *m_hover = nullptr;
    TitleButtons *m_buttons = nullptr;
    TitleEditor *m_editor = nullptr;
    QSizeGrip *m_grip = nullptr;
    QLabel *m_notice = nullptr;
    FrameController *m_frame = nullptr;
    // Writes the placement shortly after the panel set placed the panel.
    QTimer *m_storeSoon = nullptr;
    ViewMode m_viewMode = Automatic;
    bool m_hideToTray = false;
    bool m_composited = true;
};
