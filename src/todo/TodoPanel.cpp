#include "TodoPanel.h"

#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "base/l10n/L10n.h"
#include "frame/GlyphButton.h"
#include "frame/HoverTracker.h"
#include "frame/PanelFrame.h"
#include "frame/PanelScrollStyle.h"
#include "frame/PanelStyle.h"
#include "frame/ResizeGrip.h"
#include "frame/ScreenFit.h"
#include "todo/TodoContextMenu.h"
#include "todo/TodoDelegate.h"
#include "todo/TodoFilter.h"
#include "todo/TodoListInput.h"
#include "todo/TodoMetrics.h"
#include "todo/TodoModel.h"
#include "todo/TodoStyle.h"
#include "todo/TodoTextSelection.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextEdit>
#include <QVBoxLayout>

TodoPanel::TodoPanel(TodoModel *model, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
    , m_model(model)
    , m_filter(new TodoFilter(this))
    , m_frame(new FrameController(this))
    , m_hover(new HoverTracker(this))
{
    setObjectName(QStringLiteral("todoPanel"));
    L10n::bind(this, "windowTitle", "To-do");
    PanelFrame::prepareWindow(this, false);
    setMinimumSize(TodoMetrics::minimumWidth, TodoMetrics::minimumHeight);
    m_filter->setSourceModel(m_model);
    m_hideCompleted = Settings::instance()->value(SettingsKeys::todoHideCompleted).toBool();
    m_filter->setHideCompleted(m_hideCompleted);

    buildContent();
    m_frame->attachGrip(m_grip);
    m_frame->setGeometryStore([this] {
        if (geometry().isValid())
            Settings::instance()->setValue(SettingsKeys::todoGeometry, geometry());
    });
    // The width decides which titles wrap, so the height follows it (before the geometry is written).
    connect(m_frame, &FrameController::resizeFinished, this, &TodoPanel::refreshState);

    m_hover->watchChildren();
    connect(m_hover, &HoverTracker::hoverChanged, this, &TodoPanel::hoverChanged);
    m_closeButton->hide();
    connectModel();

    L10n::onLanguageChanged(this, [this] {
        refreshState();
        layoutChildren();
        m_list->viewport()->update();
        update();
    });
    PanelScrollStyle::apply(m_list->verticalScrollBar());
    refreshState();
}

TodoPanel::~TodoPanel()
{
    savePanelGeometry();
    // QWidget's destructor still hides the window; the tracker must not report
    // that to this half-destroyed panel.
    disconnect(m_hover, nullptr, this, nullptr);
}

void TodoPanel::buildContent()
{
    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("todoBody"));
    auto *column = new QVBoxLayout(m_body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *inputRow = new QHBoxLayout;
    inputRow->setSpacing(2);
    m_addButton = TodoStyle::createAddButton(m_body);
    m_addButton->setObjectName(QStringLiteral("todoAdd"));
    L10n::bind(m_addButton, "accessibleName", "Add task");
    L10n::bind(m_addButton, "toolTip", "Add task");
    m_addButton->setFixedWidth(28);
    m_input = new QLineEdit(m_body);
    TodoStyle::styleInput(m_input);
    m_input->setObjectName(QStringLiteral("todoInput"));
    L10n::bind(m_input, "accessibleName", "New to-do task");
    L10n::bind(m_input, "placeholderText", "Add task");
    m_input->setMaxLength(TodoMetrics::maxInputLength);
    m_input->setFixedHeight(38);
    inputRow->addWidget(m_addButton);
    inputRow->addWidget(m_input);
    column->addLayout(inputRow);

    m_saveStatus = new QLabel(m_body);
    TodoStyle::styleSaveStatus(m_saveStatus);
    m_saveStatus->setObjectName(QStringLiteral("todoSaveStatus"));
    L10n::bind(m_saveStatus, "text", "Not saved: changes will be lost on exit");
    m_saveStatus->setVisible(!m_model->isSaved());
    column->addWidget(m_saveStatus);

    m_list = new QListView(m_body);
    TodoStyle::styleList(m_list);
    m_list->setObjectName(QStringLiteral("todoList"));
    L10n::bind(m_list, "accessibleName", "To-do tasks");
    m_delegate = new TodoDelegate(m_list);
    m_delegate->setRowWidth(rowWidth());
    m_list->setItemDelegate(m_delegate);
    m_list->setModel(m_filter);
    m_list->setUniformItemSizes(false);
    m_list->setMouseTracking(true);
    // F2 edits the current task's title; a double-click on it does too (see TodoListInput).
    m_list->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    column->addWidget(m_list);

    m_emptyLabel = new QLabel(m_body);
    TodoStyle::styleEmptyLabel(m_emptyLabel);
    m_emptyLabel->setObjectName(QStringLiteral("todoEmpty"));
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    column->addWidget(m_emptyLabel, 1);

    auto *footer = new QHBoxLayout;
    footer->addStretch();
    m_completedToggle = TodoStyle::createCompletedToggle(m_body);
    m_completedToggle->setObjectName(QStringLiteral("todoCompletedToggle"));
    footer->addWidget(m_completedToggle);
    column->addLayout(footer);

    m_closeButton = GlyphButton::createClose(this);
    m_closeButton->setObjectName(QStringLiteral("todoClose"));
    m_closeButton->setFixedSize(TodoMetrics::closeEdge, TodoMetrics::closeEdge);
    L10n::bind(m_closeButton, "toolTip", "Hide the to-do list");
    L10n::bind(m_closeButton, "accessibleName", "Hide the to-do list");

    m_grip = new PanelResize::Grip(this);
    m_grip->setFixedSize(TodoMetrics::gripEdge, TodoMetrics::gripEdge);

    m_selection = new TodoTextSelection(m_list, m_delegate);
    m_listInput = new TodoListInput(m_list, m_filter, m_model, m_selection);
}

void TodoPanel::connectModel()
{
    connect(m_input, &QLineEdit::returnPressed, this, &TodoPanel::addFromInput);
    connect(m_addButton, &QPushButton::clicked, this, &TodoPanel::addFromInput);
    connect(m_completedToggle, &QPushButton::clicked, this, &TodoPanel::toggleHideCompleted);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_model, &TodoModel::countsChanged, this, &TodoPanel::refreshState);
    connect(m_model, &TodoModel::rowsInserted, this, &TodoPanel::refreshState);
    connect(m_model, &TodoModel::rowsRemoved, this, &TodoPanel::refreshState);
    connect(m_model, &TodoModel::modelReset, this, &TodoPanel::refreshState);
    connect(m_model, &TodoModel::savedChanged, this, [this](bool saved) {
        m_saveStatus->setVisible(!saved);
        refreshState();
    });
    connect(m_filter, &TodoFilter::modelAboutToBeReset, m_selection, &TodoTextSelection::end);
    connect(m_filter, &TodoFilter::rowsAboutToBeRemoved, m_selection, &TodoTextSelection::end);
    connect(m_filter, &TodoFilter::rowsAboutToBeInserted, m_selection, &TodoTextSelection::end);
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, m_selection, &TodoTextSelection::end);
    connect(m_list->verticalScrollBar(), &QScrollBar::rangeChanged, this, &TodoPanel::updateScrollBarStyle);
    connect(m_list, &QListView::customContextMenuRequested, this, &TodoPanel::showContextMenu);
    connect(m_selection, &TodoTextSelection::menuRequested, this, &TodoPanel::showContextMenu);
}

