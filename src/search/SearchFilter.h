#pragma once

#include <QLocale>
#include <QSortFilterProxyModel>
#include <QStringList>

#include <vector>

// The quick search's view of a list model: only items whose name contains every
// word of the query, names equal to the query first, then names that begin with
// it, then the rest; alphabetically (case-folded, in the user's locale) within
// each group, and by model row where two names are equal.
//
// A keystroke re-filters and re-sorts everything, and desktops can hold
// thousands of items, so the per-item work that does not depend on the query is
// done once per change of the model: the names are kept, and so is each row's
// place in the alphabetical order (computed with the very comparison the rule
// names, so the result is the same). A keystroke then costs one substring test
// per item and integer comparisons while sorting.
class SearchFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    enum MatchClass : quint8
    {
        EqualsQuery = 0,
        StartsWithQuery = 1,
        ContainsTerms = 2,
    };

    explicit SearchFilter(QObject *parent = nullptr);
    ~SearchFilter() override;

    void setSourceModel(QAbstractItemModel *model) override;

    // Sets the query from raw text: white space simplified, split into terms.
    void setQuery(const QString &text);
    QString query() const { return m_query; }
    QStringList terms() const { return m_terms; }

    // How a name that passed the filter ranks against the whole query.
    static MatchClass matchClass(const QString &name, const QString &query);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    void sourceChanged();
    void ensureRows() const;
    void ensureRanks() const;
    void classifyRows() const;

    QString m_query;
    QStringList m_terms;
    QList<QMetaObject::Connection> m_sourceConnections;

    // Per source row: the name, its match class for the current query, and its
    // place in the order of compareNames (ties by row). Rebuilt after a change.
    mutable std::vector<QString> m_names;
    mutable std::vector<MatchClass> m_classes;
    mutable std::vector<int> m_ranks;
    mutable bool m_rowsValid = false;
    mutable bool m_ranksValid = false;
    mutable QLocale m_rankLocale;
};
