#include "ItemDragView.h"

#include "base/AppStyle.h"
#include "panels/PanelMetrics.h"

#include <QDrag>
#include <QIcon>
#include <QMimeData>
#include <QResizeEvent>
#include <QScrollBar>

ItemDragView::ItemDragView(QWidget *parent)
    : QListView(parent)
{
    m_marker = new QWidget(viewport());
    m_marker->setObjectName(QStringLiteral("itemDropMarker"));
    m_marker->setStyleSheet(QStringLiteral("background: #91ABC9; border-radius: 1px;"));
    m_marker->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_marker->setAttribute(Qt::WA_StyledBackground);
    m_marker->hide();
    setStyleSheet(viewStyleSheet());
}

ItemDragView::~ItemDragView() = default;

void ItemDragView::setDragHandler(DragHandler handler)
{
    m_dragHandler = std::move(handler);
}

QString ItemDragView::viewStyleSheet()
{
    return QStringLiteral(
               "QListView { background: transparent; border: none; outline: none; color: %1; %2"
               " font-size: 12px; }"
               "QListView::item { border-radius: 8px; border: 1px solid transparent; margin: 4px;"
               " padding: 8px 6px 6px 6px; }"
               "QListView::item:hover { background: rgba(255, 255, 255, 18); }"
               "QListView::item:selected { background: rgba(79, 139, 237, 42);"
               " border-color: rgba(126, 174, 247, 155); }"
               "QListView::item:selected:hover { background: rgba(79, 139, 237, 58);"
               " border-color: rgba(151, 191, 250, 190); }"
               "QListView[compact=\"true\"]::item { margin: 2px 0px; padding: 3px 6px; border-radius: 6px; }")
        .arg(AppStyle::css(AppStyle::Palette::primaryText), AppStyle::fontFamilyDeclaration());
}

void ItemDragView::setPresentation(bool list, int iconSize)
{
    m_list = list;
    m_iconSize = iconSize;
    setViewMode(list ? QListView::ListMode : QListView::IconMode);
    setFlow(list ? QListView::TopToBottom : QListView::LeftToRight);
    setWrapping(!list);
    setWordWrap(!list);
    setMovement(QListView::Static);
    setProperty("compact", list);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSpacing(0);
    setTextElideMode(Qt::ElideRight);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    viewport()->setAcceptDrops(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::ArrowCursor);
    viewport()->setAttribute(Qt::WA_InputMethodEnabled);
    const int edge = list ? PanelMetrics::listIconSize : iconSize;
    setIconSize(QSize(edge, edge));
    // The "compact" property changes which item rules apply; re-polish so they do.
    style()->unpolish(this);
    style()->polish(this);
    updateGridSize();
}

void ItemDragView::updateGridSize()
{
    const QSize cell = m_list ? QSize(std::max(viewport()->width(), 1), PanelMetrics::listRowHeight)
                              : PanelMetrics::gridCellSize(m_iconSize);
    if (gridSize() != cell)
        setGridSize(cell);
}

void ItemDragView::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    updateGridSize();
}

int ItemDragView::dropRowAt(QPoint position) const
{
    const QAbstractItemModel *items = model();
    const int count = items ? items->rowCount() : 0;
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    for (int row = 0; row < count; ++row) {
        const QRect r = visualRect(items->index(row, 0));
        if (m_list) {
            if (position.y() <= r.center().y())
                return row;
            continue;
        }
        if (position.y() < r.top())
            return row;
        if (position.y() <= r.bottom()) {
            if (rightToLeft ? position.x() >= r.center().x() : position.x() <= r.center().x())
                return row;
            if (row == count - 1)
                return count;
            if (visualRect(items->index(row + 1, 0)).top() > r.top())
                return row + 1;
        }
    }
    return count;
}

void ItemDragView::showDropMarker(int row)
{
    const int count = model() ? model()->rowCount() : 0;
    if (count <= 0) {
        m_marker->hide();
        return;
    }
    const QRect r = visualRect(model()->index(std::min(row, count - 1), 0));
    QRect bar;
    if (m_list) {
        bar = QRect(r.left() + 3, row < count ? r.top() : r.bottom() - 1, std::max(r.width() - 6, 2), 2);
    } else {
        const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
        const bool leading = rightToLeft ? row >= count : row < count;
        bar = QRect(leading ? r.left() : r.right() - 1, r.top() + 3, 2, std::max(r.height() - 6, 2));
    }
    bar = bar.intersected(viewport()->rect());
    m_marker->setGeometry(bar);
    m_marker->setVisible(!bar.isEmpty());
    m_marker->raise();
}

void ItemDragView::hideDropMarker()
{
    m_marker->hide();
}

void ItemDragView::startDrag(Qt::DropActions supportedActions)
{
    if (!m_dragHandler) {
        QListView::startDrag(supportedActions);
        return;
    }
    const QModelIndexList indexes = selectedIndexes();
    if (indexes.isEmpty() || !model())
        return;
    QMimeData *mime = model()->mimeData(indexes);
    if (!mime)
        return;
    const QIcon icon = indexes.first().data(Qt::DecorationRole).value<QIcon>();
    const QPixmap pixmap = icon.pixmap(iconSize(), QIcon::Normal, QIcon::Off);
    m_dragHandler(this, mime, pixmap);
}
