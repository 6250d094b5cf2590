#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class QListView;

// Paints an item on its plate (PanelStyle) with the style's icon and text, and
// makes each item occupy exactly one grid cell.
class IconItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit IconItemDelegate(QListView *view);
    ~IconItemDelegate() override;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    // The name as the item shows it in the style's text box: wrapped over the
    // lines that fit in the cell when the view wraps, the end elided.
    static QString shownText(const QStyleOptionViewItem &item, const QRect &cell);

private:
    QPointer<QListView> m_view;
};
