#include "SearchFilter.h"

#include "base/l10n/L10n.h"

#include <algorithm>
#include <numeric>

SearchFilter::SearchFilter(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    // The alphabetical order is the language's.
    L10n::onLanguageChanged(this, [this] {
        if (QLocale() == m_rankLocale)
            return;
        m_ranksValid = false;
        if (!m_terms.isEmpty())
            invalidate();
    });
}

SearchFilter::~SearchFilter() = default;

void SearchFilter::setSourceModel(QAbstractItemModel *model)
{
    for (const QMetaObject::Connection &connection : std::as_const(m_sourceConnections))
        disconnect(connection);
    m_sourceConnections.clear();
    sourceChanged();
    // Connected before the base class connects its own handlers, so that the
    // kept names are dropped before it filters and sorts the changed rows.
    if (model) {
        m_sourceConnections = {
            connect(model, &QAbstractItemModel::modelReset, this, &SearchFilter::sourceChanged),
            connect(model, &QAbstractItemModel::layoutChanged, this, &SearchFilter::sourceChanged),
            connect(model, &QAbstractItemModel::rowsInserted, this, &SearchFilter::sourceChanged),
            connect(model, &QAbstractItemModel::rowsRemoved, this, &SearchFilter::sourceChanged),
            connect(model, &QAbstractItemModel::rowsMoved, this, &SearchFilter::sourceChanged),
            connect(model, &QAbstractItemModel::dataChanged, this,
                    [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                        // New icons arrive in bursts and change nothing here.
                        if (roles.isEmpty() || roles.contains(Qt::DisplayRole))
                            sourceChanged();
                    }),
        };
    }
    QSortFilterProxyModel::setSourceModel(model);
}

void SearchFilter::sourceChanged()
{
    m_rowsValid = false;
    m_ranksValid = false;
}

void SearchFilter::setQuery(const QString &text)
{
    m_query = text.simplified();
    m_terms = m_query.split(u' ', Qt::SkipEmptyParts);
    if (QLocale() != m_rankLocale)
        m_ranksValid = false;
    if (m_rowsValid)
        classifyRows();
    invalidate();
}

SearchFilter::MatchClass SearchFilter::matchClass(const QString &name, const QString &query)
{
    if (QString::compare(name, query, Qt::CaseInsensitive) == 0)
        return EqualsQuery;
    if (name.startsWith(query, Qt::CaseInsensitive))
        return StartsWithQuery;
    return ContainsTerms;
}

void SearchFilter::ensureRows() const
{
    if (m_rowsValid)
        return;
    const QAbstractItemModel *model = sourceModel();
    const int count = model ? model->rowCount() : 0;
    m_names.assign(size_t(count), QString());
    for (int row = 0; row < count; ++row)
        m_names[size_t(row)] = model->index(row, 0).data(Qt::DisplayRole).toString();
    m_rowsValid = true;
    m_ranksValid = false;
    classifyRows();
}

void SearchFilter::classifyRows() const
{
    m_classes.resize(m_names.size());
    for (size_t row = 0; row < m_names.size(); ++row)
        m_classes[row] = matchClass(m_names[row], m_query);
}

void SearchFilter::ensureRanks() const
{
    if (m_ranksValid)
        return;
    const size_t count = m_names.size();
    std::vector<QString> folded(count);
    for (size_t row = 0; row < count; ++row)
        folded[row] = m_names[row].toCaseFolded();
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    // Stable, so equal names keep the model's order.
    std::stable_sort(order.begin(), order.end(), [&folded](int a, int b) {
        return QString::localeAwareCompare(folded[size_t(a)], folded[size_t(b)]) < 0;
    });
    m_ranks.resize(count);
    for (size_t place = 0; place < count; ++place)
        m_ranks[size_t(order[place])] = int(place);
    m_rankLocale = QLocale();
    m_ranksValid = true;
}

bool SearchFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_terms.isEmpty() || sourceParent.isValid())
        return false;
    ensureRows();
    if (sourceRow < 0 || size_t(sourceRow) >= m_names.size())
        return false;
    const QString &name = m_names[size_t(sourceRow)];
    return std::all_of(m_terms.cbegin(), m_terms.cend(),
                       [&name](const QString &term) { return name.contains(term, Qt::CaseInsensitive); });
}

bool SearchFilter::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    ensureRows();
    const size_t a = size_t(left.row());
    const size_t b = size_t(right.row());
    if (a >= m_names.size() || b >= m_names.size())
        return left.row() < right.row();
    if (m_classes[a] != m_classes[b])
        return m_classes[a] < m_classes[b];
    ensureRanks();
    return m_ranks[a] < m_ranks[b];
}
