#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

// Draws one task: its round check mark, its title (struck out once done) on
// one or two lines, the day it was added and a separator.
class TodoDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TodoDelegate(QObject *parent = nullptr);
    ~TodoDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // A title is edited where it is drawn.
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

    // The width of the list's rows as the panel plans them. Views ask for size
    // hints with whatever rectangle they have at hand (often none, or a list
    // not yet laid out), so the rows' heights follow this width instead.
    void setRowWidth(int width) { m_rowWidth = width; }

    // The row whose title the selectable text overlay covers; its title is not drawn.
    void setCoveredRow(const QModelIndex &index) { m_covered = index; }
    QModelIndex coveredRow() const { return m_covered; }

    // "Today", "Yesterday" or the locale's short date.
    static QString dayLabel(const QDate &created, const QDate &today);

private:
    void paintTitle(QPainter *painter, const QRect &row, const QString &title,
                    Qt::LayoutDirection direction) const;
    void paintDate(QPainter *painter, const QRect &row, const QDate &created,
                   Qt::LayoutDirection direction) const;

    QPersistentModelIndex m_covered;
    int m_rowWidth = 0;
};
