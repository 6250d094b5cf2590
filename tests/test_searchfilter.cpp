#include "TestEnvironment.h"
#include "base/l10n/L10n.h"
#include "search/SearchFilter.h"
#include "search/SearchKeys.h"

#include <QStandardItemModel>
#include <QtTest>

#include <algorithm>

namespace {

// The ranking rule exactly as written, reading and folding the names on every
// comparison: what the filter's kept names and ranks must reproduce.
QList<int> plainRanking(const QStringList &names, const QString &raw)
{
    const QString query = raw.simplified();
    const QStringList terms = query.split(' ', Qt::SkipEmptyParts);
    QList<int> rows;
    for (int row = 0; row < names.size() && !terms.isEmpty(); ++row) {
        if (std::all_of(terms.cbegin(), terms.cend(),
                        [&](auto &t) { return names.at(row).contains(t, Qt::CaseInsensitive); }))
            rows.append(row);
    }
    const auto matchClass = [&query](const QString &name) {
        const bool starts = name.startsWith(query, Qt::CaseInsensitive);
        return QString::compare(name, query, Qt::CaseInsensitive) == 0 ? 0 : (starts ? 1 : 2);
    };
    // By class, then case-folded in the locale's order, then by row.
    std::sort(rows.begin(), rows.end(), [&](int l, int r) {
        const int order = QString::localeAwareCompare(names.at(l).toCaseFolded(), names.at(r).toCaseFolded());
        return std::tuple(matchClass(names.at(l)), order, l) < std::tuple(matchClass(names.at(r)), 0, r);
    });
    return rows;
}

QList<int> sourceRows(const SearchFilter &filter)
{
    QList<int> rows;
    for (int row = 0; row < filter.rowCount(); ++row)
        rows.append(filter.mapToSource(filter.index(row, 0)).row());
    return rows;
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
        QStringList name;
        for (int w = 0, words = 1 + int(random.bounded(3)); w < words; ++w)
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

using ModelChange = std::function<void(QStandardItemModel &)>;

} // namespace

Q_DECLARE_METATYPE(ModelChange)

class TestSearchFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
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

    void cleanup()
    {
        m_tester.reset();
        m_filter.reset();
        m_env.reset();
    }

