#include "panels/CategoryFilter.h"
#include "panels/PanelSort.h"
#include "shell/DesktopModel.h"

#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

namespace {

// Items keyed by their names, in the order given, in the documents panel unless
// `panels` says otherwise.
void fill(QStandardItemModel &model, const QStringList &names, const QStringList &folders = {},
          const QHash<QString, QString> &panels = {})
{
    model.clear();
    for (const QString &name : names) {
        auto *item = new QStandardItem(name);
        item->setData(name, DesktopModel::KeyRole);
        item->setData(folders.contains(name), DesktopModel::FolderRole);
        item->setData(QFileInfo(name).suffix(), DesktopModel::SuffixRole);
        item->setData(panels.value(name, "documents"), DesktopModel::PanelRole);
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

} // namespace

class TestPanelProxies : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sortModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("reversed");
        QTest::addColumn<QStringList>("manual");
        QTest::addColumn<QStringList>("expected");
        // Source: folders b, a; files y, x, "File 10", "file 2", d.txt, c.md
        auto row = [](const char *tag, PanelSort::SortMode mode, bool reversed, const QStringList &manual,
                      const QStringList &expected) {
            QTest::newRow(tag) << int(mode) << reversed << manual << expected;
        };
        row("desktop reversed", PanelSort::Desktop, true, {},
            {"c.md", "d.txt", "file 2", "File 10", "x", "y", "a", "b"});
        row("name", PanelSort::Name, false, {}, {"a", "b", "c.md", "d.txt", "file 2", "File 10", "x", "y"});
        row("name reversed keeps folders first", PanelSort::Name, true, {},
            {"b", "a", "y", "x", "File 10", "file 2", "d.txt", "c.md"});
        row("type", PanelSort::Type, false, {}, {"a", "b", "file 2", "File 10", "x", "y", "c.md", "d.txt"});
        row("manual", PanelSort::Manual, false, {"y", "a", "ghost"},
            {"y", "a", "b", "x", "File 10", "file 2", "d.txt", "c.md"});
        row("manual reversed keeps placed first", PanelSort::Manual, true, {"y", "a"},
            {"a", "y", "c.md", "d.txt", "file 2", "File 10", "x", "b"});
    }

    void sortModes()
    {
        QFETCH(int, mode);
        QFETCH(bool, reversed);
        QFETCH(QStringList, manual);
        QFETCH(QStringList, expected);
        const QStringList sourceOrder{"b", "a", "y", "x", "File 10", "file 2", "d.txt", "c.md"};
        QStandardItemModel source;
        fill(source, sourceOrder, {"b", "a"});
        PanelSort sort;
        sort.setSourceModel(&source);
        QAbstractItemModelTester tester(&sort, QAbstractItemModelTester::FailureReportingMode::QtTest);
        sort.setManualOrder(manual);
        sort.setSortMode(PanelSort::SortMode(mode), reversed);
        QCOMPARE(shown(sort), expected);
        // The mode is stored by its key.
        QCOMPARE(PanelSort::sortModeFromKey(PanelSort::sortModeKey(sort.sortMode())),
                 PanelSort::SortMode(mode));
        // Back to desktop order shows the source order again.
        sort.setSortMode(PanelSort::Desktop, false);
        QCOMPARE(shown(sort), sourceOrder);
    }

    void filterAndManualOrderThroughReset()
    {
        // The real chain of a panel: model, filter, sort. An item assigned to a custom
        // panel has that panel's id, not its category's; ids are case-sensitive.
        QStandardItemModel source;
        fill(source, {"a", "b", "c", "d", "mine", "loose", "upper"}, {},
             {{"mine", "custom-1"}, {"loose", "@desktop"}, {"upper", "Documents"}});
        source.appendRow(new QStandardItem("no panel role"));
        CategoryFilter filter("documents");
        filter.setSourceModel(&source);
        PanelSort sort;
        sort.setSourceModel(&filter);
        QAbstractItemModelTester tester(&sort, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(shown(sort), (QStringList{"a", "b", "c", "d"}));
        CategoryFilter custom("custom-1");
        custom.setSourceModel(&source);
        QCOMPARE(shown(custom), QStringList{"mine"});

        sort.setSortMode(PanelSort::Manual, false);
        sort.setManualOrder({"c", "", "a", "c"});
        QCOMPARE(sort.manualOrder(), (QStringList{"c", "a"})); // empties and later duplicates dropped
        QCOMPARE(shown(sort), (QStringList{"c", "a", "b", "d"}));

        // A reload replaces every row; the order is keyed by item, so it holds.
        QSignalSpy resets(&sort, &QAbstractItemModel::modelReset);
        fill(source, {"d", "c", "b", "a", "e"});
        QVERIFY(resets.count() >= 1);
        QCOMPARE(shown(sort), (QStringList{"c", "a", "d", "b", "e"}));
    }

    void moveKeys_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("expected"); // empty: nothing changes
        QTest::newRow("d before b") << QStringList{"d"} << "b" << QStringList{"a", "d", "b", "c"};
        QTest::newRow("block keeps shown order")
            << QStringList{"c", "a"} << "" << QStringList{"b", "d", "a", "c"};
        QTest::newRow("before itself") << QStringList{"b"} << "b" << QStringList();
        QTest::newRow("key of another panel") << QStringList{"other"} << "" << QStringList();
        QTest::newRow("unknown before") << QStringList{"a"} << "zz" << QStringList();
        QTest::newRow("empty key") << QStringList{""} << "" << QStringList();
        QTest::newRow("already there") << QStringList{"d"} << "" << QStringList();
    }

    void moveKeys()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, before);
        QFETCH(QStringList, expected);
        QStandardItemModel source;
        fill(source, {"a", "b", "c", "d", "other"}, {}, {{"other", "images"}});
        CategoryFilter filter("documents");
        filter.setSourceModel(&source);
        PanelSort sort;
        sort.setSourceModel(&filter);

        const bool changed = !expected.isEmpty();
        QCOMPARE(sort.moveKeys(keys, before), changed);
        QCOMPARE(shown(sort), (changed ? expected : QStringList{"a", "b", "c", "d"}));
        QCOMPARE(sort.manualOrder(), expected);
        QCOMPARE(sort.sortMode(), changed ? PanelSort::Manual : PanelSort::Desktop);
    }
};

QTEST_MAIN(TestPanelProxies)
#include "test_panelproxies.moc"
