#include "IconItemDelegate.h"

#include "panels/PanelStyle.h"

#include <QApplication>
#include <QListView>
#include <QPainter>

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

void IconItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const bool list = m_view && m_view->viewMode() == QListView::ListMode;
    item.rect = PanelStyle::paintItemPlate(painter, option.rect, list, option.state & QStyle::State_Selected,
                                           option.state & QStyle::State_MouseOver);
    // The plate shows the state; the style draws the icon (tinted while
    // selected) and the text, without a highlight or focus frame of its own.
    item.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
    item.palette.setColor(QPalette::Highlight, Qt::transparent);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
}
