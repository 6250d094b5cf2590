#include "categories/CategoryRules.h"
#include "panels/TidyLayout.h"

#include <QtTest>

using namespace TidyLayout;

Q_DECLARE_METATYPE(TidyLayout::TidyEntry)
Q_DECLARE_METATYPE(TidyLayout::LayoutRecord)

using Entries = QList<TidyEntry>;
using Records = QList<LayoutRecord>;
using UserRects = QHash<int, QRect>;

namespace {

const QRect fullHd(24, 24, 1872, 1032); // work area of a 1920 x 1080 screen

TidyEntry entry(int category, int items, std::optional<bool> listMode = std::nullopt)
{
    return {category, items, listMode};
}

} // namespace

class TestTidyLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizes();
    void computeTidyLayout_data();
    void computeTidyLayout();
    void splitIntoColumns_data();
    void splitIntoColumns();
    void columnHeights_data();
    void columnHeights();
    void mergeUserPlaced_data();
    void mergeUserPlaced();
    void freeArea_data();
    void freeArea();
    void layoutCustomPanels_data();
    void layoutCustomPanels();
};

void TestTidyLayout::sizes()
{
    QCOMPARE(workAreaFor(QRect(0, 0, 1920, 1080)), fullHd);
    QCOMPARE(gridCellSize(32), QSize(104, 92));
    QCOMPARE(gridCellSize(96), QSize(152, 156));
    QCOMPARE(smallestGridPanelSize(48), QSize(220, 172));
    QCOMPARE(smallestGridPanelSize(96), QSize(220, 220));
    QCOMPARE(tallestGridPanelHeight(48), 604);
    QCOMPARE(widestGridPanelWidth(48), 356);
    QCOMPARE(widestGridPanelWidth(96), 500);
    QCOMPARE(listNaturalHeight(0), 84);
    QCOMPARE(listNaturalHeight(3), 148);
}

void TestTidyLayout::computeTidyLayout_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<Records>("expected");

    // Slots 10, one list column 260 wide, three grid columns 356 wide; given out of order.
    QTest::newRow("two lists, three grids")
        << Entries{entry(DocumentsCategory, 2), entry(ImagesCategory, 10), entry(FoldersCategory, 5),
                   entry(SystemCategory, 3), entry(AppsCategory, 7)}
        << fullHd
        << Records{{SystemCategory, QRect(1636, 24, 260, 148), true, false},
                   {ImagesCategory, QRect(1636, 188, 260, 372), true, false},
                   {FoldersCategory, QRect(1264, 24, 356, 604), false, false},
                   {AppsCategory, QRect(892, 24, 356, 604), false, false},
                   {DocumentsCategory, QRect(520, 24, 356, 604), false, false}};
    QTest::newRow("explicit modes, empty panel skipped")
        << Entries{entry(FoldersCategory, 2, true), entry(ImagesCategory, 3, false), entry(AudioCategory, 0)}
        << fullHd
        << Records{{FoldersCategory, QRect(1636, 24, 260, 116), true, false},
                   {ImagesCategory, QRect(1264, 24, 356, 604), false, false}};
    QTest::newRow("two grid rows") << Entries{entry(FoldersCategory, 1), entry(AppsCategory, 1),
                                              entry(DocumentsCategory, 1), entry(ImagesCategory, 1, false)}
                                   << QRect(0, 0, 700, 1032)
                                   << Records{{FoldersCategory, QRect(478, 0, 222, 508), false, false},
                                              {AppsCategory, QRect(240, 0, 222, 508), false, false},
                                              {DocumentsCategory, QRect(2, 0, 222, 508), false, false},
                                              {ImagesCategory, QRect(478, 524, 222, 508), false, false}};
    // Too low for a grid panel: everything becomes a list, one per column.
    QTest::newRow("grids fall back to lists")
        << Entries{entry(FoldersCategory, 4, false), entry(DocumentsCategory, 1)} << QRect(0, 0, 1000, 150)
        << Records{{FoldersCategory, QRect(740, 0, 260, 150), true, false},
                   {DocumentsCategory, QRect(464, 0, 260, 84), true, false}};
    QTest::newRow("nothing to show") << Entries{entry(FoldersCategory, 0)} << fullHd << Records{};
    QTest::newRow("empty area") << Entries{entry(FoldersCategory, 3)} << QRect() << Records{};
}

