#include "ItemDragView.h"

#include "frame/PanelStyle.h"
#include "look/AppStyle.h"
#include "panels/PanelMetrics.h"

#include <QDrag>
#include <QIcon>
#include <QMimeData>
#include <QResizeEvent>
#include <QScrollBar>

ItemDragView::ItemDragView(QWidget *parent)
    : QListView(parent)
{
    // Items draw their own plates (IconItemDelegate); the view itself is bare
    // text on the panel's body.
    QPalette palette = this->palette();
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::HighlightedText, QPalette::WindowText})
        palette.setColor(role, AppStyle::Palette::primaryText);
    palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(palette);
    QFont itemFont = font();
    itemFont.setPixelSize(PanelStyle::itemFontPixels);
    setFont(itemFont);
    viewport()->setAttribute(Qt::WA_Hover);

    m_marker = new QWidget(viewport());
    m_marker->setObjectName(QStringLiteral("itemDropMarker"));
    QPalette markerPalette = m_marker->palette();
    markerPalette.setColor(QPalette::Window, PanelStyle::dropMarkerColor);
    m_marker->setPalette(markerPalette);
    m_marker->setAutoFillBackground(true);
    m_marker->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_marker->hide();
}

ItemDragView::~ItemDragView() = default;

void ItemDragView::setDragHandler(DragHandler handler)
{
    m_dragHandler = std::move(handler);
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
