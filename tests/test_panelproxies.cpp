#include "TestEnvironment.h"
#include "categories/CategoryFilter.h"
#include "categories/PanelSort.h"
#include "shell/DesktopModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

namespace {

struct Row
{
    Row(const QString &n, bool f = false, const QString &s = QString(),
        const QString &p = QStringLiteral("documents"))
        : name(n)
        , folder(f)
        , suffix(s)
        , panel(p)
    {}
    QString name;
    bool folder;
    QString suffix;
    QString panel;
};

// Items keyed by their names; source order is the order given.
void fill(QStandardItemModel &model, const QList<Row> &rows)
{
    model.clear();
    for (const Row &row : rows) {
        auto *item = new QStandardItem(row.name);
        item->setData(row.name, DesktopModel::KeyRole);
        item->setData(row.folder, DesktopModel::FolderRole);
        item->setData(row.suffix, DesktopModel::SuffixRole);
        item->setData(row.panel, DesktopModel::PanelRole);
        model.appendRow(item);
    }
}

QStringList shown(const QAbstractItemModel &model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.append(model.index(row, 0).data().toString());
    return names;
}

QList<Row> files(const QStringList &names)
{
    QList<Row> rows;
    for (const QString &name : names)
        rows.append(Row(name));
    return rows;
}

} // namespace

class TestPanelProxies : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterSelectsPanel_data();
    void filterSelectsPanel();
    void sortModes_data();
    void sortModes();
    void manualOrderSurvivesReset();
    void setManualOrderDropsDuplicates();
    void moveKeys_data();
    void moveKeys();
    void sortKeys_data();
    void sortKeys();
    void stackedOnDesktopModelStaysConsistent();
};

void TestPanelProxies::filterSelectsPanel_data()
{
    QTest::addColumn<QString>("panelId");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("documents") << QStringLiteral("documents") << QStringList{"report"};
    QTest::newRow("custom") << QStringLiteral("custom-1") << QStringList{"assigned"};
    QTest::newRow("case-sensitive") << QStringLiteral("Documents") << QStringList();
    QTest::newRow("desktop pseudo panel") << QStringLiteral("@desktop") << QStringList{"loose"};
}

void TestPanelProxies::filterSelectsPanel()
{
    QFETCH(QString, panelId);
    QFETCH(QStringList, expected);
    QStandardItemModel source;
    fill(source, {{QStringLiteral("report"), false, QStringLiteral("pdf"), QStringLiteral("documents")},
                  // A document assigned to a custom panel has that panel's id, not its category's.
                  {QStringLiteral("assigned"), false, QStringLiteral("pdf"), QStringLiteral("custom-1")},
                  {QStringLiteral("loose"), false, QStringLiteral("txt"), QStringLiteral("@desktop")}});
    auto *noPanel = new QStandardItem(QStringLiteral("no panel role"));
    source.appendRow(noPanel);
    CategoryFilter filter(panelId);
    filter.setSourceModel(&source);
    QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(shown(filter), expected);
    QCOMPARE(filter.panelId(), panelId);
}

void TestPanelProxies::sortModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("reversed");
    QTest::addColumn<QStringList>("manual");
    QTest::addColumn<QStringList>("expected");

    // Source: folders b, a; files x, y, "File 10", "file 2"; d.txt, c.md
    const QStringList none;
    QTest::newRow("desktop") << int(PanelSort::Desktop) << false << none
                             << QStringList{"b", "a", "y", "x", "File 10", "file 2", "d.txt", "c.md"};
    QTest::newRow("desktop reversed")
        << int(PanelSort::Desktop) << true << none
        << QStringList{"c.md", "d.txt", "file 2", "File 10", "x", "y", "a", "b"};
    QTest::newRow("name") << int(PanelSort::Name) << false << none
                          << QStringList{"a", "b", "c.md", "d.txt", "file 2", "File 10", "x", "y"};
    QTest::newRow("name reversed keeps folders first")
        << int(PanelSort::Name) << true << none
        << QStringList{"b", "a", "y", "x", "File 10", "file 2", "d.txt", "c.md"};
    QTest::newRow("type") << int(PanelSort::Type) << false << none
                          << QStringList{"a", "b", "file 2", "File 10", "x", "y", "c.md", "d.txt"};
    QTest::newRow("manual") << int(PanelSort::Manual) << false << QStringList{"y", "a", "ghost"}
                            << QStringList{"y", "a", "b", "x", "File 10", "file 2", "d.txt", "c.md"};
    QTest::newRow("manual reversed keeps placed first")
        << int(PanelSort::Manual) << true << QStringList{"y", "a"}
        << QStringList{"a", "y", "c.md", "d.txt", "file 2", "File 10", "x", "b"};
}

