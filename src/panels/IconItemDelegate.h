#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class QListView;

// Paints items with the styled delegate and makes each occupy exactly one grid cell.
class IconItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit IconItemDelegate(QListView *view);
    ~IconItemDelegate() override;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QPointer<QListView> m_view;
};
