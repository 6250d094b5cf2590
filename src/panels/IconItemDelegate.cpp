#include "IconItemDelegate.h"

#include <QListView>

IconItemDelegate::IconItemDelegate(QListView *view)
    : QStyledItemDelegate(view)
    , m_view(view)
{}

IconItemDelegate::~IconItemDelegate() = default;

QSize IconItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (m_view && m_view->gridSize().isValid())
        return m_view->gridSize();
    return QStyledItemDelegate::sizeHint(option, index);
}
