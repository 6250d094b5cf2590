#pragma once

#include "panels/FrameController.h"
#include "panels/IconPanelOptions.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class CategoryFilter;
class DesktopModel;
class GuideOverlay;
class ItemDragView;
class PanelSort;
class QLineEdit;
class QMenu;
class QPushButton;
class QSizeGrip;
class QTimer;

// One floating panel of desktop items: a category's, a custom panel's, or all
// of them in single mode. Everything that concerns other panels leaves as a
// signal for the panel set.
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
    static constexpr int layoutVersion = 3;

    IconPanel(const Options &options, DesktopModel *model, CategoryFilter *filter, const QString &title,
              const QString &settingsPrefix, QWidget *parent = nullptr);
    ~IconPanel() override;

    QString title() const { return m_title; }
    void setTitle(const QString &title);
    QString settingsPrefix() const { return m_settingsPrefix; }
    // The panel id: a category id, "custom-N", or empty for the single panel.
    QString panelId() const;
    bool isCustomPanel() const;

    bool isCollapsed() const { return m_collapsed; }
    void setCollapsed(bool collapsed);
    ViewMode viewMode() const { return m_viewMode; }
    void setViewMode(ViewMode mode);
    bool isListView() const { return m_options.listView; }
    void setListView(bool list);
    int iconSize() const { return m_options.iconSize; }
    void setIconSize(int px);
    bool isLayoutLocked() const { return m_frame->isLocked(); }
    void setLayoutLocked(bool locked);
    void setHideToTray(bool hide);
    void setTodoVisible(bool visible) { m_todoVisible = visible; }

    void setGuideOverlay(GuideOverlay *overlay);
    void setPeerProvider(FrameController::PeerProvider provider);

    QSize preferredSize(int maxHeight) const;
    static QSize gridPanelSize(int iconSize, int columns, int rows);
    static int listPanelHeight(int itemCount);
    void applyGeometry(const QRect &rect, bool userPlaced);

    // Restores the stored geometry when it still touches a screen; false when the
    // panel set has to place the panel.
    bool restorePanelGeometry();
    void storePanelGeometry();
    bool geometryRestored() const { return m_geometryRestored; }
    bool needsRelayout() const { return m_needsRelayout; }
    void setNeedsRelayout(bool needs) { m_needsRelayout = needs; }
    bool isUserPlaced() const { return m_userPlaced; }

    void beginRename();
    void finishRename(bool commit);

    ItemDragView *view() const { return m_view; }
    PanelSort *sortProxy() const { return m_sort; }
    int itemCount() const;
    void clearSelection();

    // The program's context menu for a viewport position (the caller owns it).
    std::unique_ptr<QMenu> createContextMenu(QPoint viewportPosition);
    void showContextMenu(QPoint viewportPosition);

    static QString buttonStyleSheet();
    static QString closeButtonStyleSheet();
    static QString editorStyleSheet();
    static QString scrollBarStyleSheet(bool handleVisible);

Q_SIGNALS:
    void contentsChanged(int count);
    void itemsDropped(const QStringList &itemKeys, const QString &groupId);
    void createPanelRequested(const QString &name);
    void renamePanelRequested(const QString &groupId, const QString &name);
    void removePanelRequested(const QString &groupId);
    void hiddenToTray();
    void viewModeChanged();
    void iconSizeRequested(int pixels);
    void arrangeRequested();
    void layoutLockRequested(bool locked);
    void todoVisibilityRequested(bool visible);
    void selectionActivated();

public Q_SLOTS:
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Metrics
    {
        int band;
        int glyphX;
        int button;
        int buttonGap;
        int buttonMargin;
        int buttonIcon;
        int viewX;
        int viewY;
        int radius;
        int collapsedHeight;
    };

    const Metrics &metrics() const;
    void buildUi();
    void applyStoredSort();
    void applyHeightLimits();
    void layoutChildren();
    int collapseButtonLeft() const;
    // The smallest panel of the current presentation when not rolled up.
    QSize minimumExpandedSize() const;
    void updateCollapseButton();
    void updateViewToggle();
    void updateCloseButton();
    void updateHover();
    void updateGrip();
    void dragMovedOverView(class QDropEvent *event);
    void droppedOnView(QDropEvent *event);
    void stopAutoScroll();
    void autoScrollTick();
    QStringList keysShownHere() const;
    int firstCategory() const;
    QString setting(QLatin1StringView key) const;

    Options m_options;
    DesktopModel *m_model;
    QPointer<CategoryFilter> m_filter;
    QString m_title;
    QString m_settingsPrefix;
    PanelSort *m_sort = nullptr;
    ItemDragView *m_view = nullptr;
    QTimer *m_autoScrollTimer = nullptr;
    QTimer *m_hoverTimer = nullptr;
    QPushButton *m_collapseButton = nullptr;
    QPushButton *m_viewToggle = nullptr;
    QPushButton *m_refreshButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QSizeGrip *m_grip = nullptr;
    QLineEdit *m_editor = nullptr;
    FrameController *m_frame = nullptr;
    ViewMode m_viewMode = Automatic;
    bool m_collapsed = false;
    int m_expandedHeight = 0;
    bool m_hovered = false;
    bool m_hideToTray = false;
    bool m_geometryRestored = false;
    bool m_needsRelayout = false;
    bool m_userPlaced = false;
    bool m_todoVisible = true;
    bool m_scrollHandleVisible = false;
    // Drag state over the view.
    QPoint m_dropPosition;
    bool m_internalDrag = false;
    int m_autoScrollDirection = 0;
};
