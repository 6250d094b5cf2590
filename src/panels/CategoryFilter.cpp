#include "CategoryFilter.h"

#include "shell/DesktopModel.h"

CategoryFilter::CategoryFilter(const QString &panelId, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_panelId(panelId)
{}

CategoryFilter::~CategoryFilter() = default;

bool CategoryFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QVariant panel = sourceModel()->index(sourceRow, 0, sourceParent).data(DesktopModel::PanelRole);
    return panel.isValid() && panel.toString() == m_panelId;
}