void TestTidyLayout::computeTidyLayout()
{
    QFETCH(Entries, entries);
    QFETCH(QRect, area);
    QFETCH(Records, expected);
    QCOMPARE(TidyLayout::computeTidyLayout(entries, area, 48), expected);
}

void TestTidyLayout::splitIntoColumns_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QList<int>>("sizes");
    QTest::newRow("5 in 2") << 5 << 2 << QList<int>{3, 2};
    QTest::newRow("5 in 3") << 5 << 3 << QList<int>{2, 2, 1};
    QTest::newRow("2 in 3") << 2 << 3 << QList<int>{1, 1, 0};
    QTest::newRow("no columns") << 4 << 0 << QList<int>{};
}

void TestTidyLayout::splitIntoColumns()
{
    QFETCH(int, entries);
    QFETCH(int, columns);
    QFETCH(QList<int>, sizes);
    Entries input;
    for (int i = 0; i < entries; ++i)
        input.append(entry(i, i + 1));
    const QList<Entries> split = TidyLayout::splitIntoColumns(input, columns);
    QList<int> actualSizes;
    Entries joined;
    for (const Entries &column : split) {
        actualSizes.append(int(column.size()));
        joined += column;
    }
    QCOMPARE(actualSizes, sizes);
    if (columns > 0)
        QCOMPARE(joined, input); // contiguous and in order
}

void TestTidyLayout::columnHeights_data()
{
    QTest::addColumn<QList<int>>("itemCounts");
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("room for both") << QList<int>{3, 10} << 604 << QList<int>{148, 372};
    QTest::newRow("shared evenly") << QList<int>{10, 10} << 300 << QList<int>{142, 142};
    QTest::newRow("remainder goes first") << QList<int>{10, 10, 10} << 300 << QList<int>{90, 89, 89};
    QTest::newRow("below one row") << QList<int>{1, 1} << 100 << QList<int>{42, 42};
    QTest::newRow("short lists stop growing") << QList<int>{1, 2} << 1000 << QList<int>{84, 116};
}

void TestTidyLayout::columnHeights()
{
    QFETCH(QList<int>, itemCounts);
    QFETCH(int, height);
    QFETCH(QList<int>, expected);
    Entries column;
    for (int count : std::as_const(itemCounts))
        column.append(entry(OtherCategory, count));
    QCOMPARE(TidyLayout::columnHeights(column, height), expected);
}

void TestTidyLayout::mergeUserPlaced_data()
{
    QTest::addColumn<UserRects>("user");
    QTest::addColumn<QList<QRect>>("rects");
    QTest::addColumn<QList<bool>>("placed");
    const QRect a(0, 0, 100, 100), b(200, 0, 100, 100), c(400, 0, 100, 100);
    QTest::newRow("overlaps nothing")
        << UserRects{{1, QRect(200, 300, 100, 100)}} << QList<QRect>{a, QRect(200, 300, 100, 100), c}
        << QList<bool>{false, true, false};
    QTest::newRow("overlaps a slot") << UserRects{{1, QRect(50, 50, 100, 100)}} << QList<QRect>{a, b, c}
                                     << QList<bool>{false, false, false};
    QTest::newRow("overlap each other")
        << UserRects{{0, QRect(0, 500, 100, 100)}, {2, QRect(50, 550, 100, 100)}} << QList<QRect>{a, b, c}
        << QList<bool>{false, false, false};
    // Sending the first back makes it overlap the third, which then goes back as well.
    QTest::newRow("chain") << UserRects{{0, QRect(250, 0, 100, 100)}, {2, QRect(50, 50, 100, 100)}}
                           << QList<QRect>{a, b, c} << QList<bool>{false, false, false};
}