void TestPanelProxies::sortModes()
{
    QFETCH(int, mode);
    QFETCH(bool, reversed);
    QFETCH(QStringList, manual);
    QFETCH(QStringList, expected);

    QStandardItemModel source;
    fill(source, {{QStringLiteral("b"), true},
                  {QStringLiteral("a"), true},
                  {QStringLiteral("y"), false},
                  {QStringLiteral("x"), false},
                  {QStringLiteral("File 10"), false},
                  {QStringLiteral("file 2"), false},
                  {QStringLiteral("d.txt"), false, QStringLiteral("txt")},
                  {QStringLiteral("c.md"), false, QStringLiteral("md")}});
    PanelSort sort;
    sort.setSourceModel(&source);
    QAbstractItemModelTester tester(&sort, QAbstractItemModelTester::FailureReportingMode::QtTest);
    sort.setManualOrder(manual);
    sort.setSortMode(PanelSort::SortMode(mode), reversed);
    QCOMPARE(shown(sort), expected);
    QCOMPARE(sort.sortMode(), PanelSort::SortMode(mode));
    QCOMPARE(sort.isReversed(), reversed);

    // Back to desktop order shows the source order again.
    sort.setSortMode(PanelSort::Desktop, false);
    QCOMPARE(shown(sort), (QStringList{"b", "a", "y", "x", "File 10", "file 2", "d.txt", "c.md"}));
}

void TestPanelProxies::manualOrderSurvivesReset()
{
    QStandardItemModel source;
    fill(source, files({"a", "b", "c", "d"}));
    PanelSort sort;
    sort.setSourceModel(&source);
    sort.setSortMode(PanelSort::Manual, false);
    sort.setManualOrder({QStringLiteral("c"), QStringLiteral("a")});
    QCOMPARE(shown(sort), (QStringList{"c", "a", "b", "d"}));
    sort.setSortMode(PanelSort::Manual, true);
    QCOMPARE(shown(sort), (QStringList{"a", "c", "d", "b"}));

    // A reload replaces every row; the order is keyed by item, so it holds.
    sort.setSortMode(PanelSort::Manual, false);
    fill(source, files({"d", "c", "b", "a", "e"}));
    QCOMPARE(shown(sort), (QStringList{"c", "a", "d", "b", "e"}));
}

void TestPanelProxies::setManualOrderDropsDuplicates()
{
    PanelSort sort;
    sort.setManualOrder({QStringLiteral("a"), QString(), QStringLiteral("b"), QStringLiteral("a")});
    QCOMPARE(sort.manualOrder(), (QStringList{"a", "b"}));
}

void TestPanelProxies::moveKeys_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("d before b") << QStringList{"d"} << QStringLiteral("b") << true
                                << QStringList{"a", "d", "b", "c"};
    QTest::newRow("block keeps shown order")
        << QStringList{"c", "a"} << QString() << true << QStringList{"b", "d", "a", "c"};
    QTest::newRow("before itself") << QStringList{"b"} << QStringLiteral("b") << false
                                   << QStringList{"a", "b", "c", "d"};
    QTest::newRow("key of another panel")
        << QStringList{"other"} << QString() << false << QStringList{"a", "b", "c", "d"};
    QTest::newRow("loose item is not shown")
        << QStringList{"loose"} << QString() << false << QStringList{"a", "b", "c", "d"};
    QTest::newRow("unknown before") << QStringList{"a"} << QStringLiteral("zz") << false
                                    << QStringList{"a", "b", "c", "d"};
    QTest::newRow("no keys") << QStringList() << QString() << false << QStringList{"a", "b", "c", "d"};
    QTest::newRow("empty key") << QStringList{""} << QString() << false << QStringList{"a", "b", "c", "d"};
    QTest::newRow("already there") << QStringList{"d"} << QString() << false
                                   << QStringList{"a", "b", "c", "d"};
}

