#pragma once

#include <QSortFilterProxyModel>

// Selects the items of one panel: those whose panel id equals the panel's id.
class CategoryFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit CategoryFilter(const QString &panelId, QObject *parent = nullptr);
    ~CategoryFilter() override;

    QString panelId() const { return m_panelId; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    const QString m_panelId;
};
