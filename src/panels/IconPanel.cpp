#include "IconPanel.h"

#include "base/AppStyle.h"
#include "base/SettingsKeys.h"
#include "base/l10n/L10n.h"
#include "categories/CategoryRules.h"
#include "panels/CategoryFilter.h"
#include "panels/GlyphEngine.h"
#include "panels/GuideOverlay.h"
#include "panels/IconItemDelegate.h"
#include "panels/ItemDragView.h"
#include "panels/PanelFrame.h"
#include "panels/PanelLayoutStore.h"
#include "panels/PanelSort.h"
#include "panels/ResizeGrip.h"
#include "panels/TidyLayout.h"
#include "shell/DesktopModel.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QSettings>
#include <QStyle>
#include <QTimer>

namespace {

constexpr int gripSize = 16;
constexpr int gripInset = 4;
constexpr int autoScrollMs = 75;
constexpr int autoScrollZone = 24;
constexpr int hoverPollMs = 150;
constexpr int listRowHeight = 32;

QStringList keysFrom(const QMimeData *mime)
{
    QStringList keys;
    const QStringList parts =
        QString::fromUtf8(mime->data(DesktopModel::itemMimeType())).split(QLatin1Char('\n'));
    for (const QString &part : parts) {
        if (!part.isEmpty())
            keys.append(part);
    }
    return keys;
}

// A drag is internal when every dragged item is one of this panel's own.
bool allShownHere(const QStringList &keys, const QStringList &shown)
{
    const QSet<QString> here(shown.cbegin(), shown.cend());
    return !keys.isEmpty() && std::all_of(keys.cbegin(), keys.cend(),
                                          [&here](const QString &key) { return here.contains(key); });
}

QString fontFamilies()
{
    return QStringLiteral("font-family: \"Segoe UI\", \"Microsoft YaHei UI\", \"Microsoft YaHei\";");
}

} // namespace

