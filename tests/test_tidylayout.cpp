#include "categories/CategoryRules.h"
#include "panels/TidyLayout.h"

#include <QtTest>

using namespace TidyLayout;

Q_DECLARE_METATYPE(std::optional<QRect>)

using Entries = QList<TidyEntry>;
using Records = QList<LayoutRecord>;
using UserRects = QHash<int, QRect>;
using Rects = QList<QRect>;

namespace {

// Work area of a 1920 x 1080 screen: (24, 24, 1872, 1032).
const QRect fullHd = workAreaFor(QRect(0, 0, 1920, 1080));

TidyEntry entry(int category, int items, std::optional<bool> listMode = std::nullopt)
{
    return {category, items, listMode};
}

} // namespace

class TestTidyLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void computeTidyLayout_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<Records>("expected");
        const auto row = [](const char *tag, QRect area, const Entries &entries, const Records &expected) {
            QTest::newRow(tag) << entries << area << expected;
        };
        // Slots 10, one list column 260 wide, three grid columns 356 wide; given out of order.
        row("two lists, three grids", fullHd,
            {entry(DocumentsCategory, 2), entry(ImagesCategory, 10), entry(FoldersCategory, 5),
             entry(SystemCategory, 3), entry(AppsCategory, 7)},
            {{SystemCategory, QRect(1636, 24, 260, 148), true},
             {ImagesCategory, QRect(1636, 188, 260, 372), true},
             {FoldersCategory, QRect(1264, 24, 356, 604)},
             {AppsCategory, QRect(892, 24, 356, 604)},
             {DocumentsCategory, QRect(520, 24, 356, 604)}});
        row("explicit modes, empty panel skipped", fullHd,
            {entry(FoldersCategory, 2, true), entry(ImagesCategory, 3, false), entry(AudioCategory, 0)},
            {{FoldersCategory, QRect(1636, 24, 260, 116), true},
             {ImagesCategory, QRect(1264, 24, 356, 604)}});
        row("two grid rows", {0, 0, 700, 1032},
            {entry(FoldersCategory, 1), entry(AppsCategory, 1), entry(DocumentsCategory, 1),
             entry(ImagesCategory, 1, false)},
            {{FoldersCategory, QRect(478, 0, 222, 508)},
             {AppsCategory, QRect(240, 0, 222, 508)},
             {DocumentsCategory, QRect(2, 0, 222, 508)},
             {ImagesCategory, QRect(478, 524, 222, 508)}});
        // Too low for a grid panel: everything becomes a list, one per column.
        row("grids fall back to lists", {0, 0, 1000, 150},
            {entry(FoldersCategory, 4, false), entry(DocumentsCategory, 1)},
            {{FoldersCategory, QRect(740, 0, 260, 150), true},
             {DocumentsCategory, QRect(464, 0, 260, 84), true}});
        row("empty area", {}, {entry(FoldersCategory, 3)}, {});
    }

    void computeTidyLayout()
    {
        QFETCH(Entries, entries);
        QFETCH(QRect, area);
        QTEST(TidyLayout::computeTidyLayout(entries, area, 48), "expected");
    }

    void columnHeights_data()
    {
        QTest::addColumn<QList<int>>("itemCounts");
        QTest::addColumn<int>("height");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("remainder goes first") << QList<int>{10, 10, 10} << 300 << QList<int>{90, 89, 89};
        QTest::newRow("below one row") << QList<int>{1, 1} << 100 << QList<int>{42, 42};
        QTest::newRow("short lists stop growing") << QList<int>{1, 2} << 1000 << QList<int>{84, 116};
    }

    void columnHeights()
    {
        QFETCH(QList<int>, itemCounts);
        QFETCH(int, height);
        Entries column;
        for (int count : std::as_const(itemCounts))
            column.append(entry(OtherCategory, count));
        QTEST(TidyLayout::columnHeights(column, height), "expected");
    }

    void mergeUserPlaced_data()
    {
        QTest::addColumn<UserRects>("user");
        QTest::addColumn<QList<int>>("kept"); // categories left at their user rectangles
        QTest::newRow("overlaps nothing") << UserRects{{1, QRect(200, 300, 100, 100)}} << QList<int>{1};
        QTest::newRow("overlaps a slot") << UserRects{{1, QRect(50, 50, 100, 100)}} << QList<int>{};
        QTest::newRow("overlap each other")
            << UserRects{{0, QRect(0, 500, 100, 100)}, {2, QRect(50, 550, 100, 100)}} << QList<int>{};
        // Sending the first back makes it overlap the third, which then goes back as well.
        QTest::newRow("chain") << UserRects{{0, QRect(250, 0, 100, 100)}, {2, QRect(50, 50, 100, 100)}}
                               << QList<int>{};
    }

    void mergeUserPlaced()
    {
        QFETCH(UserRects, user);
        QFETCH(QList<int>, kept);
        const Records layout{{0, QRect(0, 0, 100, 100), false, true},
                             {1, QRect(200, 0, 100, 100), true, false},
                             {2, QRect(400, 0, 100, 100), false, false}};
        Records expected = layout;
        for (LayoutRecord &record : expected) {
            record.userPlaced = kept.contains(record.category);
            record.rect = record.userPlaced ? user.value(record.category) : record.rect;
        }
        QCOMPARE(TidyLayout::mergeUserPlaced(layout, user), expected);
    }

    void layoutCustomPanels_data()
    {
        QTest::addColumn<QList<QSize>>("sizes"); // each with the grid minimum (220 x 148)
        QTest::addColumn<Rects>("occupied");     // in the area (0, 0, 1000, 800)
        QTest::addColumn<Rects>("expected");
        auto row = [](const char *tag, const QList<QSize> &sizes, const Rects &occupied,
                      const Rects &expected) {
            QTest::newRow(tag) << sizes << occupied << expected;
        };
        const Rects rightHalf{{500, 0, 500, 800}};
        row("beside the category panels, highest first", {{200, 300}, {200, 300}}, rightHalf,
            {{284, 0, 200, 300}, {68, 0, 200, 300}});
        row("shrunk to the strip", {{400, 900}}, {{300, 0, 700, 800}}, {{64, 0, 220, 800}});
        row("strip too narrow: below", {{200, 300}}, {{100, 0, 900, 300}}, {{800, 316, 200, 300}});
        row("between panels", {{200, 300}}, {{0, 0, 380, 800}, {620, 0, 380, 800}}, {{404, 0, 200, 300}});
        row("no room anywhere: cascade", {{300, 300}, {300, 300}}, {{0, 0, 1000, 800}},
            {{44, 44, 300, 300}, {88, 88, 300, 300}});
        row("nothing occupied", {{200, 300}}, {}, {{800, 0, 200, 300}});
        row("occupied off the area", {{200, 300}}, {{3000, 0, 100, 100}}, {{800, 0, 200, 300}});
    }

    void layoutCustomPanels()
    {
        QFETCH(QList<QSize>, sizes);
        QFETCH(Rects, occupied);
        QList<SizeRequest> requests;
        for (const QSize &size : std::as_const(sizes))
            requests.append({size, QSize(220, 148)});
        QTEST(TidyLayout::layoutCustomPanels(requests, QRect(0, 0, 1000, 800), occupied), "expected");
    }

    void freeRectNear_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<std::optional<QRect>>("expected");
        const auto row = [](const char *tag, QSize size, QPoint anchor, std::optional<QRect> expected,
                            QSize minimum = {220, 148}) {
            QTest::newRow(tag) << size << minimum << anchor << expected;
        };
        // The area (0, 0, 1000, 800) with a block at (300, 0, 400, 500).
        row("anchor is free", {200, 200}, {0, 0}, QRect(0, 0, 200, 200));
        row("nearest side", {200, 200}, {350, 100}, QRect(84, 100, 200, 200));
        row("only below fits", {600, 200}, {300, 0}, QRect(300, 516, 600, 200));
        row("shrunk below", {900, 400}, {0, 0}, QRect(0, 516, 900, 200));
        row("no room", {900, 400}, {0, 0}, std::nullopt, {900, 300});
    }

    void freeRectNear()
    {
        QFETCH(QSize, size);
        QFETCH(QSize, minimum);
        QFETCH(QPoint, anchor);
        QTEST(TidyLayout::freeRectNear(size, minimum, QRect(0, 0, 1000, 800), {QRect(300, 0, 400, 500)},
                                       anchor),
              "expected");
    }

    void freeSpot_data()
    {
        QTest::addColumn<QList<QRect>>("occupied"); // in the area (24, 24, 1000, 600)
        QTest::addColumn<QRect>("expected");        // of 300 x 214, at least 280 x 150
        const auto row = [](const char *tag, const QList<QRect> &occupied, QRect expected) {
            QTest::newRow(tag) << occupied << expected;
        };
        row("free area: its corner", {}, {24, 24, 300, 214});
        row("down the first column", {{24, 24, 400, 200}}, {24, 240, 300, 214});
        row("next column", {{24, 24, 400, 600}}, {440, 24, 300, 214});
        row("between two windows", {{24, 24, 300, 600}, {660, 24, 364, 600}}, {340, 24, 300, 214});
        row("shrunk into the strip below", {{24, 24, 1000, 380}}, {24, 420, 300, 160});
        row("no room: least covered", {{24, 24, 1000, 500}}, {24, 474, 280, 150});
        row("no room at all: the corner, smallest", {{24, 24, 1000, 600}}, {24, 24, 280, 150});
    }

    void freeSpot()
    {
        QFETCH(QList<QRect>, occupied);
        QTEST(TidyLayout::freeSpot(QSize(300, 214), QSize(280, 150), QRect(24, 24, 1000, 600), occupied),
              "expected");
    }
};

QTEST_GUILESS_MAIN(TestTidyLayout)
#include "test_tidylayout.moc"
