#include "TestEnvironment.h"
#include "base/l10n/L10n.h"
#include "search/SearchFilter.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QtTest>

#include <algorithm>
#include <numeric>

namespace {

// The ranking rule exactly as written, reading and folding the names on every
// comparison: what the filter's kept names and ranks must reproduce.
QList<int> plainRanking(const QStringList &names, const QString &raw)
{
    const QString query = raw.simplified();
    const QStringList terms = query.split(' ', Qt::SkipEmptyParts);
    QList<int> rows;
    if (terms.isEmpty())
        return rows;
    for (int row = 0; row < names.size(); ++row) {
        bool all = true;
        for (const QString &term : terms)
            all = all && names.at(row).indexOf(term, 0, Qt::CaseInsensitive) != -1;
        if (all)
            rows.append(row);
    }
    const auto matchClass = [&query](const QString &name) {
        if (QString::compare(name, query, Qt::CaseInsensitive) == 0)
            return 0;
        return name.startsWith(query, Qt::CaseInsensitive) ? 1 : 2;
    };
    std::sort(rows.begin(), rows.end(), [&](int l, int r) {
        const int lc = matchClass(names.at(l));
        const int rc = matchClass(names.at(r));
        if (lc != rc)
            return lc < rc;
        const int order = QString::localeAwareCompare(names.at(l).toCaseFolded(), names.at(r).toCaseFolded());
        if (order != 0)
            return order < 0;
        return l < r;
    });
    return rows;
}

QStringList namesOf(const QAbstractItemModel &model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.append(model.index(row, 0).data().toString());
    return names;
}

// Source rows of the proxy's rows, in the proxy's order.
QList<int> sourceRows(const SearchFilter &filter)
{
    QList<int> rows;
    for (int row = 0; row < filter.rowCount(); ++row)
        rows.append(filter.mapToSource(filter.index(row, 0)).row());
    return rows;
}

QStringList shownNames(const SearchFilter &filter)
{
    QStringList names;
    for (int row = 0; row < filter.rowCount(); ++row)
        names.append(filter.index(row, 0).data().toString());
    return names;
}

void fill(QStandardItemModel &model, const QStringList &names)
{
    model.clear();
    for (const QString &name : names)
        model.appendRow(new QStandardItem(name));
}

// Names of a crowded desktop: mixed case, accents, digits, repeats, several scripts.
QStringList generatedNames(int count)
{
    const QStringList parts = {"report", "Report",  "RÉSUMÉ",   "résumé", "Ärger",   "arger",  "Zebra",
                               "zürich", "Straße",  "STRASSE",  "naïve",  "Œuvre",   "Ørsted", "île",
                               "Ibiza",  "ıspanak", "İstanbul", "Δέλτα",  "δέλτα",   "Москва", "москва",
                               "ёлка",   "東京",    "日本語",   "한국어", "ภาษาไทย", "مرحبا",  "שלום",
                               "2024",   "10",      "9",        "a-b",    "a_b",     "A.B",    "ﬁle",
                               "😀 fun",  "Ａｂｃ",  "ǅemal",    "Éclair", "eclair"};
    QRandomGenerator random(20261206);
    QStringList names;
    for (int i = 0; i < count; ++i) {
        const int words = 1 + int(random.bounded(3));
        QStringList name;
        for (int w = 0; w < words; ++w)
            name.append(parts.at(int(random.bounded(parts.size()))));
        if (random.bounded(4) == 0)
            name.append(QString::number(random.bounded(200)));
        names.append(name.join(random.bounded(2) ? " " : ""));
    }
    // Exact repeats, so ties by row are exercised throughout.
    for (int i = 0; i < count / 20; ++i)
        names[int(random.bounded(count))] = names.at(int(random.bounded(count)));
    return names;
}

} // namespace

class TestSearchFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void queryParsing_data();
    void queryParsing();
    void ranking_data();
    void ranking();
    void equalNamesKeepModelOrder();
    void liveChanges_data();
    void liveChanges();
    void iconUpdatesKeepOrder();
    void sameOrderAsWrittenRule_data();
    void sameOrderAsWrittenRule();
    void languageChangeReorders();