IconPanel::IconPanel(const Options &options, DesktopModel *model, CategoryFilter *filter,
                     const QString &title, const QString &settingsPrefix, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
    , m_options(options)
    , m_model(model)
    , m_filter(filter)
    , m_title(title)
    , m_settingsPrefix(settingsPrefix)
{
    m_frame = new FrameController(this);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    // Panels sit on the desktop; appearing must not take focus from the user's work.
    setAttribute(Qt::WA_ShowWithoutActivating);
    if (!m_options.opaque)
        setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    setWindowTitle(m_title);
    setProperty(PanelFrame::lockedProperty, false);

    const QString storedMode = setting(SettingsKeys::viewMode);
    if (storedMode == QLatin1String("grid"))
        m_viewMode = Grid;
    else if (storedMode == QLatin1String("list"))
        m_viewMode = List;
    if (m_viewMode != Automatic)
        m_options.listView = m_viewMode == List;

    QSettings settings;
    m_expandedHeight =
        settings.value(SettingsKeys::key(m_settingsPrefix, SettingsKeys::expandedHeight), 0).toInt();
    m_collapsed =
        settings.value(SettingsKeys::key(m_settingsPrefix, SettingsKeys::collapsed), false).toBool();

    buildUi();

    setMinimumWidth(minimumExpandedSize().width());
    applyHeightLimits();
    if (m_collapsed) {
        m_view->hide();
        resize(width(), metrics().collapsedHeight);
    }
    m_frame->setHorizontalResizeOnly(m_collapsed);
    updateGrip();
    updateCollapseButton();
    layoutChildren();
    update();
}

IconPanel::~IconPanel()
{
    storePanelGeometry();
}

const IconPanel::Metrics &IconPanel::metrics() const
{
    static const Metrics grid{44, 16, 26, 6, 16, 16, 16, 48, 18, 54};
    static const Metrics list{36, 12, 22, 4, 12, 12, 12, 40, 12, 46};
    return m_options.listView ? list : grid;
}

QString IconPanel::setting(QLatin1StringView key) const
{
    return QSettings().value(SettingsKeys::key(m_settingsPrefix, key)).toString();
}

QString IconPanel::panelId() const
{
    return m_settingsPrefix.startsWith(QLatin1String("panel/")) ? m_settingsPrefix.mid(6) : QString();
}

bool IconPanel::isCustomPanel() const
{
    const QString id = panelId();
    return !id.isEmpty() && PanelLayoutStore::isCustomPanel(id);
}

void IconPanel::buildUi()
{
    m_sort = new PanelSort(this);
    m_sort->setSourceModel(m_filter ? static_cast<QAbstractItemModel *>(m_filter.data()) : m_model);
    m_sort->setManualOrder(PanelLayoutStore::itemOrder(m_settingsPrefix));
    applyStoredSort();

    m_view = new ItemDragView(this);
    m_view->setModel(m_sort);
    m_view->setItemDelegate(new IconItemDelegate(m_view));
    m_view->setPresentation(m_options.listView, m_options.iconSize);
    connect(m_view, &QWidget::customContextMenuRequested, this, &IconPanel::showContextMenu);
    connect(m_view, &QAbstractItemView::activated, this, [this](const QModelIndex &index) {
        m_model->openItem(m_filter ? m_filter->mapToSource(m_sort->mapToSource(index))
                                   : m_sort->mapToSource(index));
        // The opened item keeps no highlight, as on the desktop itself.
        m_view->clearSelection();
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) {
                if (!selected.isEmpty())
                    Q_EMIT selectionActivated();
            });
    connect(m_sort, &QAbstractItemModel::modelReset, this, [this] {
        update();
        Q_EMIT contentsChanged(m_sort->rowCount());
    });
    connect(m_sort, &QAbstractItemModel::rowsInserted, this, [this] { update(); });
    connect(m_sort, &QAbstractItemModel::rowsRemoved, this, [this] { update(); });

    m_autoScrollTimer = new QTimer(this);
    m_autoScrollTimer->setInterval(autoScrollMs);
    connect(m_autoScrollTimer, &QTimer::timeout, this, &IconPanel::autoScrollTick);

    auto makeButton = [this](const char *name, const QString &style) {
        auto *button = new QPushButton(this);
        button->setObjectName(QLatin1String(name));
        button->setStyleSheet(style);
        button->setFocusPolicy(Qt::NoFocus);
        button->setIconSize(QSize(16, 16));
        return button;
    };
    m_collapseButton = makeButton("collapse", buttonStyleSheet());
    connect(m_collapseButton, &QPushButton::clicked, this, [this] { setCollapsed(!m_collapsed); });
    m_viewToggle = makeButton("viewToggle", buttonStyleSheet());
    connect(m_viewToggle, &QPushButton::clicked, this,
            [this] { setViewMode(m_options.listView ? Grid : List); });
    m_refreshButton = makeButton("refresh", buttonStyleSheet());
    m_refreshButton->setIcon(GlyphEngine::icon(GlyphEngine::Refresh));
    L10n::bind(m_refreshButton, "toolTip", "Read the desktop again");
    connect(m_refreshButton, &QPushButton::clicked, this, &IconPanel::refresh);
    m_closeButton = makeButton("close", closeButtonStyleSheet());
    m_closeButton->setIcon(GlyphEngine::icon(GlyphEngine::Bin));
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);

    m_editor = new QLineEdit(this);
    m_editor->setStyleSheet(editorStyleSheet());
    m_editor->setFrame(false);
    m_editor->hide();
    connect(m_editor, &QLineEdit::editingFinished, this, [this] { finishRename(true); });

    m_grip = new PanelResize::Grip(this);
    m_grip->setFixedSize(gripSize, gripSize);

    const QList<QWidget *> descendants = findChildren<QWidget *>();
    for (QWidget *child : descendants)
        child->installEventFilter(this);
    for (QPushButton *button : {m_collapseButton, m_viewToggle, m_refreshButton, m_closeButton})
        button->hide();
    m_view->verticalScrollBar()->setStyleSheet(scrollBarStyleSheet(false));

    m_hoverTimer = new QTimer(this);
    m_hoverTimer->setInterval(hoverPollMs);
    connect(m_hoverTimer, &QTimer::timeout, this, &IconPanel::updateHover);
    m_hoverTimer->start();
    L10n::onLanguageChanged(this, [this] {
        updateCollapseButton();
        updateViewToggle();
        updateCloseButton();
    });
    connect(m_view->verticalScrollBar(), &QScrollBar::rangeChanged, this, &IconPanel::updateHover);

    connect(m_frame, &FrameController::dragStarting, this, &IconPanel::storePanelGeometry);
    connect(m_frame, &FrameController::dragMoved, this, [this] {
        m_geometryRestored = true;
        m_userPlaced = true;
    });
    connect(m_frame, &FrameController::resizeStarted, this, [this] { m_userPlaced = true; });

    updateViewToggle();
    updateCloseButton();
}

void IconPanel::applyStoredSort()
{
    QSettings settings;
    const QString key = settings.value(SettingsKeys::key(m_settingsPrefix, SettingsKeys::sortKey)).toString();
    const bool reversed =
        settings.value(SettingsKeys::key(m_settingsPrefix, SettingsKeys::sortReversed), false).toBool();
    m_sort->setSortMode(PanelSort::sortModeFromKey(key), reversed);
}

void IconPanel::applyHeightLimits()
{
    if (m_collapsed) {
        setFixedHeight(metrics().collapsedHeight);
        return;
    }
    setMinimumHeight(minimumExpandedSize().height());
    setMaximumHeight(QWIDGETSIZE_MAX);
}

