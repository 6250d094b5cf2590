#include "QuickSearch.h"

#include "base/l10n/L10n.h"
#include "frame/CompositorShape.h"
#include "frame/PanelStyle.h"
#include "panels/SearchTrigger.h"
#include "search/SearchDelegate.h"
#include "search/SearchFilter.h"
#include "search/SearchGeometry.h"
#include "search/SearchKeys.h"
#include "search/SearchStyle.h"

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int emptyLabelHeight = 64;

QScreen *screenOf(const QWidget *widget)
{
    if (!widget)
        return QGuiApplication::primaryScreen();
    // Where the widget lies, which is also right for a window just moved to another screen.
    if (QScreen *screen = QGuiApplication::screenAt(widget->mapToGlobal(widget->rect().center())))
        return screen;
    return widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
}

} // namespace

QuickSearch::QuickSearch(QAbstractItemModel *model, CompositorWatch *compositor)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint)
    , m_shape(new CompositorShape(this, compositor, [](QSize size) {
        return PanelStyle::roundedShape(size, SearchStyle::windowRadius);
    }))
{
    setObjectName(QStringLiteral("quickSearch"));
    setAttribute(Qt::WA_QuitOnClose, false);

    m_filter = new SearchFilter(this);
    m_filter->setSourceModel(model);
    m_filter->sort(0, Qt::AscendingOrder);

    buildUi();

    connect(m_input, &QLineEdit::textChanged, this, &QuickSearch::textChanged);
    connect(m_results, &QAbstractItemView::doubleClicked, this, &QuickSearch::activateCurrent);
    // The count and the list's height follow the desktop while the window is open.
    connect(m_filter, &QAbstractItemModel::modelReset, this, &QuickSearch::refreshStatus);
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, &QuickSearch::refreshStatus);
    connect(m_filter, &QAbstractItemModel::rowsRemoved, this, &QuickSearch::refreshStatus);
    connect(m_filter, &QAbstractItemModel::layoutChanged, this, &QuickSearch::refreshStatus);
    L10n::onLanguageChanged(this, [this] {
        refreshStatus();
        // Each row's category line is translated text.
        m_results->viewport()->update();
    });
    m_input->installEventFilter(this);
    // Keys the field leaves alone reach the window; during a composition they
    // must not close it.
    installEventFilter(this);
    refreshStatus();
}

QuickSearch::~QuickSearch() = default;

void QuickSearch::buildUi()
{
    setStyleSheet(SearchStyle::styleSheet());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(10);

    auto *header = new QHBoxLayout;
    auto *title = new QLabel(this);
    title->setObjectName(QStringLiteral("searchTitle"));
    L10n::bind(title, "text", "Quick search");
    auto *scope = new QLabel(this);
    L10n::bind(scope, "text", "All panels");
    header->addWidget(title);
    header->addStretch();
    header->addWidget(scope);
    layout->addLayout(header);

    m_input = new QLineEdit(this);
    m_input->setObjectName(QStringLiteral("quickSearchInput"));
    m_input->setClearButtonEnabled(true);
    // Qt's clear button shows only a glyph; its action gives it a name to read out.
    if (auto *clear = m_input->findChild<QAction *>(QStringLiteral("_q_qlineeditclearaction")))
        L10n::bind(clear, "text", "Clear search");
    L10n::bind(m_input, "accessibleName", "Search desktop icons");
    L10n::bind(m_input, "placeholderText", "Search all desktop icons...");
    layout->addWidget(m_input);

    m_results = new QListView(this);
    m_results->setObjectName(QStringLiteral("quickSearchResults"));
    L10n::bind(m_results, "accessibleName", "Search results");
    m_results->setItemDelegate(new SearchDelegate(m_results));
    m_results->setModel(m_filter);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The keyboard stays in the field; the list follows Up and Down from there.
    m_results->setFocusPolicy(Qt::NoFocus);
    m_results->setMouseTracking(true);
    m_results->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_results->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Every row has the delegate's one size; the list need not ask thousands of rows.
    m_results->setUniformItemSizes(true);
    layout->addWidget(m_results);

    m_emptyLabel = new QLabel(this);
    m_emptyLabel->setObjectName(QStringLiteral("quickSearchEmpty"));
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    m_emptyLabel->setFixedHeight(emptyLabelHeight);
    layout->addWidget(m_emptyLabel);

    auto *footer = new QHBoxLayout;
    m_countLabel = new QLabel(this);
    m_countLabel->setObjectName(QStringLiteral("quickSearchCount"));
    auto *hint = new QLabel(this);
    L10n::bind(hint, "text", "Up/Down to select   Enter to open   Esc to close");
    footer->addWidget(m_countLabel);
    footer->addStretch();
    footer->addWidget(hint);
    layout->addLayout(footer);

    L10n::bind(this, "windowTitle", "Quick search");
}