void TestPanelProxies::moveKeys()
{
    QFETCH(QStringList, keys);
    QFETCH(QString, before);
    QFETCH(bool, changed);
    QFETCH(QStringList, expected);

    QStandardItemModel source;
    QList<Row> rows = files({"a", "b", "c", "d"});
    rows.append(Row(QStringLiteral("loose"), false, QString(), QStringLiteral("@desktop")));
    rows.append(Row(QStringLiteral("other"), false, QString(), QStringLiteral("images")));
    fill(source, rows);
    CategoryFilter filter(QStringLiteral("documents"));
    filter.setSourceModel(&source);
    PanelSort sort;
    sort.setSourceModel(&filter);
    sort.setSortMode(PanelSort::Name, true);
    sort.setSortMode(PanelSort::Desktop, false);

    QCOMPARE(sort.moveKeys(keys, before), changed);
    QCOMPARE(shown(sort), expected);
    if (changed) {
        QCOMPARE(sort.manualOrder(), expected);
        QCOMPARE(sort.sortMode(), PanelSort::Manual);
        QCOMPARE(sort.isReversed(), false);
    } else {
        QCOMPARE(sort.sortMode(), PanelSort::Desktop);
        QVERIFY(sort.manualOrder().isEmpty());
    }
}

void TestPanelProxies::sortKeys_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("canonical");
    QTest::addColumn<QString>("title");
    QTest::newRow("name") << QStringLiteral("name") << int(PanelSort::Name) << QStringLiteral("name")
                          << QStringLiteral("Name");
    QTest::newRow("type") << QStringLiteral("type") << int(PanelSort::Type) << QStringLiteral("type")
                          << QStringLiteral("Type");
    QTest::newRow("manual") << QStringLiteral("manual") << int(PanelSort::Manual) << QStringLiteral("manual")
                            << QStringLiteral("Manual order");
    QTest::newRow("desktop") << QStringLiteral("desktop") << int(PanelSort::Desktop)
                             << QStringLiteral("desktop") << QStringLiteral("Desktop order");
    QTest::newRow("capital") << QStringLiteral("Name") << int(PanelSort::Desktop) << QStringLiteral("desktop")
                             << QStringLiteral("Desktop order");
    QTest::newRow("empty") << QString() << int(PanelSort::Desktop) << QStringLiteral("desktop")
                           << QStringLiteral("Desktop order");
}

void TestPanelProxies::sortKeys()
{
    QFETCH(QString, key);
    QFETCH(int, mode);
    QFETCH(QString, canonical);
    QFETCH(QString, title);
    QCOMPARE(int(PanelSort::sortModeFromKey(key)), mode);
    QCOMPARE(PanelSort::sortModeKey(PanelSort::SortMode(mode)), canonical);
    QCOMPARE(PanelSort::sortModeTitle(PanelSort::SortMode(mode)), title);
    QCOMPARE(PanelSort::sortModeKey(PanelSort::SortMode(17)), QStringLiteral("desktop"));
}

void TestPanelProxies::stackedOnDesktopModelStaysConsistent()
{
    // The real chain of a panel: model, filter, sort, through a reset.
    TestEnvironment env;
    QStandardItemModel source;
    fill(source, files({"a", "b"}));
    CategoryFilter filter(QStringLiteral("documents"));
    filter.setSourceModel(&source);
    PanelSort sort;
    sort.setSourceModel(&filter);
    QAbstractItemModelTester tester(&sort, QAbstractItemModelTester::FailureReportingMode::QtTest);
    sort.setSortMode(PanelSort::Name, true);
    QSignalSpy resets(&sort, &QAbstractItemModel::modelReset);
    fill(source, files({"c", "a", "b"}));
    QVERIFY(resets.count() >= 1);
    QCOMPARE(shown(sort), (QStringList{"c", "b", "a"}));
}

QTEST_MAIN(TestPanelProxies)
#include "test_panelproxies.moc"