void IconPanel::updateGrip()
{
    const bool usable = !m_frame->isLocked() && !m_collapsed;
    m_grip->setEnabled(usable);
    m_grip->setVisible(usable);
}

void IconPanel::updateCollapseButton()
{
    m_collapseButton->setIcon(
        GlyphEngine::icon(m_collapsed ? GlyphEngine::ChevronRight : GlyphEngine::ChevronDown));
    m_collapseButton->setToolTip(m_collapsed ? L10n::text("Show this panel's items")
                                             : L10n::text("Roll up to just the title"));
}

void IconPanel::updateViewToggle()
{
    m_viewToggle->setIcon(GlyphEngine::icon(m_options.listView ? GlyphEngine::Grid : GlyphEngine::List));
    m_viewToggle->setToolTip(m_options.listView ? L10n::text("Show these as a grid")
                                                : L10n::text("Show these as a list"));
}

void IconPanel::updateCloseButton()
{
    m_closeButton->setToolTip(m_hideToTray ? L10n::text("Hide this panel - it stays in the tray")
                                           : L10n::text("Close, and put the real desktop icons back"));
}

QSize IconPanel::minimumExpandedSize() const
{
    return m_options.listView ? QSize(180, 84) : QSize(220, 148);
}

int IconPanel::collapseButtonLeft() const
{
    // The four hover buttons stand right-aligned in the title band, collapse first.
    const Metrics &m = metrics();
    return width() - m.buttonMargin - 4 * m.button - 3 * m.buttonGap;
}

void IconPanel::layoutChildren()
{
    const Metrics &m = metrics();
    const int w = width();
    const int h = height();
    const auto place = [this](QWidget *child, const QRect &r) {
        child->setGeometry(QStyle::visualRect(layoutDirection(), rect(), r));
    };

    int viewHeight = std::max(h - m.viewY - (m_options.listView ? 12 : 16), 0);
    const int rowHeight =
        m_options.listView ? listRowHeight : TidyLayout::gridCellSize(m_options.iconSize).height();
    if (viewHeight >= rowHeight)
        viewHeight = viewHeight / rowHeight * rowHeight;
    place(m_view, QRect(m.viewX, m.viewY, w - 2 * m.viewX, viewHeight));

    const int buttonY = (m.band - m.button) / 2;
    int x = w - m.buttonMargin - m.button;
    for (QPushButton *button : {m_closeButton, m_refreshButton, m_viewToggle, m_collapseButton}) {
        button->setFixedSize(m.button, m.button);
        button->setIconSize(QSize(m.buttonIcon, m.buttonIcon));
        place(button, QRect(x, buttonY, m.button, m.button));
        x -= m.button + m.buttonGap;
    }
    m_grip->move(w - gripInset - gripSize, h - gripInset - gripSize);
    m_grip->raise();
}

void IconPanel::setTitle(const QString &title)
{
    m_title = title;
    setWindowTitle(title);
    update();
}

void IconPanel::setCollapsed(bool collapsed)
{
    if (collapsed == m_collapsed)
        return;
    QSettings settings;
    if (collapsed) {
        m_expandedHeight = height();
        settings.setValue(SettingsKeys::key(m_settingsPrefix, SettingsKeys::expandedHeight),
                          m_expandedHeight);
    }
    m_collapsed = collapsed;
    m_frame->setHorizontalResizeOnly(collapsed);
    applyHeightLimits();
    if (collapsed) {
        m_view->hide();
        resize(width(), metrics().collapsedHeight);
    } else {
        m_view->show();
        resize(width(), std::max(minimumHeight(), m_expandedHeight));
    }
    updateGrip();
    updateCollapseButton();
    settings.setValue(SettingsKeys::key(m_settingsPrefix, SettingsKeys::collapsed), collapsed);
    layoutChildren();
    update();
}

void IconPanel::setViewMode(ViewMode mode)
{
    if (mode == m_viewMode)
        return;
    m_viewMode = mode;
    QSettings settings;
    const QString key = SettingsKeys::key(m_settingsPrefix, SettingsKeys::viewMode);
    if (mode == Automatic)
        settings.remove(key);
    else
        settings.setValue(key, mode == Grid ? QStringLiteral("grid") : QStringLiteral("list"));
    if (mode != Automatic && (mode == List) != m_options.listView)
        setListView(mode == List);
    updateViewToggle();
    Q_EMIT viewModeChanged();
}

void IconPanel::setListView(bool list)
{
    if (list == m_options.listView)
        return;
    m_options.listView = list;
    m_needsRelayout = true;
    setMinimumWidth(minimumExpandedSize().width());
    applyHeightLimits();
    m_view->setPresentation(list, m_options.iconSize);
    layoutChildren();
    updateViewToggle();
    update();
}