void QuickSearch::start(QWidget *source, const SearchTrigger &trigger)
{
    showFor(source, trigger.text);
    trigger.continueComposition(m_input);
}

void QuickSearch::showFor(QWidget *source, const QString &initialText)
{
    m_source = source;
    m_composing = false;
    m_searchArea = SearchGeometry::searchArea(screenOf(source)->availableGeometry());
    setFixedWidth(SearchGeometry::windowWidth(m_searchArea));
    m_input->setText(initialText);
    m_input->end(false);
    selectFirst();
    refreshStatus();
    move(SearchGeometry::windowPosition(m_searchArea, size()));
    show();
    raise();
    activateWindow();
    m_input->setFocus(Qt::PopupFocusReason);
}

void QuickSearch::textChanged(const QString &text)
{
    m_filter->setQuery(text);
    selectFirst();
    refreshStatus();
}

void QuickSearch::selectFirst()
{
    m_results->setCurrentIndex(m_filter->index(0, 0));
    m_results->scrollToTop();
}

void QuickSearch::refreshStatus()
{
    const int count = m_filter->rowCount();
    m_results->setVisible(count > 0);
    m_emptyLabel->setVisible(count == 0);
    m_emptyLabel->setText(m_input->text().trimmed().isEmpty() ? L10n::text("Start typing an icon's name")
                                                              : L10n::text("No matching icons"));
    m_countLabel->setText(L10n::text("Matches: %1").arg(QLocale().toString(count)));
    if (count > 0 && !m_results->currentIndex().isValid())
        m_results->setCurrentIndex(m_filter->index(0, 0));
    m_results->setFixedHeight(SearchGeometry::visibleRows(count, m_searchArea) * SearchGeometry::rowHeight);
    layout()->activate();
    adjustSize();
}

void QuickSearch::activateCurrent()
{
    const QModelIndex chosen = m_filter->mapToSource(m_results->currentIndex());
    if (!chosen.isValid())
        return;
    const QPersistentModelIndex kept(chosen);
    hide();
    if (kept.isValid())
        Q_EMIT openRequested(kept);
}

void QuickSearch::dismiss(bool returnFocus)
{
    hide();
    if (!returnFocus || !m_source || !m_source->isVisible())
        return;
    m_source->window()->activateWindow();
    m_source->setFocus(Qt::PopupFocusReason);
}

bool QuickSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this)
        return m_composing && event->type() == QEvent::KeyPress;
    if (watched != m_input)
        return false;
    if (event->type() == QEvent::InputMethod) {
        m_composing = !static_cast<QInputMethodEvent *>(event)->preeditString().isEmpty();
        return false;
    }
    if (event->type() == QEvent::KeyPress)
        return handleKey(static_cast<QKeyEvent *>(event));
    return false;
}

bool QuickSearch::handleKey(QKeyEvent *event)
{
    const auto [effect, row] = SearchKeys::press(event->key(), event->isAutoRepeat(), m_composing,
                                                 m_results->currentIndex().row(), m_filter->rowCount());
    if (effect == SearchKeys::Effect::Close)
        dismiss(true);
    else if (effect == SearchKeys::Effect::Open)
        activateCurrent();
    else if (effect == SearchKeys::Effect::Choose) {
        m_results->setCurrentIndex(m_filter->index(row, 0));
        m_results->scrollTo(m_results->currentIndex(), QAbstractItemView::EnsureVisible);
    }
    return effect != SearchKeys::Effect::PassOn;
}

void QuickSearch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(SearchStyle::windowBorder, 1));
    // Without a compositing manager the window is cut to its outline and paints solid.
    QColor fill = SearchStyle::windowFill;
    if (!m_shape->isComposited())
        fill.setAlpha(255);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), SearchStyle::windowRadius,
                            SearchStyle::windowRadius);
}

void QuickSearch::hideEvent(QHideEvent *event)
{
    m_composing = false;
    QWidget::hideEvent(event);
}
