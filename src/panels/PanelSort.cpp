#include "PanelSort.h"

#include "base/l10n/L10nText.h"
#include "panels/PanelLayoutStore.h"
#include "shell/DesktopModel.h"
#include "shell/NaturalOrder.h"

#include <QSet>

PanelSort::PanelSort(QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_collator(naturalCollator())
{}

PanelSort::~PanelSort() = default;

void PanelSort::setSortMode(SortMode mode, bool reversed)
{
    m_mode = mode;
    m_reversed = reversed;
    if (mode == Desktop && !reversed) {
        sort(-1);
        return;
    }
    sort(0, reversed ? Qt::DescendingOrder : Qt::AscendingOrder);
    invalidate();
}

void PanelSort::setManualOrder(const QStringList &keys)
{
    m_manualOrder.clear();
    m_manualPositions.clear();
    for (const QString &key : keys) {
        if (key.isEmpty() || m_manualPositions.contains(key))
            continue;
        m_manualPositions.insert(key, int(m_manualOrder.size()));
        m_manualOrder.append(key);
    }
    if (m_mode == Manual)
        invalidate();
}

bool PanelSort::moveKeys(const QStringList &keys, const QString &beforeKey)
{
    QStringList current;
    current.reserve(rowCount());
    for (int row = 0; row < rowCount(); ++row)
        current.append(index(row, 0).data(DesktopModel::KeyRole).toString());
    const QSet<QString> shown(current.cbegin(), current.cend());

    QSet<QString> moving;
    for (const QString &key : keys) {
        if (key.isEmpty() || !shown.contains(key))
            return false;
        moving.insert(key);
    }
    if (moving.isEmpty())
        return false;
    if (!beforeKey.isEmpty() && (!shown.contains(beforeKey) || moving.contains(beforeKey)))
        return false;

    QStringList remaining;
    QStringList block;
    for (const QString &key : std::as_const(current))
        (moving.contains(key) ? block : remaining).append(key);
    const qsizetype at = beforeKey.isEmpty() ? remaining.size() : remaining.indexOf(beforeKey);
    QStringList result = remaining;
    for (qsizetype i = 0; i < block.size(); ++i)
        result.insert(at + i, block.at(i));
    if (result == current)
        return false;

    setManualOrder(result);
    m_mode = Manual;
    m_reversed = false;
    sort(0, Qt::AscendingOrder);
    invalidate();
    return true;
}

PanelSort::SortMode PanelSort::sortModeFromKey(const QString &key)
{
    if (key == QLatin1String("name"))
        return Name;
    if (key == QLatin1String("type"))
        return Type;
    if (key == QLatin1String("manual"))
        return Manual;
    return Desktop;
}

QString PanelSort::sortModeKey(SortMode mode)
{
    switch (mode) {
    case Name:
        return QStringLiteral("name");
    case Type:
        return QStringLiteral("type");
    case Manual:
        return QStringLiteral("manual");
    case Desktop:
        break;
    }
    return QStringLiteral("desktop");
}

QString PanelSort::sortModeTitle(SortMode mode)
{
    switch (mode) {
    case Name:
        return L10n::text("Name");
    case Type:
        return L10n::text("Type");
    case Manual:
        return L10n::text("Manual order");
    case Desktop:
        break;
    }
    return L10n::text("Desktop order");
}

bool PanelSort::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    return index.data(DesktopModel::PanelRole).toString() != PanelLayoutStore::desktopPanelId();
}

bool PanelSort::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    switch (m_mode) {
    case Desktop:
        return left.row() < right.row();
    case Manual: {
        const auto l = m_manualPositions.constFind(left.data(DesktopModel::KeyRole).toString());
        const auto r = m_manualPositions.constFind(right.data(DesktopModel::KeyRole).toString());
        const bool lPlaced = l != m_manualPositions.constEnd();
        const bool rPlaced = r != m_manualPositions.constEnd();
        // Qt sorts descending when reversed; flipping the answer for "placed
        // versus unplaced" keeps placed items first either way.
        if (lPlaced != rPlaced)
            return m_reversed ? rPlaced : lPlaced;
        if (lPlaced && l.value() != r.value())
            return l.value() < r.value();
        return left.row() < right.row();
    }
    case Name:
    case Type: {
        const bool lFolder = left.data(DesktopModel::FolderRole).toBool();
        const bool rFolder = right.data(DesktopModel::FolderRole).toBool();
        if (lFolder != rFolder)
            return m_reversed ? rFolder : lFolder;
        if (m_mode == Type) {
            const QString lSuffix = left.data(DesktopModel::SuffixRole).toString();
            const QString rSuffix = right.data(DesktopModel::SuffixRole).toString();
            if (lSuffix != rSuffix)
                return m_collator.compare(lSuffix, rSuffix) < 0;
        }
        return m_collator.compare(left.data(Qt::DisplayRole).toString(),
                                  right.data(Qt::DisplayRole).toString()) < 0;
    }
    }
    return false;
}