void IconPanel::setIconSize(int px)
{
    m_options.iconSize = px;
    m_view->setPresentation(m_options.listView, px);
    layoutChildren();
}

void IconPanel::setLayoutLocked(bool locked)
{
    if (locked)
        m_grip->releaseMouse();
    m_frame->setLocked(locked);
    updateGrip();
}

void IconPanel::setHideToTray(bool hide)
{
    m_hideToTray = hide;
    updateCloseButton();
}

void IconPanel::setGuideOverlay(GuideOverlay *overlay)
{
    m_frame->setGuideOverlay(overlay);
}

void IconPanel::setPeerProvider(FrameController::PeerProvider provider)
{
    m_frame->setPeerProvider(std::move(provider));
}

QSize IconPanel::gridPanelSize(int iconSize, int columns, int rows)
{
    const QSize cell = TidyLayout::gridCellSize(iconSize);
    return {std::max(cell.width() * std::max(columns, 1) + 44, 220),
            std::max(cell.height() * std::max(rows, 1) + 64, 148)};
}

int IconPanel::listPanelHeight(int itemCount)
{
    return TidyLayout::listNaturalHeight(itemCount);
}

QSize IconPanel::preferredSize(int maxHeight) const
{
    const int n = std::max(m_sort->rowCount(), 1);
    QSize size;
    if (m_options.listView) {
        size = QSize(260, listPanelHeight(n));
    } else {
        int columns = std::min(n, 3);
        while (columns < 3 && gridPanelSize(m_options.iconSize, columns, 1).width() <= 220)
            ++columns;
        const int rows = (n + columns - 1) / columns;
        size = gridPanelSize(m_options.iconSize, columns, rows);
    }
    const int minW = minimumExpandedSize().width();
    const int minH = minimumExpandedSize().height();
    const int height = m_collapsed ? metrics().collapsedHeight
                                   : std::max(minH, std::min(std::max(minH, maxHeight), size.height()));
    return {std::max(minW, size.width()), height};
}

void IconPanel::applyGeometry(const QRect &rect, bool userPlaced)
{
    QRect target = rect;
    if (m_collapsed) {
        m_expandedHeight = rect.height();
        target.setHeight(metrics().collapsedHeight);
    }
    setGeometry(target);
    m_geometryRestored = true;
    m_needsRelayout = false;
    m_userPlaced = userPlaced;
}

bool IconPanel::restorePanelGeometry()
{
    QSettings settings;
    const QRect stored = settings.value(SettingsKeys::key(m_settingsPrefix, SettingsKeys::geometry)).toRect();
    if (!stored.isValid())
        return false;
    bool onScreen = false;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens)
        onScreen = onScreen || stored.intersects(screen->availableGeometry());
    if (!onScreen)
        return false;
    QRect target = stored;
    if (m_collapsed) {
        // A rolled-up panel was saved at its title height; its full height is kept
        // separately and must not be replaced by the rolled-up one.
        if (stored.height() > metrics().collapsedHeight)
            m_expandedHeight = stored.height();
        target.setHeight(metrics().collapsedHeight);
    }
    setGeometry(target);
    m_geometryRestored = true;
    m_needsRelayout =
        settings.value(SettingsKeys::key(m_settingsPrefix, SettingsKeys::iconSize), 0).toInt() !=
            m_options.iconSize ||
        settings.value(SettingsKeys::key(m_settingsPrefix, SettingsKeys::layoutVersion), 0).toInt() !=
            layoutVersion;
    m_userPlaced =
        settings.value(SettingsKeys::key(m_settingsPrefix, SettingsKeys::userPlaced), false).toBool();
    return true;
}

void IconPanel::storePanelGeometry()
{
    if (PanelFrame::hasLockedPosition(this) || !m_geometryRestored)
        return;
    QSettings settings;
    settings.setValue(SettingsKeys::key(m_settingsPrefix, SettingsKeys::geometry), geometry());
    settings.setValue(SettingsKeys::key(m_settingsPrefix, SettingsKeys::iconSize), m_options.iconSize);
    settings.setValue(SettingsKeys::key(m_settingsPrefix, SettingsKeys::layoutVersion), layoutVersion);
    settings.setValue(SettingsKeys::key(m_settingsPrefix, SettingsKeys::userPlaced), m_userPlaced);
    settings.setValue(SettingsKeys::key(m_settingsPrefix, SettingsKeys::expandedHeight),
                      m_collapsed ? m_expandedHeight : height());
}

