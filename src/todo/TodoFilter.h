#pragma once

#include <QSortFilterProxyModel>

// The to-do list as the panel shows it: every task, or only the active ones
// while completed tasks are hidden. It never sorts.
class TodoFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit TodoFilter(QObject *parent = nullptr);
    ~TodoFilter() override;

    bool hideCompleted() const { return m_hideCompleted; }
    // Re-filters only when the value changes.
    void setHideCompleted(bool hide);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    bool m_hideCompleted = false;
};
