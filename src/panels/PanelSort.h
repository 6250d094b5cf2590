#pragma once

#include <QCollator>
#include <QHash>
#include <QSortFilterProxyModel>
#include <QStringList>

// Orders one panel's items by desktop order, name, type or the user's manual
// order, optionally reversed, and keeps loose desktop items out. Reversing keeps
// folders (and manually placed items) on top.
class PanelSort : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    enum SortMode : int
    {
        Desktop = 0,
        Name = 1,
        Type = 2,
        Manual = 3
    };
    Q_ENUM(SortMode)

    explicit PanelSort(QObject *parent = nullptr);
    ~PanelSort() override;

    void setSortMode(SortMode mode, bool reversed);
    SortMode sortMode() const { return m_mode; }
    bool isReversed() const { return m_reversed; }

    // Empty keys and later duplicates are dropped.
    void setManualOrder(const QStringList &keys);
    QStringList manualOrder() const { return m_manualOrder; }

    // Moves the keys as one block before beforeKey (to the end when empty) and
    // switches to the manual order. False when nothing changed or a key is not shown here.
    bool moveKeys(const QStringList &keys, const QString &beforeKey);

    static SortMode sortModeFromKey(const QString &key);
    static QString sortModeKey(SortMode mode);
    static QString sortModeTitle(SortMode mode);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    SortMode m_mode = Desktop;
    bool m_reversed = false;
    QStringList m_manualOrder;
    QHash<QString, int> m_manualPositions;
    QCollator m_collator;
};