void IconPanel::beginRename()
{
    if (!isCustomPanel())
        return;
    const Metrics &m = metrics();
    const int x = m.glyphX + 24;
    const int y = m_options.listView ? 6 : 10;
    const int collapseLeft = collapseButtonLeft();
    const int rightLimit = m_collapseButton ? collapseLeft - 8 : width() - m.glyphX;
    m_editor->setGeometry(
        QStyle::visualRect(layoutDirection(), rect(), QRect(x, y, std::max(80, rightLimit - x), 24)));
    m_editor->setText(m_title);
    m_editor->selectAll();
    m_editor->show();
    m_editor->raise();
    m_editor->setFocus();
    update();
}

void IconPanel::finishRename(bool commit)
{
    if (!m_editor->isVisible())
        return;
    const QString text = m_editor->text().trimmed();
    m_editor->hide();
    update();
    if (commit && !text.isEmpty() && text != m_title)
        Q_EMIT renamePanelRequested(panelId(), text);
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

QStringList IconPanel::keysShownHere() const
{
    QStringList keys;
    for (int row = 0; row < m_sort->rowCount(); ++row)
        keys.append(m_sort->index(row, 0).data(DesktopModel::KeyRole).toString());
    return keys;
}

int IconPanel::firstCategory() const
{
    if (!m_filter || m_sort->rowCount() == 0)
        return SystemCategory;
    return m_sort->index(0, 0).data(DesktopModel::CategoryRole).toInt();
}

std::unique_ptr<QMenu> IconPanel::createContextMenu(QPoint viewportPosition)
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setStyleSheet(AppStyle::menuStyleSheet());

    const QModelIndex clicked = m_view->indexAt(viewportPosition);
    if (QAction *onTop = findChild<QAction *>(QLatin1String(PanelFrame::alwaysOnTopActionName))) {
        menu->addAction(onTop);
        menu->addSeparator();
    }
    if (clicked.isValid()) {
        // A persistent index: the model may reload while the menu is open.
        const QPersistentModelIndex item(m_filter ? m_filter->mapToSource(m_sort->mapToSource(clicked))
                                                  : m_sort->mapToSource(clicked));
        connect(menu->addAction(L10n::text("Open")), &QAction::triggered, this,
                [this, item] { m_model->openItem(item); });
        const QString path = m_model->itemPath(item);
        if (!path.isEmpty()) {
            connect(menu->addAction(L10n::text("Open file location")), &QAction::triggered, this,
                    [this, path] { m_model->openPath(QFileInfo(path).absolutePath()); });
        }
        connect(menu->addAction(L10n::text("Properties")), &QAction::triggered, this,
                [this, item] { m_model->invokeVerb(item, QStringLiteral("properties")); });
        menu->addSeparator();
    }

    QAction *todo = menu->addAction(L10n::text("Show To-do list"));
    todo->setCheckable(true);
    todo->setChecked(m_todoVisible);
    connect(todo, &QAction::toggled, this, &IconPanel::todoVisibilityRequested);
    connect(menu->addAction(L10n::text("New panel")), &QAction::triggered, this,
            [this] { Q_EMIT createPanelRequested(QString()); });
    if (isCustomPanel()) {
        connect(menu->addAction(L10n::text("Rename this panel")), &QAction::triggered, this,
                &IconPanel::beginRename);
        connect(menu->addAction(L10n::text("Remove this panel")), &QAction::triggered, this,
                [this] { Q_EMIT removePanelRequested(panelId()); });
    }

    menu->addSeparator();
    connect(menu->addAction(L10n::text("Edit categories...")), &QAction::triggered, this,
            [this] { m_model->openPath(categoriesFilePath()); });
    connect(menu->addAction(L10n::text("Refresh")), &QAction::triggered, this, &IconPanel::refresh);
    QAction *lock = menu->addAction(L10n::text("Lock layout"));
    lock->setCheckable(true);
    lock->setChecked(isLayoutLocked());
    connect(lock, &QAction::toggled, this, &IconPanel::layoutLockRequested);
    QAction *tidy = menu->addAction(L10n::text("Tidy panels"));
    tidy->setEnabled(!isLayoutLocked());
    connect(tidy, &QAction::triggered, this, &IconPanel::arrangeRequested);
    QAction *collapse = menu->addAction(L10n::text("Collapse"));
    collapse->setCheckable(true);
    collapse->setChecked(m_collapsed);
    connect(collapse, &QAction::toggled, this, &IconPanel::setCollapsed);

    // One exclusive, checkable entry of a submenu.
    const auto addChoice = [](QMenu *submenu, QActionGroup *group, const QString &text, bool checked) {
        QAction *action = submenu->addAction(text);
        action->setCheckable(true);
        action->setChecked(checked);
        group->addAction(action);
        return action;
    };

    QMenu *sortMenu = menu->addMenu(L10n::text("Sort by"));
    sortMenu->setStyleSheet(AppStyle::menuStyleSheet());
    auto *sortGroup = new QActionGroup(sortMenu);
    const PanelSort::SortMode current = m_sort->sortMode();
    for (PanelSort::SortMode mode :
         {PanelSort::Manual, PanelSort::Desktop, PanelSort::Name, PanelSort::Type}) {
        QAction *action = addChoice(sortMenu, sortGroup, PanelSort::sortModeTitle(mode), mode == current);
        connect(action, &QAction::triggered, this, [this, mode] {
            QSettings().setValue(SettingsKeys::key(m_settingsPrefix, SettingsKeys::sortKey),
                                 PanelSort::sortModeKey(mode));
            applyStoredSort();
        });
    }
    sortMenu->addSeparator();
    QAction *reversed = sortMenu->addAction(L10n::text("Reversed"));
    reversed->setCheckable(true);
    reversed->setChecked(m_sort->isReversed());
    connect(reversed, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue(SettingsKeys::key(m_settingsPrefix, SettingsKeys::sortReversed), on);
        applyStoredSort();
    });

    QMenu *showAs = menu->addMenu(L10n::text("Show as"));
    showAs->setStyleSheet(AppStyle::menuStyleSheet());
    auto *viewGroup = new QActionGroup(showAs);
    const struct
    {
        const char *text;
        ViewMode mode;
    } modes[] = {{QT_TRANSLATE_NOOP("Brimvale", "Grid"), Grid},
                 {QT_TRANSLATE_NOOP("Brimvale", "List"), List},
                 {QT_TRANSLATE_NOOP("Brimvale", "Automatic"), Automatic}};
    for (const auto &entry : modes) {
        QAction *action = addChoice(showAs, viewGroup, L10n::text(entry.text), entry.mode == m_viewMode);
        const ViewMode mode = entry.mode;
        connect(action, &QAction::triggered, this, [this, mode] { setViewMode(mode); });
    }

    QMenu *sizes = menu->addMenu(L10n::text("Icon size"));
    sizes->setStyleSheet(AppStyle::menuStyleSheet());
    auto *sizeGroup = new QActionGroup(sizes);
    const struct
    {
        const char *text;
        int pixels;
    } sizeEntries[] = {{QT_TRANSLATE_NOOP("Brimvale", "Small"), 32},
                       {QT_TRANSLATE_NOOP("Brimvale", "Medium"), 48},
                       {QT_TRANSLATE_NOOP("Brimvale", "Large"), 96}};
    for (const auto &entry : sizeEntries) {
        QAction *action =
            addChoice(sizes, sizeGroup, L10n::text(entry.text), entry.pixels == m_options.iconSize);
        const int pixels = entry.pixels;
        connect(action, &QAction::triggered, this, [this, pixels] { Q_EMIT iconSizeRequested(pixels); });
    }

    // The real-icon switch and start at sign-in are wired when their controllers exist.
    QAction *realIcons = menu->addAction(L10n::text("Show the real desktop icons"));
    realIcons->setCheckable(true);
    realIcons->setEnabled(false);
    QAction *autostart = menu->addAction(L10n::text("Start with Windows"));
    autostart->setCheckable(true);
    autostart->setEnabled(false);

    menu->addSeparator();
    connect(menu->addAction(L10n::text("Quit")), &QAction::triggered, this,
            [] { QCoreApplication::exit(0); });
    return menu;
}

