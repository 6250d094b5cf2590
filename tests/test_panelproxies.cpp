#include "PanelTestHome.h"
#include "panels/ItemDragView.h"
#include "panels/PanelSort.h"

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

// Drops go to the widget that accepted the drag's enter event, as in a real drag.
bool dropOn(QWidget *viewport, QPoint pos, QMimeData *mime)
{
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDropEvent drop(QPointF(pos), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    return enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

} // namespace

class TestPanelProxies : public QObject, PanelFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { startHome(); }
    void cleanup() { endHome(); }

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
        const QStringList sourceOrder{"b", "a", "y", "x", "File 10", "file 2", "d.txt", "c.md"};
        QStandardItemModel source;
        fill(source, sourceOrder, {"b", "a"});
        PanelSort sort;
        sort.setSourceModel(&source);
        QAbstractItemModelTester tester(&sort, QAbstractItemModelTester::FailureReportingMode::QtTest);
        sort.setManualOrder(manual);
        sort.setSortMode(PanelSort::SortMode(mode), reversed);
        QTEST(column(sort), "expected");
        QCOMPARE(PanelSort::sortModeFromKey(PanelSort::sortModeKey(sort.sortMode())),
                 PanelSort::SortMode(mode));
        sort.setSortMode(PanelSort::Desktop, false);
        QCOMPARE(column(sort), sourceOrder);
    }

    void filterAndManualOrderThroughReset()
    {
        // The real chain of a panel: model, filter, sort. An item assigned to a custom
        // panel has that panel's id, not its category's; ids are case-sensitive and whole.
        QStandardItemModel source;
        fill(source, {"a", "b", "c", "d", "mine", "theirs", "loose", "upper"}, {},
             {{"mine", "custom-1"}, {"theirs", "custom-10"}, {"loose", "@desktop"}, {"upper", "Documents"}});
        source.appendRow(new QStandardItem("no panel role"));
        CategoryFilter filter("documents");
        filter.setSourceModel(&source);
        PanelSort sort;
        sort.setSourceModel(&filter);
        QAbstractItemModelTester tester(&sort, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(column(sort), (QStringList{"a", "b", "c", "d"}));
        CategoryFilter custom("custom-1");
        custom.setSourceModel(&source);
        QCOMPARE(column(custom), QStringList{"mine"});

        sort.setSortMode(PanelSort::Manual, false);
        sort.setManualOrder({"c", "", "a", "c"});
        QCOMPARE(sort.manualOrder(), (QStringList{"c", "a"})); // empties and later duplicates dropped
        QCOMPARE(column(sort), (QStringList{"c", "a", "b", "d"}));

        // A reload replaces every row; the order is keyed by item, so it holds.
        fill(source, {"d", "c", "b", "a", "e"});
        QCOMPARE(column(sort), (QStringList{"c", "a", "d", "b", "e"}));
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
        QCOMPARE(column(sort), (changed ? expected : QStringList{"a", "b", "c", "d"}));
        QCOMPARE(sort.manualOrder(), expected);
        QCOMPARE(sort.sortMode(), changed ? PanelSort::Manual : PanelSort::Desktop);
    }

    void dropRows_data()
    {
        QTest::addColumn<bool>("list");
        QTest::addColumn<bool>("rightToLeft");
        QTest::addColumn<int>("items");
        QTest::addColumn<QPoint>("cellFraction"); // position within a cell grid, in tenths of cells
        QTest::addColumn<int>("row");
        auto row = [](const char *tag, bool list, bool rtl, QPoint fraction, int expected, int items = 5) {
            QTest::newRow(tag) << list << rtl << items << fraction << expected;
        };
        // Grid of 5 items in a view three cells wide: row 0 = items 0-2, row 1 = items 3-4.
        row("grid left half of first", false, false, {3, 5}, 0);
        row("grid right half of first", false, false, {7, 5}, 1);
        row("grid right of line end", false, false, {27, 5}, 3);
        row("grid right of last", false, false, {17, 15}, 5);
        row("rtl right half of first", false, true, {27, 5}, 0);
        row("list bottom half", true, false, {5, 7}, 1);
        row("empty panel", false, false, {3, 5}, 0, 0);
    }

    void dropRows()
    {
        QFETCH(bool, list);
        QFETCH(bool, rightToLeft);
        QFETCH(int, items);
        QFETCH(QPoint, cellFraction);
        IconPanel *panel = makePanel("documents", items, {0, 0, 3 * 104 + 32 + 12, 600}, {.listView = list});
        QVERIFY(panel);
        panel->setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
        ItemDragView *view = panel->view();
        const QSize cell = list ? QSize(view->viewport()->width(), 32) : QSize(104, 108);
        const QRect first = view->visualRect(view->model()->index(0, 0));
        const int x = rightToLeft ? first.right() + 1 - 3 * cell.width() : first.left();
        const QPoint pos(x + cellFraction.x() * cell.width() / 10,
                         first.top() + cellFraction.y() * cell.height() / 10);
        QTEST(view->dropRowAt(pos), "row");
        // The marker shows where the drop lands; an empty panel has no place to mark.
        view->showDropMarker(view->dropRowAt(pos));
        QCOMPARE(view->dropMarker()->isVisible(), items > 0);
    }

    void internalDropReorders()
    {
        IconPanel *panel = makePanel("documents", 4, {0, 0, 260 + 32 + 12, 600});
        QVERIFY(panel);
        TestEnvironment::settings().setValue("panel/documents/sortReversed", true);
        ItemDragView *view = panel->view();
        const QString moved = "/d/file 3.txt";
        QMimeData mime;
        mime.setData(DesktopModel::itemMimeType(), moved.toUtf8());
        const QPoint target = view->visualRect(view->model()->index(1, 0)).center() - QPoint(20, 0);
        QSignalSpy dropped(panel, &IconPanel::itemsDropped);
        QVERIFY(dropOn(view->viewport(), target, &mime));
        QCOMPARE(dropped.count(), 0);
        const QStringList expected{"/d/file 0.txt", "/d/file 3.txt", "/d/file 1.txt", "/d/file 2.txt"};
        QTRY_COMPARE(panel->sortProxy()->manualOrder(), expected);
        PanelLayoutStore::discardState(); // read back from panels.json
        QCOMPARE(PanelLayoutStore::itemOrder("panel/documents"), expected);
        QCOMPARE(TestEnvironment::settings().value("panel/documents/sortKey").toString(), "manual");
        QCOMPARE(TestEnvironment::settings().value("panel/documents/sortReversed").toBool(), false);
        QCOMPARE(view->selectionModel()->selectedIndexes(), QModelIndexList{view->model()->index(1, 0)});

        // Past the last item: to the end.
        mime.setData(DesktopModel::itemMimeType(), QByteArray("/d/file 0.txt"));
        QVERIFY(dropOn(view->viewport(),
                       view->visualRect(view->model()->index(3, 0)).center() + QPoint(20, 0), &mime));
        QTRY_COMPARE(panel->sortProxy()->manualOrder(),
                     (QStringList{"/d/file 3.txt", "/d/file 1.txt", "/d/file 2.txt", "/d/file 0.txt"}));
    }

    void externalDropSignals_data()
    {
        QTest::addColumn<bool>("custom");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("category panel") << false << QByteArray("/e/a\n\n/e/b") << QStringList{"/e/a", "/e/b"};
        QTest::newRow("custom panel") << true << QByteArray("/e/a") << QStringList{"/e/a"};
        QTest::newRow("mixed with own item")
            << false << QByteArray("/d/file 0.txt\n/e/x") << QStringList{"/d/file 0.txt", "/e/x"};
    }

    void externalDropSignals()
    {
        QFETCH(bool, custom);
        QFETCH(QByteArray, payload);
        const QString id = custom ? PanelLayoutStore::createPanel("Mine") : "documents";
        if (custom)
            PanelLayoutStore::assignItems({"/d/file 0.txt"}, id);
        IconPanel *panel = makePanel(id, 2, {0, 0, 300, 300});
        QMimeData mime;
        mime.setData(DesktopModel::itemMimeType(), payload);
        QSignalSpy dropped(panel, &IconPanel::itemsDropped);
        QVERIFY(dropOn(panel->view()->viewport(), QPoint(20, 20), &mime));
        QCOMPARE(dropped.count(), 1);
        QTEST(dropped.at(0).at(0).toStringList(), "keys");
        QCOMPARE(dropped.at(0).at(1).toString(), custom ? id : QString());

        // Other formats are not taken.
        QMimeData text;
        text.setText("hello");
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(panel->view()->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
    }
};

QTEST_MAIN(TestPanelProxies)
#include "test_panelproxies.moc"