    void ranking_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char *tag, const QStringList &names, const QString &query,
                            const QStringList &expected) {
            QTest::newRow(tag) << names << query << expected;
        };
        row("terms anywhere, in any order", {"Tax 2023", "2024 tax return", "TAX-2024", "Taxi"},
            "  Tax   2024 ", {"2024 tax return", "TAX-2024"});
        row("equal, then prefix, then the rest", {"My notes", "notes", "Note", "aaa note"}, "note",
            {"Note", "notes", "aaa note", "My notes"});
        row("classes against the whole query", {"b a", "a b c", "A B", "ac"}, "a b", {"A B", "a b c", "b a"});
        row("tabs and newlines part terms too", {"newfile", "file new", "new file"}, "\tnew\n  file",
            {"new file", "file new", "newfile"});
        row("a repeated term needs one occurrence", {"a", "b", "aa"}, "a a", {"a", "aa"});
        row("locale order, not code points", {"zulu", "Äpfel", "apfel", "Eclair", "Éclair"}, "l",
            {"apfel", "Äpfel", "Eclair", "Éclair", "zulu"});
        row("no word boundaries", {"Photograph", "graph"}, "graph", {"graph", "Photograph"});
        row("no accent folding", {"resume", "résumé"}, "resume", {"resume"});
        row("case-insensitive matching beyond ASCII", {"ΔΈΛΤΑ", "Москва", "москва"}, "москва",
            {"Москва", "москва"});
        row("blank query shows nothing", {"alpha", "beta"}, " \t ", {});
    }

    void ranking()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, query);
        fill(m_model, names);
        m_filter->setQuery(query);
        QTEST(column(*m_filter), "expected");
    }

    void liveChanges_data()
    {
        QTest::addColumn<ModelChange>("change");
        QTest::addColumn<bool>("relaid"); // whether the results may be laid out again
        const auto row = [](const char *tag, const ModelChange &change, bool relaid = true) {
            QTest::newRow(tag) << change << relaid;
        };
        row("insert", [](QStandardItemModel &m) {
            m.insertRow(1, new QStandardItem("note"));
            m.insertRow(0, new QStandardItem("annotate"));
        });
        row("remove", [](QStandardItemModel &m) { m.removeRow(0); });
        row("rename in", [](QStandardItemModel &m) { m.item(1)->setText("Note 0"); });
        row("rename out", [](QStandardItemModel &m) { m.item(3)->setText("Book"); });
        // A change that names no roles may have changed any of them.
        row("rename out, roles unsaid", [](QStandardItemModel &m) {
            {
                const QSignalBlocker quiet(&m);
                m.item(3)->setText("Book");
            }
            Q_EMIT m.dataChanged(m.index(3, 0), m.index(3, 0));
        });
        row("rename within", [](QStandardItemModel &m) { m.item(4)->setText("a note"); });
        row("move", [](QStandardItemModel &m) {
            m.moveRow(QModelIndex(), 5, QModelIndex(), 0);
            m.moveRow(QModelIndex(), 4, QModelIndex(), 1);
        });
        row("reset", [](QStandardItemModel &m) { fill(m, {"notes", "note", "NOTE z", "x"}); });
        row("sort", [](QStandardItemModel &m) { m.sort(0, Qt::DescendingOrder); });
        // Swedish sorts ä after z.
        row("language", [](QStandardItemModel &) {
            QLocale::setDefault(QLocale(QLocale::Swedish));
            L10n::notifyLanguageChanged();
        });
        // An icon that arrives moves nothing.
        row(
            "icon", [](QStandardItemModel &m) { m.item(0)->setData(QIcon(), Qt::DecorationRole); }, false);
    }

    // The desktop changes while the window is open: the results follow without any input.
    void liveChanges()
    {
        QFETCH(ModelChange, change);
        QFETCH(bool, relaid);
        // Names equal but for case keep the model's order.
        fill(m_model, {"note b", "alpha", "NOTE a", "Notebook", "zeta note", "beta", "note a", "änote"});
        m_filter->setQuery("note");
        QCOMPARE(sourceRows(*m_filter), (QList<int>{2, 6, 0, 3, 7, 4}));
        QSignalSpy layouts(m_filter.get(), &QAbstractItemModel::layoutChanged);
        change(m_model);
        QVERIFY(relaid || layouts.isEmpty());
        QCOMPARE(sourceRows(*m_filter), plainRanking(column(m_model), "note"));
    }

    void sameOrderAsWrittenRule_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char *locale : {"en_US", "de_DE", "sv_SE", "tr_TR", "ja_JP", "ar_EG", "C"})
            QTest::newRow(locale) << QString(locale);
    }

    void sameOrderAsWrittenRule()
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

    void keys_data()
    {
        QTest::addColumn<int>("key");     // a negative key is held down: its press repeats
        QTest::addColumn<int>("current"); // -1: none
        QTest::addColumn<int>("count");
        QTest::addColumn<SearchKeys::Effect>("effect");
        QTest::addColumn<int>("row");
        using E = SearchKeys::Effect;
        const auto row = [](const char *tag, int key, int current, int count, E effect, int to = -1) {
            QTest::newRow(tag) << key << current << count << effect << to;
        };
        const int down = Qt::Key_Down, up = Qt::Key_Up, enter = Qt::Key_Return;
        row("down", down, 0, 4, E::Choose, 1);
        row("up", up, 2, 4, E::Choose, 1);
        row("down on the last row stays", down, 3, 4, E::Choose, 3);
        row("up on the first row stays", up, 0, 4, E::Choose, 0);
        row("down without a current row", down, -1, 4, E::Choose, 0);
        row("up without a current row", up, -1, 4, E::Choose, 0);
        row("down in an empty list", down, -1, 0, E::Swallow);
        row("return", enter, 2, 4, E::Open);
        row("keypad enter", Qt::Key_Enter, 0, 1, E::Open);
        row("held return", -enter, 0, 4, E::Swallow);
        row("return without results", enter, -1, 0, E::Swallow);
        row("escape", Qt::Key_Escape, 0, 4, E::Close);
        row("typing is the field's", Qt::Key_A, 0, 4, E::PassOn);
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, current);
        QFETCH(int, count);
        const SearchKeys::Outcome outcome = SearchKeys::press(std::abs(key), key < 0, false, current, count);
        QTEST(outcome.effect, "effect");
        QTEST(outcome.row, "row");
        // While an input method composes, every key is its own.
        QVERIFY(SearchKeys::press(std::abs(key), key < 0, true, current, count).effect ==
                SearchKeys::Effect::PassOn);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    QStandardItemModel m_model;
    std::unique_ptr<SearchFilter> m_filter;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

QTEST_MAIN(TestSearchFilter)
#include "test_searchfilter.moc"