void IconPanel::showContextMenu(QPoint viewportPosition)
{
    const std::unique_ptr<QMenu> menu = createContextMenu(viewportPosition);
    menu->exec(m_view->viewport()->mapToGlobal(viewportPosition));
}

void IconPanel::dragMovedOverView(QDropEvent *event)
{
    if (!event->mimeData()->hasFormat(DesktopModel::itemMimeType())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    m_internalDrag = allShownHere(keysFrom(event->mimeData()), keysShownHere());
    m_dropPosition = event->position().toPoint();
    if (m_internalDrag)
        m_view->showDropMarker(m_view->dropRowAt(m_dropPosition));
    else
        m_view->hideDropMarker();

    const int y = m_dropPosition.y();
    m_autoScrollDirection = y < autoScrollZone                                  ? -1
                            : y > m_view->viewport()->height() - autoScrollZone ? 1
                                                                                : 0;
    if (m_autoScrollDirection != 0 && m_view->verticalScrollBar()->maximum() > 0)
        m_autoScrollTimer->start();
    else
        m_autoScrollTimer->stop();
}

void IconPanel::droppedOnView(QDropEvent *event)
{
    if (!event->mimeData()->hasFormat(DesktopModel::itemMimeType())) {
        event->ignore();
        return;
    }
    m_view->hideDropMarker();
    stopAutoScroll();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const QStringList keys = keysFrom(event->mimeData());
    const QStringList shown = keysShownHere();
    if (!allShownHere(keys, shown)) {
        Q_EMIT itemsDropped(keys, isCustomPanel() ? panelId() : QString());
        return;
    }
    const int row = m_view->dropRowAt(event->position().toPoint());
    const QString anchor = row >= shown.size() ? QString() : shown.at(row);
    // The drag's own event handling still runs on this stack; reorder afterwards.
    QTimer::singleShot(0, this, [this, keys, anchor] {
        if (!m_sort->moveKeys(keys, anchor))
            return;
        PanelLayoutStore::setItemOrder(m_settingsPrefix, m_sort->manualOrder());
        QSettings settings;
        settings.setValue(SettingsKeys::key(m_settingsPrefix, SettingsKeys::sortKey),
                          QStringLiteral("manual"));
        settings.setValue(SettingsKeys::key(m_settingsPrefix, SettingsKeys::sortReversed), false);
        m_view->clearSelection();
        const QSet<QString> moved(keys.cbegin(), keys.cend());
        for (int r = 0; r < m_sort->rowCount(); ++r) {
            const QModelIndex index = m_sort->index(r, 0);
            if (moved.contains(index.data(DesktopModel::KeyRole).toString()))
                m_view->selectionModel()->select(index, QItemSelectionModel::Select);
        }
    });
}

void IconPanel::stopAutoScroll()
{
    m_autoScrollTimer->stop();
    m_autoScrollDirection = 0;
}

void IconPanel::autoScrollTick()
{
    QScrollBar *bar = m_view->verticalScrollBar();
    bar->setValue(bar->value() + m_autoScrollDirection * std::max(m_options.iconSize / 3, 8));
    if (m_internalDrag)
        m_view->showDropMarker(m_view->dropRowAt(m_dropPosition));
}

bool IconPanel::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Enter || type == QEvent::Leave)
        updateHover();

    if (watched == m_view->viewport()) {
        switch (type) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            dragMovedOverView(static_cast<QDropEvent *>(event));
            return true;
        case QEvent::DragLeave:
            m_view->hideDropMarker();
            stopAutoScroll();
            return true;
        case QEvent::Drop:
            droppedOnView(static_cast<QDropEvent *>(event));
            return true;
        case QEvent::MouseButtonPress: {
            Q_EMIT selectionActivated();
            const auto *press = static_cast<QMouseEvent *>(event);
            if (!m_view->indexAt(press->position().toPoint()).isValid()) {
                m_view->clearSelection();
                m_view->setCurrentIndex(QModelIndex());
            }
            return false;
        }
        default:
            return false;
        }
    }

    if (watched == m_grip) {
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
            type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
            return false;
        if (m_frame->isLocked())
            return true;
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint global = mouse->globalPosition().toPoint();
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
            m_frame->beginResize(Qt::RightEdge | Qt::BottomEdge, global);
        else if (type == QEvent::MouseMove)
            m_frame->resizeTo(global);
        else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton)
            m_frame->endResize();
        return true;
    }

    if (watched == m_editor && type == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        finishRename(false);
        return true;
    }
    return false;
}

