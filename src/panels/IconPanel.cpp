#include "IconPanel.h"

#include "base/l10n/L10n.h"
#include "categories/CategoryRules.h"
#include "frame/HoverTracker.h"
#include "frame/PanelFrame.h"
#include "frame/ResizeGrip.h"
#include "frame/TitleButtons.h"
#include "frame/TitleEditor.h"
#include "look/AppStyle.h"
#include "panels/ItemDragView.h"
#include "panels/PanelContent.h"
#include "panels/PanelLayoutStore.h"
#include "panels/PanelMenu.h"
#include "panels/PanelMetrics.h"
#include "panels/PanelSort.h"
#include "shell/DesktopModel.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMetaMethod>
#include <QPainter>
#include <QStyle>
#include <QTimer>

namespace {

constexpr int gripSize = 16;
constexpr int gripInset = 4;
// Placements made for the user (tidying, a new panel, another icon size or
// view) are written this long after the last of a burst: an arrangement moves
// every panel at once, and a kill soon after must not bring back the old places.
constexpr int storeDelayMs = 300;

} // namespace

IconPanel::IconPanel(const Options &options, DesktopModel *model, CategoryFilter *filter,
                     const QString &title, const QString &settingsPrefix, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
    , m_options(options)
    , m_model(model)
    , m_title(title)
    , m_settings(settingsPrefix)
    , m_geometry(this, &m_settings)
{
    m_frame = new FrameController(this);
    m_storeSoon = new QTimer(this);
    m_storeSoon->setSingleShot(true);
    m_storeSoon->setInterval(storeDelayMs);
    connect(m_storeSoon, &QTimer::timeout, this, &IconPanel::storePanelGeometry);
    PanelFrame::prepareWindow(this, m_options.opaque);
    setWindowTitle(m_title);

    if (const std::optional<bool> list = m_settings.listView()) {
        m_viewMode = *list ? List : Grid;
        m_options.listView = *list;
    }

    buildUi(filter);
    applyPresentation();
    applyRollUp();
}

IconPanel::~IconPanel()
{
    storePanelGeometry();
    // QWidget's destructor still hides the window and takes the focus from an
    // open title editor: neither the hover tracker nor the editor may report
    // that to this half-destroyed panel.
    disconnect(m_hover, nullptr, this, nullptr);
    disconnect(m_editor, nullptr, this, nullptr);
    disconnect(m_content, nullptr, this, nullptr);
}

PanelStyle::Chrome IconPanel::chrome() const
{
    return {.size = size(),
            .list = m_options.listView,
            .rightToLeft = layoutDirection() == Qt::RightToLeft,
            .alphaPercent = m_options.alpha,
            .opaque = paintsSolid(),
            // A folder panel shows a folder, whatever lies in it first.
            .category = PanelLayoutStore::panelFolder(panelId()).isEmpty() ? m_content->firstCategory()
                                                                           : int(FoldersCategory),
            .title = m_title,
            .titleShown = !m_editor->isEditing(),
            .count = m_sort->rowCount(),
            .buttonCount = m_buttons->count(),
            .buttonsShown = m_hover->isHovered()};
}

QString IconPanel::shownTitle() const
{
    return PanelStyle::shownTitle(chrome(), font());
}

QString IconPanel::panelId() const
{
    const QString prefix = m_settings.prefix();
    return prefix.startsWith(QLatin1String("panel/")) ? prefix.mid(6) : QString();
}

bool IconPanel::isCustomPanel() const
{
    const QString id = panelId();
    return !id.isEmpty() && PanelLayoutStore::isCustomPanel(id);
}

void IconPanel::buildUi(CategoryFilter *filter)
{
    // Typing into the title editor names the panel, and typing searches only
    // when someone carries the search out.
    m_content = new PanelContent(
        this, m_model, filter, m_settings.prefix(), m_options.listView, m_options.iconSize, [this] {
            return !m_editor->isEditing() &&
                   isSignalConnected(QMetaMethod::fromSignal(&IconPanel::searchRequested));
        });
    m_sort = m_content->sort();
    m_view = m_content->view();
    // The item list is read out under the panel's name.
    m_view->setAccessibleName(m_title);
    applyStoredSort();
    connect(m_view, &QWidget::customContextMenuRequested, this, &IconPanel::showContextMenu);
    connect(m_content, &PanelContent::selectionActivated, this, &IconPanel::selectionActivated);
    connect(m_content, &PanelContent::searchRequested, this, &IconPanel::searchRequested);
    // The title band shows the count and the first item's category.
    connect(m_content, &PanelContent::itemsChanged, this, qOverload<>(&QWidget::update));
    connect(m_content, &PanelContent::itemsDropped, this,
            [this](const QStringList &keys, Qt::KeyboardModifiers modifiers) {
                Q_EMIT itemsDropped(keys, isCustomPanel() ? panelId() : QString(), modifiers);
            });

    m_buttons = new TitleButtons(
        this, {TitleButtons::Collapse, TitleButtons::ViewToggle, TitleButtons::Refresh, TitleButtons::Close});
    m_buttons->setListView(m_options.listView);
    connect(m_buttons, &TitleButtons::clicked, this, [this](TitleButtons::Button button) {
        if (button == TitleButtons::Collapse)
            setCollapsed(!isCollapsed());
        else if (button == TitleButtons::ViewToggle)
            setViewMode(m_options.listView ? Grid : List);
        else if (button == TitleButtons::Refresh)
            refresh();
        else
            close();
    });

    m_editor = new TitleEditor(this);
    connect(m_editor, &TitleEditor::closed, this, qOverload<>(&QWidget::update));
    connect(m_editor, &TitleEditor::nameCommitted, this,
            [this](const QString &name) { Q_EMIT renamePanelRequested(panelId(), name); });

    m_grip = new PanelResize::Grip(this);
    m_grip->setFixedSize(gripSize, gripSize);
    m_frame->attachGrip(m_grip);

    m_hover = new HoverTracker(this);
    m_hover->watchChildren();
    connect(m_hover, &HoverTracker::hoverChanged, this, &IconPanel::hoverChanged);

    connect(m_frame, &FrameController::dragMoved, this, [this] { m_geometry.setMoved(); });
    connect(m_frame, &FrameController::resizeStarted, this, [this] { m_geometry.setUserPlaced(); });
    // Written as soon as the user lets go: a crash or a kill must not undo it.
    m_frame->setGeometryStore([this] { m_geometry.store(m_options.listView, m_options.iconSize); });
}

void IconPanel::applyStoredSort()
{
    m_sort->setSortMode(m_settings.sortMode(), m_settings.isSortReversed());
}

void IconPanel::applyPresentation()
{
    setMinimumWidth(minimumExpandedSize().width());
    m_geometry.applyHeightLimits(m_options.listView);
    // Lists have a lower title band; the window drags only by the band it shows.
    m_frame->setTitleBandHeight(metrics().band);
}

void IconPanel::layoutChildren()
{
    const PanelStyle::Metrics &m = metrics();
    const int w = width();
    const int h = height();
    const auto place = [this](QWidget *child, const QRect &r) {
        child->setGeometry(QStyle::visualRect(layoutDirection(), rect(), r));
    };

    int viewHeight = std::max(h - m.viewY - m.viewBottom, 0);
    const int rowHeight = m_options.listView ? PanelMetrics::listRowHeight
                                             : PanelMetrics::gridCellSize(m_options.iconSize).height();
    if (viewHeight >= rowHeight)
        viewHeight = viewHeight / rowHeight * rowHeight;
    place(m_view, QRect(m.viewX, m.viewY, w - 2 * m.viewX, viewHeight));
    if (m_notice)
        m_notice->setGeometry(m_view->geometry());

    m_buttons->layout(m);
    m_grip->move(w - gripInset - gripSize, h - gripInset - gripSize);
    m_grip->raise();
}

void IconPanel::setTitle(const QString &title)
{
    m_title = title;
    setWindowTitle(title);
    m_view->setAccessibleName(title);
    update();
}

int IconPanel::expandedHeight() const
{
    return m_geometry.expandedHeight(m_options.listView);
}

QRect IconPanel::expandedGeometry() const
{
    return QRect(pos(), QSize(width(), expandedHeight()));
}

void IconPanel::setCollapsed(bool collapsed)
{
    if (m_geometry.setCollapsed(collapsed))
        applyRollUp();
}

void IconPanel::applyRollUp()
{
    const bool collapsed = isCollapsed();
    m_frame->setHorizontalResizeOnly(collapsed);
    m_geometry.applyHeightLimits(m_options.listView);
    m_view->setVisible(!collapsed);
    if (m_notice)
        m_notice->setVisible(!collapsed && !m_notice->text().isEmpty());
    m_geometry.applyRollUpHeight(m_options.listView);
    m_buttons->setCollapsed(collapsed);
    layoutChildren();
    update();
}

void IconPanel::setViewMode(ViewMode mode)
{
    if (mode == m_viewMode)
        return;
    m_viewMode = mode;
    m_settings.setListView(mode == Automatic ? std::nullopt : std::optional<bool>(mode == List));
    if (mode != Automatic && (mode == List) != m_options.listView)
        setListView(mode == List);
    Q_EMIT viewModeChanged();
}

void IconPanel::setListView(bool list)
{
    if (list == m_options.listView)
        return;
    m_options.listView = list;
    m_geometry.setNeedsRelayout(true);
    applyPresentation();
    m_content->setPresentation(list, m_options.iconSize);
    layoutChildren();
    m_buttons->setListView(list);
    update();
}

void IconPanel::setIconSize(int px)
{
    m_options.iconSize = px;
    m_content->setPresentation(m_options.listView, px);
    layoutChildren();
    // The stored place belongs to the size it was stored with.
    m_storeSoon->start();
}

void IconPanel::setHideToTray(bool hide)
{
    m_hideToTray = hide;
    m_buttons->setHideToTray(hide);
}

QSize IconPanel::preferredSize(int maxHeight) const
{
    return PanelMetrics::preferredSize(m_options.listView, m_options.iconSize, m_sort->rowCount(), maxHeight);
}

void IconPanel::applyGeometry(const QRect &rect, bool userPlaced)
{
    m_geometry.place(rect, m_options.listView, userPlaced);
    m_storeSoon->start();
}

bool IconPanel::restorePanelGeometry()
{
    return m_geometry.restore(m_options.listView, m_options.iconSize);
}

void IconPanel::storePanelGeometry()
{
    m_storeSoon->stop();
    m_frame->storeGeometry();
}

void IconPanel::beginRename()
{
    if (!isCustomPanel())
        return;
    const PanelStyle::Metrics &m = metrics();
    const int x = PanelStyle::titleX(m);
    const int y = (m.band - 24) / 2;
    // The editor lies over the hover buttons and spans the band, with the
    // glyph's margin at its far end, so a name of any length has room.
    const int rightLimit = width() - m.glyphX;
    m_editor->edit(QRect(x, y, std::max(80, rightLimit - x), 24), m_title);
    update();
}

QModelIndex IconPanel::sourceIndex(const QModelIndex &viewIndex) const
{
    return m_content->sourceIndex(viewIndex);
}

int IconPanel::itemCount() const
{
    return m_sort->rowCount();
}

void IconPanel::clearSelection()
{
    m_view->clearSelection();
}

void IconPanel::refresh()
{
    m_model->reload();
}

std::unique_ptr<QMenu> IconPanel::createContextMenu(QPoint viewportPosition)
{
    return PanelMenu::create(this, viewportPosition);
}

void IconPanel::showContextMenu(QPoint viewportPosition)
{
    // The platform's own menu for items where it has one; else the program's,
    // whose shared entries mirror state that can change behind its back.
    if (PanelMenu::showPlatformMenu(this, viewportPosition))
        return;
    Q_EMIT sharedActionsRefreshRequested();
    const std::unique_ptr<QMenu> menu = createContextMenu(viewportPosition);
    menu->exec(m_view->viewport()->mapToGlobal(viewportPosition));
}

void IconPanel::hoverChanged(bool hovered)
{
    m_buttons->setShown(hovered);
    m_content->setHovered(hovered);
    // The title takes the buttons' room while they are hidden.
    update();
}

void IconPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PanelStyle::paint(&painter, chrome(), font());
}

void IconPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
    applyShape();
}

void IconPanel::setCompositing(bool composited)
{
    if (composited == m_composited)
        return;
    m_composited = composited;
    applyShape();
    update();
}

void IconPanel::applyShape()
{
    if (!paintsSolid()) {
        clearMask();
        return;
    }
    setMask(PanelStyle::bodyShape(size(), m_options.listView));
}

void IconPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_view->clearSelection();
    QWidget::mousePressEvent(event);
}

void IconPanel::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && pos.y() < metrics().band && !m_frame->edgesAt(pos) &&
        isCustomPanel()) {
        beginRename();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void IconPanel::contextMenuEvent(QContextMenuEvent *event)
{
    showContextMenu(m_view->viewport()->mapFrom(this, event->pos()));
}

void IconPanel::keyPressEvent(QKeyEvent *event)
{
    // Reached when the panel itself has the focus, or a child left the key alone.
    if (!m_content->startSearch(this, event))
        QWidget::keyPressEvent(event);
}

void IconPanel::closeEvent(QCloseEvent *event)
{
    // The window stays; whoever owns the panels decides what closing means.
    event->ignore();
    if (m_hideToTray) {
        storePanelGeometry();
        hide();
        Q_EMIT hiddenToTray();
        return;
    }
    Q_EMIT quitRequested();
}

void IconPanel::setSharedActions(const QList<QAction *> &actions)
{
    m_sharedActions.clear();
    for (QAction *action : actions)
        m_sharedActions.append(action);
}

QList<QAction *> IconPanel::sharedActions() const
{
    QList<QAction *> actions;
    for (const QPointer<QAction> &action : m_sharedActions) {
        if (action)
            actions.append(action);
    }
    return actions;
}

void IconPanel::setNewPanelActions(const QList<QAction *> &actions)
{
    m_newPanelActions.clear();
    for (QAction *action : actions)
        m_newPanelActions.append(action);
}

QList<QAction *> IconPanel::newPanelActions() const
{
    QList<QAction *> actions;
    for (const QPointer<QAction> &action : m_newPanelActions) {
        if (action)
            actions.append(action);
    }
    return actions;
}

void IconPanel::setNotice(const QString &text)
{
    if (!m_notice && text.isEmpty())
        return;
    if (!m_notice) {
        m_notice = new QLabel(this);
        m_notice->setAlignment(Qt::AlignCenter);
        AppStyle::setTextColor(m_notice, PanelStyle::noticeColor);
        m_notice->setWordWrap(true);
        m_notice->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_notice->setGeometry(m_view->geometry());
    }
    m_notice->setText(text);
    m_notice->setVisible(!text.isEmpty() && !isCollapsed());
}

QString IconPanel::notice() const
{
    return m_notice ? m_notice->text() : QString();
}
