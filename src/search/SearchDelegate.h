#pragma once

#include <QStyledItemDelegate>

// One search result: the item's icon, its name and below it where it shows.
class SearchDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    ~SearchDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The line under the name: the custom panel the user put the item in, else its category.
    static QString placeText(const QModelIndex &index);
};