private:
    std::unique_ptr<TestEnvironment> m_env;
    QStandardItemModel m_model;
    std::unique_ptr<SearchFilter> m_filter;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestSearchFilter::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    m_model.clear();
    m_filter = std::make_unique<SearchFilter>();
    m_filter->setSourceModel(&m_model);
    m_filter->sort(0, Qt::AscendingOrder);
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_filter.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestSearchFilter::cleanup()
{
    m_tester.reset();
    m_filter.reset();
    m_model.clear();
    QLocale::setDefault(QLocale::c());
    m_env.reset();
}

void TestSearchFilter::queryParsing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("terms");
    QTest::newRow("inner and outer white space") << "  Tax   2024 "
                                                 << "Tax 2024" << QStringList{"Tax", "2024"};
    QTest::newRow("tabs and newlines") << "\tnew\n  file"
                                       << "new file" << QStringList{"new", "file"};
    QTest::newRow("blank") << "   "
                           << "" << QStringList{};
    QTest::newRow("empty") << ""
                           << "" << QStringList{};
    QTest::newRow("one word") << "notes"
                              << "notes" << QStringList{"notes"};
}

void TestSearchFilter::queryParsing()
{
    QFETCH(QString, text);
    m_filter->setQuery(text);
    QFETCH(QString, query);
    QFETCH(QStringList, terms);
    QCOMPARE(m_filter->query(), query);
    QCOMPARE(m_filter->terms(), terms);
}

void TestSearchFilter::ranking_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("terms anywhere, in any order")
        << QStringList{"Tax 2023", "2024 tax return", "TAX-2024", "Taxi"} << "  Tax   2024 "
        << QStringList{"2024 tax return", "TAX-2024"};
    QTest::newRow("equal, then prefix, then the rest")
        << QStringList{"My notes", "notes", "Note", "aaa note"} << "note"
        << QStringList{"Note", "notes", "aaa note", "My notes"};
    QTest::newRow("classes against the whole query")
        << QStringList{"b a", "a b c", "A B", "ac"} << "a b" << QStringList{"A B", "a b c", "b a"};
    QTest::newRow("a repeated term needs one occurrence")
        << QStringList{"a", "b", "aa"} << "a a" << QStringList{"a", "aa"};
    QTest::newRow("case-folded order within a class")
        << QStringList{"xcherry", "xBanana", "xapple", "XDate"} << "x"
        << QStringList{"xapple", "xBanana", "xcherry", "XDate"};
    QTest::newRow("locale order, not code points")
        << QStringList{"zulu", "Äpfel", "apfel", "Eclair", "Éclair"} << "l"
        << QStringList{"apfel", "Äpfel", "Eclair", "Éclair", "zulu"};
    QTest::newRow("no word boundaries")
        << QStringList{"Photograph", "graph"} << "graph" << QStringList{"graph", "Photograph"};
    QTest::newRow("no accent folding")
        << QStringList{"resume", "résumé"} << "resume" << QStringList{"resume"};
    QTest::newRow("case-insensitive matching beyond ASCII")
        << QStringList{"ΔΈΛΤΑ", "Москва", "москва"} << "москва" << QStringList{"Москва", "москва"};
    QTest::newRow("digits are text") << QStringList{"file 10", "file 9", "file 2"} << "file"
                                     << QStringList{"file 10", "file 2", "file 9"};
    QTest::newRow("nothing matches") << QStringList{"alpha", "beta"} << "gamma" << QStringList{};
    QTest::newRow("blank query shows nothing") << QStringList{"alpha", "beta"} << "   " << QStringList{};
    QTest::newRow("empty query shows nothing") << QStringList{"alpha", "beta"} << "" << QStringList{};
}

void TestSearchFilter::ranking()
{
    QFETCH(QStringList, names);
    QFETCH(QString, query);
    fill(m_model, names);
    m_filter->setQuery(query);
    QFETCH(QStringList, expected);
    QCOMPARE(shownNames(*m_filter), expected);
}