QTextEdit *TodoPanel::taskText() const
{
    return m_selection->textBox();
}

QWidget *TodoPanel::grip() const
{
    return m_grip;
}

void TodoPanel::addFromInput()
{
    const QString text = m_input->text();
    if (text.trimmed().isEmpty())
        return;
    m_model->addTask(text);
    m_input->clear();
    m_input->setFocus(Qt::OtherFocusReason);
}

void TodoPanel::toggleHideCompleted()
{
    m_hideCompleted = !m_hideCompleted;
    m_filter->setHideCompleted(m_hideCompleted);
    Settings::instance()->setValue(SettingsKeys::todoHideCompleted, m_hideCompleted);
    refreshState();
}

void TodoPanel::refreshState()
{
    const int shown = m_filter->rowCount();
    m_list->setVisible(shown > 0);
    m_emptyLabel->setVisible(shown == 0);
    const int completed = m_model->completedCount();
    m_emptyLabel->setText(m_hideCompleted && completed > 0 ? L10n::text("Completed tasks hidden")
                                                           : L10n::text("Nothing to do\nAdd a task above"));
    m_completedToggle->setVisible(completed >= 1);
    m_completedToggle->setText(m_hideCompleted ? L10n::text("Show completed") : L10n::text("Hide completed"));
    fitHeight();
    update();
}

int TodoPanel::rowWidth() const
{
    return std::max(width() - 36, 120);
}

