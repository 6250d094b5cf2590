#include "shortcuts/ShortcutGeometry.h"

#include <QtTest>

using ShortcutGeometry::ScreenArea;
using Screens = QList<ScreenArea>;

namespace {
// 1920x1080 with a 40 px bar at the bottom, and a smaller 1280x1024 screen to its right.
const ScreenArea wide{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040)};
const ScreenArea side{QRect(1920, 0, 1280, 1024), QRect(1920, 30, 1280, 994)};
// A screen left of the origin, bar at the top.
const ScreenArea left{QRect(-1024, 200, 1024, 768), QRect(-1024, 228, 1024, 740)};
const QSize cell(88, 96);
} // namespace

class TestShortcutGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cellSize_data()
    {
        QTest::addColumn<int>("iconSize");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("small icons keep the minimum width") << 32 << QSize(88, 80);
        QTest::newRow("medium") << 48 << QSize(88, 96);
        QTest::newRow("width grows past the minimum") << 96 << QSize(120, 144);
        QTest::newRow("just at the minimum") << 64 << QSize(88, 112);
    }
    void cellSize()
    {
        QFETCH(int, iconSize);
        QFETCH(QSize, expected);
        QCOMPARE(ShortcutGeometry::cellSize(iconSize), expected);
    }

    void clamp_data()
    {
        QTest::addColumn<Screens>("screens");
        QTest::addColumn<int>("primary");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("expected");

        const Screens one{wide};
        const Screens two{wide, side};
        QTest::newRow("inside stays") << one << 0 << QPoint(456, 272) << cell << QPoint(456, 272);
        QTest::newRow("past the right edge touches it")
            << one << 0 << QPoint(1900, 500) << cell << QPoint(1920 - 88, 500);
        QTest::newRow("under the bottom bar lifts above it")
            << one << 0 << QPoint(300, 1030) << cell << QPoint(300, 1040 - 96);
        QTest::newRow("bottom-right corner")
            << one << 0 << QPoint(1919, 1079) << cell << QPoint(1920 - 88, 1040 - 96);
        QTest::newRow("exactly fitting at the corner")
            << one << 0 << QPoint(1832, 944) << cell << QPoint(1832, 944);
        QTest::newRow("off every screen goes to the primary")
            << one << 0 << QPoint(5000, -300) << cell << QPoint(1920 - 88, 0);
        QTest::newRow("negative coordinates off screen")
            << one << 0 << QPoint(-500, -500) << cell << QPoint(0, 0);
        QTest::newRow("second screen clamps into its own area")
            << two << 0 << QPoint(3190, 5) << cell << QPoint(1920 + 1280 - 88, 30);
        QTest::newRow("second screen's bottom, lower than the first's")
            << two << 0 << QPoint(2000, 1000) << cell << QPoint(2000, 1024 - 96);
        QTest::newRow("below the shorter screen goes to the primary")
            << two << 0 << QPoint(2500, 1050) << cell << QPoint(1920 - 88, 1040 - 96);
        QTest::newRow("primary is the second screen")
            << two << 1 << QPoint(-50, 2000) << cell << QPoint(1920, 1024 - 96);
        QTest::newRow("near the right of the first, window would overlap the second")
            << two << 0 << QPoint(1900, 100) << cell << QPoint(1920 - 88, 100);
        QTest::newRow("screen left of the origin")
            << Screens{wide, left} << 0 << QPoint(-10, 210) << cell << QPoint(-88, 228);
        QTest::newRow("screen too small sticks to the top-left")
            << Screens{{QRect(0, 0, 60, 50), QRect(0, 0, 60, 50)}} << 0 << QPoint(30, 20) << cell
            << QPoint(0, 0);
        QTest::newRow("no screen leaves the position")
            << Screens{} << 0 << QPoint(-7000, 9000) << cell << QPoint(-7000, 9000);
        QTest::newRow("primary index out of range uses a screen")
            << one << 5 << QPoint(-100, 50) << cell << QPoint(0, 50);
    }
    void clamp()
    {
        QFETCH(Screens, screens);
        QFETCH(int, primary);
        QFETCH(QPoint, position);
        QFETCH(QSize, size);
        QFETCH(QPoint, expected);
        const QPoint result = ShortcutGeometry::clampToAvailable(position, size, screens, primary);
        QCOMPARE(result, expected);
        if (!screens.isEmpty()) {
            // Wherever it ends, a window that fits lies wholly within one screen's free area.
            const QRect window(result, size);
            const bool fits = std::any_of(screens.cbegin(), screens.cend(), [&](const ScreenArea &s) {
                return s.available.contains(window) || s.available.width() < size.width() ||
                       s.available.height() < size.height();
            });
            QVERIFY(fits);
        }
    }

    // The screen a shortcut was on was removed: the other one takes it, inside its area.
    void removedScreen()
    {
        const QPoint stored(2600, 900);
        QCOMPARE(ShortcutGeometry::clampToAvailable(stored, cell, {wide, side}, 0), stored);
        QCOMPARE(ShortcutGeometry::clampToAvailable(stored, cell, {wide}, 0), QPoint(1920 - 88, 900));
        // The resolution shrank under it.
        const ScreenArea smaller{QRect(0, 0, 1280, 720), QRect(0, 0, 1280, 690)};
        QCOMPARE(ShortcutGeometry::clampToAvailable(QPoint(1500, 800), cell, {smaller}, 0),
                 QPoint(1280 - 88, 690 - 96));
    }

    void dropPositions_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QPoint>("drop");
        QTest::addColumn<int>("iconSize");
        QTest::addColumn<Screens>("screens");
        QTest::addColumn<QList<QPoint>>("expected");

        const Screens one{wide};
        QTest::newRow("one item, icon centred under the point")
            << 1 << QPoint(500, 300) << 48 << one << QList<QPoint>{{456, 272}};
        QTest::newRow("three items in a row")
            << 3 << QPoint(500, 300) << 48 << one << QList<QPoint>{{456, 272}, {544, 272}, {632, 272}};
        QTest::newRow("large icons") << 2 << QPoint(500, 300) << 96 << one
                                     << QList<QPoint>{{440, 248}, {560, 248}};
        QTest::newRow("10 px from the bottom-right corner of the work area")
            << 1 << QPoint(1909, 1029) << 48 << one << QList<QPoint>{{1920 - 88, 1040 - 96}};
        QTest::newRow("running past the right edge piles at the edge")
            << 3 << QPoint(1800, 300) << 48 << one << QList<QPoint>{{1756, 272}, {1832, 272}, {1832, 272}};
        QTest::newRow("a row crossing onto the second screen")
            << 2 << QPoint(1900, 300) << 48 << Screens{wide, side} << QList<QPoint>{{1832, 272}, {1944, 272}};
        QTest::newRow("nothing dropped") << 0 << QPoint(500, 300) << 48 << one << QList<QPoint>{};
    }
    void dropPositions()
    {
        QFETCH(int, count);
        QFETCH(QPoint, drop);
        QFETCH(int, iconSize);
        QFETCH(Screens, screens);
        QFETCH(QList<QPoint>, expected);
        QCOMPARE(ShortcutGeometry::dropPositions(count, drop, iconSize, screens, 0), expected);
    }
};

QTEST_APPLESS_MAIN(TestShortcutGeometry)
#include "test_shortcutgeometry.moc"