void TestSearchFilter::equalNamesKeepModelOrder()
{
    fill(m_model, {"Notes", "other", "notes", "Notes", "NOTES"});
    m_filter->setQuery("notes");
    QCOMPARE(sourceRows(*m_filter), (QList<int>{0, 2, 3, 4}));
}

void TestSearchFilter::liveChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("insert") << "insert";
    QTest::newRow("remove") << "remove";
    QTest::newRow("rename into the results") << "rename in";
    QTest::newRow("rename out of the results") << "rename out";
    QTest::newRow("rename within the results") << "rename within";
    QTest::newRow("move") << "move";
    QTest::newRow("reset") << "reset";
    QTest::newRow("sort of the source") << "sort";
}

// The desktop changes while the window is open: the results follow without any input.
void TestSearchFilter::liveChanges()
{
    QFETCH(QString, change);
    fill(m_model, {"note b", "alpha", "note a", "Notebook", "zeta note", "beta"});
    m_filter->setQuery("note");
    QCOMPARE(sourceRows(*m_filter), plainRanking(namesOf(m_model), "note"));

    if (change == "insert") {
        m_model.insertRow(1, new QStandardItem("note"));
        m_model.insertRow(0, new QStandardItem("annotate"));
    } else if (change == "remove") {
        m_model.removeRow(0);
    } else if (change == "rename in") {
        m_model.item(1)->setText("Note 0");
    } else if (change == "rename out") {
        m_model.item(3)->setText("Book");
    } else if (change == "rename within") {
        m_model.item(4)->setText("a note");
    } else if (change == "move") {
        m_model.moveRow(QModelIndex(), 5, QModelIndex(), 0);
        m_model.moveRow(QModelIndex(), 4, QModelIndex(), 1);
    } else if (change == "reset") {
        fill(m_model, {"notes", "note", "NOTE z", "x"});
    } else if (change == "sort") {
        m_model.sort(0, Qt::DescendingOrder);
    }
    QCOMPARE(sourceRows(*m_filter), plainRanking(namesOf(m_model), "note"));
}

void TestSearchFilter::iconUpdatesKeepOrder()
{
    fill(m_model, {"note b", "note a"});
    m_filter->setQuery("note");
    QSignalSpy layouts(m_filter.get(), &QAbstractItemModel::layoutChanged);
    m_model.item(0)->setData(QIcon(), Qt::DecorationRole);
    QCOMPARE(shownNames(*m_filter), (QStringList{"note a", "note b"}));
    QCOMPARE(layouts.count(), 0);
}

void TestSearchFilter::sameOrderAsWrittenRule_data()
{
    QTest::addColumn<QString>("locale");
    for (const char *locale : {"en_US", "de_DE", "sv_SE", "tr_TR", "ja_JP", "ar_EG", "C"})
        QTest::newRow(locale) << QString(locale);
}

void TestSearchFilter::sameOrderAsWrittenRule()
{
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    const QStringList names = generatedNames(3000);
    fill(m_model, names);
    for (const char *query : {"e", "R", "a b", "é", "2", "Straße", "ı", "ё", "東", " re  po ", "x"}) {
        m_filter->setQuery(query);
        const QList<int> expected = plainRanking(names, query);
        QVERIFY2(!expected.isEmpty() || QString(query) == "x", query);
        QCOMPARE(sourceRows(*m_filter), expected);
    }
}

void TestSearchFilter::languageChangeReorders()
{
    fill(m_model, {"zebra", "äpple", "apple"});
    QLocale::setDefault(QLocale(QLocale::German));
    m_filter->setQuery("e");
    QCOMPARE(shownNames(*m_filter), (QStringList{"apple", "äpple", "zebra"}));
    // Swedish sorts ä after z.
    QLocale::setDefault(QLocale(QLocale::Swedish));
    L10n::notifyLanguageChanged();
    QCOMPARE(shownNames(*m_filter), (QStringList{"apple", "zebra", "äpple"}));
}

QTEST_MAIN(TestSearchFilter)
#include "test_searchfilter.moc"