int TodoPanel::fittingHeight() const
{
    const int rows = std::min(m_filter->rowCount(), TodoMetrics::visibleRows);
    int content = rows == 0 ? TodoMetrics::emptyContentHeight : 0;
    for (int row = 0; row < rows; ++row)
        content += TodoMetrics::rowHeight(m_filter->index(row, 0).data().toString(), rowWidth());
    int height = TodoMetrics::chromeHeight + content;
    if (m_model->completedCount() > 0)
        height += m_completedToggle->sizeHint().height();
    if (!m_saveStatus->isHidden())
        height += m_saveStatus->heightForWidth(width() - 2 * TodoMetrics::bodyX);
    return height;
}

void TodoPanel::fitHeight()
{
    const int height = fittingHeight();
    if (height != this->height())
        resize(width(), height);
}

void TodoPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    TodoStyle::paint(&painter, chrome());
}

TodoStyle::Chrome TodoPanel::chrome() const
{
    return {size(), layoutDirection() == Qt::RightToLeft, !m_composited, L10n::text("To-do"),
            m_model->activeCount()};
}

void TodoPanel::layoutChildren()
{
    const int w = width();
    const int h = height();
    m_closeButton->setGeometry(QStyle::visualRect(
        layoutDirection(), rect(), QRect(w - 40, 9, TodoMetrics::closeEdge, TodoMetrics::closeEdge)));
    m_body->setGeometry(TodoMetrics::bodyX, TodoMetrics::bodyY, w - 2 * TodoMetrics::bodyX,
                        h - TodoMetrics::bodyY - TodoMetrics::bodyBottom);
    m_grip->setGeometry(w - 20, h - 20, TodoMetrics::gripEdge, TodoMetrics::gripEdge);
}

void TodoPanel::resizeEvent(QResizeEvent *event)
{
    m_selection->end();
    layoutChildren();
    if (!m_composited)
        setMask(PanelStyle::bodyShape(size(), false));
    // Row heights depend on the width; the list lays its rows out again.
    m_delegate->setRowWidth(rowWidth());
    m_list->doItemsLayout();
    QWidget::resizeEvent(event);
}

void TodoPanel::closeEvent(QCloseEvent *event)
{
    savePanelGeometry();
    event->ignore();
    hide();
    Q_EMIT hideRequested();
}

void TodoPanel::hideEvent(QHideEvent *event)
{
    // However the panel goes (its close button, hide all, the menus), it comes back where it was.
    savePanelGeometry();
    QWidget::hideEvent(event);
}

void TodoPanel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LayoutDirectionChange) {
        layoutChildren();
        update();
    }
    QWidget::changeEvent(event);
}

void TodoPanel::hoverChanged(bool hovered)
{
    m_closeButton->setVisible(hovered);
    updateScrollBarStyle();
}

void TodoPanel::updateScrollBarStyle()
{
    QScrollBar *bar = m_list->verticalScrollBar();
    PanelScrollStyle::setHandleShown(bar, m_hover->isHovered() && bar->maximum() > bar->minimum());
}

void TodoPanel::showContextMenu(QPoint viewportPosition)
{
    if (std::unique_ptr<QMenu> menu = TodoContextMenu::create(this, viewportPosition))
        menu->exec(m_list->viewport()->mapToGlobal(viewportPosition));
}

void TodoPanel::setGuideOverlay(GuideOverlay *overlay)
{
    m_frame->setGuideOverlay(overlay);
}

void TodoPanel::setPeerRectsProvider(FrameController::PeerProvider provider)
{
    m_frame->setPeerProvider(std::move(provider));
}

void TodoPanel::setLayoutLocked(bool locked)
{
    m_frame->setLocked(locked);
}

bool TodoPanel::isLayoutLocked() const
{
    return m_frame->isLocked();
}

void TodoPanel::setCompositing(bool composited)
{
    if (composited == m_composited)
        return;
    m_composited = composited;
    // The window keeps its alpha channel either way: its kind is chosen once,
    // when it is made, and a compositing manager that arrives later needs it.
    if (composited)
        clearMask();
    else
        setMask(PanelStyle::bodyShape(size(), false));
    update();
}

void TodoPanel::savePanelGeometry()
{
    m_frame->storeGeometry();
}

void TodoPanel::restorePanelGeometry(const QRect &defaultRect)
{
    const QRect stored = Settings::instance()->value(SettingsKeys::todoGeometry).toRect();
    bool onScreen = false;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens)
        onScreen = onScreen || stored.intersects(screen->availableGeometry());
    // Screens change between runs: a list that no longer fits is pulled inside.
    setGeometry(stored.isValid() && onScreen
                    ? ScreenFit::fitInside(stored, ScreenFit::availableAreas(), minimumSize())
                    : defaultRect);
    refreshState();
}