void IconPanel::updateHover()
{
    const QPoint cursor = QCursor::pos();
    const QWidget *under = QApplication::widgetAt(cursor);
    const bool hovered = isVisible() && rect().contains(mapFromGlobal(cursor)) && under &&
                         (under == this || isAncestorOf(under));
    if (hovered != m_hovered) {
        m_hovered = hovered;
        for (QPushButton *button : {m_collapseButton, m_viewToggle, m_refreshButton, m_closeButton})
            button->setVisible(hovered);
    }
    const bool handle = m_hovered && m_view->verticalScrollBar()->maximum() > 0;
    if (handle != m_scrollHandleVisible) {
        m_scrollHandleVisible = handle;
        m_view->verticalScrollBar()->setStyleSheet(scrollBarStyleSheet(handle));
    }
}

void IconPanel::paintEvent(QPaintEvent *)
{
    const Metrics &m = metrics();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    QColor fill(0x1c, 0x1f, 0x26);
    fill.setAlpha(m_options.opaque ? 255 : m_options.alpha * 255 / 100);
    QColor border(0x6a, 0x74, 0x88);
    border.setAlpha(m_options.opaque ? 255 : 200);
    painter.setPen(QPen(border, 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(0.5, 0.5, width() - 1, height() - 1), m.radius, m.radius);

    const auto mirrored = [this](const QRectF &r) {
        return layoutDirection() == Qt::RightToLeft
                   ? QRectF(width() - r.right(), r.top(), r.width(), r.height())
                   : r;
    };
    drawCategoryGlyph(&painter, firstCategory(), mirrored(QRectF(m.glyphX, (m.band - 16) / 2, 16, 16)));

    if (m_editor->isVisible())
        return;
    QFont badgeFont = font();
    badgeFont.setPixelSize(11);
    const QString count = QLocale().toString(m_sort->rowCount());
    const int badgeWidth = std::max(QFontMetrics(badgeFont).horizontalAdvance(count) + 12, 22);

    QFont titleFont = font();
    titleFont.setPixelSize(13);
    titleFont.setWeight(QFont::DemiBold);
    const int titleX = m.glyphX + 24;
    const int collapseLeft = collapseButtonLeft();
    const QFontMetrics titleMetrics(titleFont);
    const QString title = titleMetrics.elidedText(m_title, Qt::ElideRight,
                                                  std::max(0, collapseLeft - 16 - titleX - badgeWidth));
    const int titleWidth = titleMetrics.horizontalAdvance(title);
    painter.setFont(titleFont);
    painter.setPen(QColor(0xf2, 0xf4, 0xf8));
    const Qt::Alignment leading = layoutDirection() == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft;
    painter.drawText(mirrored(QRectF(titleX, 0, titleWidth, m.band)), int(leading | Qt::AlignVCenter), title);

    const QRectF badge = mirrored(QRectF(titleX + titleWidth + 8, (m.band - 20) / 2, badgeWidth, 20));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 18));
    painter.drawRoundedRect(badge, 10, 10);
    painter.setFont(badgeFont);
    painter.setPen(QColor(0xc2, 0xcb, 0xdb));
    painter.drawText(badge, Qt::AlignCenter, count);
}

void IconPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
}

void IconPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_view->clearSelection();
    if (!m_frame->mousePressed(event))
        QWidget::mousePressEvent(event);
}

void IconPanel::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_frame->mouseMoved(event))
        QWidget::mouseMoveEvent(event);
}

void IconPanel::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_frame->mouseReleased(event))
        QWidget::mouseReleaseEvent(event);
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

void IconPanel::leaveEvent(QEvent *event)
{
    m_frame->pointerLeft();
    updateHover();
    QWidget::leaveEvent(event);
}

void IconPanel::contextMenuEvent(QContextMenuEvent *event)
{
    showContextMenu(m_view->viewport()->mapFrom(this, event->pos()));
}

void IconPanel::closeEvent(QCloseEvent *event)
{
    if (m_hideToTray) {
        storePanelGeometry();
        event->ignore();
        hide();
        Q_EMIT hiddenToTray();
        return;
    }
    event->accept();
    QCoreApplication::exit(0);
}

QString IconPanel::buttonStyleSheet()
{
    return QStringLiteral("QPushButton { background: rgba(255, 255, 255, 26); color: #f2f4f8; border: none;"
                          " border-radius: 8px; font-size: 12px; font-weight: 600; ") +
           fontFamilies() +
           QStringLiteral(" }"
                          "QPushButton:hover { background: rgba(255, 255, 255, 52); }"
                          "QPushButton:pressed { background: rgba(255, 255, 255, 20); }");
}

QString IconPanel::closeButtonStyleSheet()
{
    return QStringLiteral("QPushButton { background: rgba(255, 255, 255, 26); color: #f2f4f8; border: none;"
                          " border-radius: 8px; font-size: 12px; font-weight: 600; ") +
           fontFamilies() +
           QStringLiteral(" }"
                          "QPushButton:hover { background: #c03b3b; }"
                          "QPushButton:pressed { background: #8f2c2c; }");
}

QString IconPanel::editorStyleSheet()
{
    return QStringLiteral("QLineEdit { background: rgba(255, 255, 255, 26); color: #f2f4f8;"
                          " border: 1px solid #4a5262; border-radius: 6px; padding: 0px 6px;"
                          " font-size: 13px; font-weight: 600; selection-background-color: #2f6fed; ") +
           fontFamilies() + QStringLiteral(" }");
}

QString IconPanel::scrollBarStyleSheet(bool handleVisible)
{
    const QString handle =
        handleVisible ? QStringLiteral("rgba(255, 255, 255, 60)") : QStringLiteral("transparent");
    const QString hover =
        handleVisible ? QStringLiteral("rgba(255, 255, 255, 110)") : QStringLiteral("transparent");
    return QStringLiteral(
               "QScrollBar:vertical { background: transparent; width: 10px; margin: 0px; }"
               "QScrollBar::handle:vertical { background: %1; border-radius: 5px; min-height: 32px; }"
               "QScrollBar::handle:vertical:hover { background: %2; }"
               "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0px; }"
               "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
        .arg(handle, hover);
}
