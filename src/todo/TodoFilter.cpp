#include "TodoFilter.h"

#include "todo/TodoModel.h"

TodoFilter::TodoFilter(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(true);
}

TodoFilter::~TodoFilter() = default;

void TodoFilter::setHideCompleted(bool hide)
{
    if (hide == m_hideCompleted)
        return;
    m_hideCompleted = hide;
    invalidateFilter();
}

bool TodoFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (!m_hideCompleted)
        return true;
    return !sourceModel()->index(sourceRow, 0, sourceParent).data(TodoModel::CompletedRole).toBool();
}