void TestTidyLayout::mergeUserPlaced()
{
    QFETCH(UserRects, user);
    QFETCH(QList<QRect>, rects);
    QFETCH(QList<bool>, placed);
    const Records layout{{0, QRect(0, 0, 100, 100), false, true},
                         {1, QRect(200, 0, 100, 100), true, false},
                         {2, QRect(400, 0, 100, 100), false, false}};
    const Records merged = TidyLayout::mergeUserPlaced(layout, user);
    QCOMPARE(merged.size(), layout.size());
    for (int i = 0; i < merged.size(); ++i) {
        QCOMPARE(merged[i].category, layout[i].category);
        QCOMPARE(merged[i].list, layout[i].list);
        QCOMPARE(merged[i].rect, rects[i]);
        QCOMPARE(merged[i].userPlaced, placed[i]);
    }
}

void TestTidyLayout::freeArea_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QRect>("occupied");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("nothing occupied") << fullHd << QRect() << fullHd;
    QTest::newRow("left strip") << fullHd << QRect(520, 24, 1376, 604) << QRect(24, 24, 480, 1032);
    QTest::newRow("left strip, narrowest") << fullHd << QRect(260, 24, 100, 100) << QRect(24, 24, 220, 1032);
    QTest::newRow("below") << fullHd << QRect(259, 24, 100, 604) << QRect(24, 644, 1872, 412);
    QTest::newRow("below, no room") << fullHd << QRect(100, 24, 1796, 1032) << QRect();
    QTest::newRow("occupied off the area") << fullHd << QRect(3000, 24, 100, 100) << fullHd;
}

void TestTidyLayout::freeArea()
{
    QFETCH(QRect, area);
    QFETCH(QRect, occupied);
    QFETCH(QRect, expected);
    const QRect free = TidyLayout::freeArea(area, occupied);
    if (expected.isEmpty())
        QVERIFY(free.isEmpty());
    else
        QCOMPARE(free, expected);
}

void TestTidyLayout::layoutCustomPanels_data()
{
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::addColumn<QRect>("occupied");
    QTest::addColumn<QList<QRect>>("expected");
    const QRect rightHalf(500, 0, 500, 800); // leaves the strip (0, 0, 484, 800)
    QTest::newRow("one column") << QList<QSize>{{200, 300}, {200, 300}} << rightHalf
                                << QList<QRect>{{284, 0, 200, 300}, {284, 316, 200, 300}};
    QTest::newRow("second column, then cascade")
        << QList<QSize>{{200, 500}, {200, 500}, {200, 500}, {200, 500}} << rightHalf
        << QList<QRect>{{284, 0, 200, 500}, {68, 0, 200, 500}, {44, 44, 200, 500}, {88, 88, 200, 500}};
    QTest::newRow("clipped to strip and area")
        << QList<QSize>{{600, 1000}} << rightHalf << QList<QRect>{{0, 0, 484, 800}};
    QTest::newRow("no free strip cascades over the area")
        << QList<QSize>{{300, 300}, {300, 300}} << QRect(100, 0, 900, 800)
        << QList<QRect>{{44, 44, 300, 300}, {88, 88, 300, 300}};
    QTest::newRow("no panels") << QList<QSize>{} << rightHalf << QList<QRect>{};
}

void TestTidyLayout::layoutCustomPanels()
{
    QFETCH(QList<QSize>, sizes);
    QFETCH(QRect, occupied);
    QFETCH(QList<QRect>, expected);
    QCOMPARE(TidyLayout::layoutCustomPanels(sizes, QRect(0, 0, 1000, 800), occupied), expected);
}

QTEST_GUILESS_MAIN(TestTidyLayout)
#include "test_tidylayout.moc"
