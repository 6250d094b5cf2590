#include "IconItemDelegate.h"

#include "base/NameElide.h"
#include "frame/PanelStyle.h"

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
    item.text = shownText(item, option.rect);
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
}

QString IconItemDelegate::shownText(const QStyleOptionViewItem &item, const QRect &cell)
{
    const QWidget *widget = item.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    // The style insets its text box by this margin on both sides.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect box = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    // Wrapped names take the lines that fit between the text's top and the
    // cell's bottom, past the plate; the style would otherwise keep a long word on one line.
    const int spacing = std::max(QFontMetrics(item.font).lineSpacing(), 1);
    const int maxLines = item.features & QStyleOptionViewItem::WrapText
                             ? std::max((cell.bottom() + 1 - box.top()) / spacing, 1)
                             : 1;
    return NameElide::lines(item.font, item.text, box.width() - 2 * margin, maxLines)
        .join(QChar::LineSeparator);
}
