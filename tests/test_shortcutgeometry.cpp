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
        QTest::newRow("just at the minimum") << 64 << QSize(88, 112);
        QTest::newRow("width grows past the minimum") << 96 << QSize(120, 144);
    }
    void cellSize()
    {
        QFETCH(int, iconSize);
        QTEST(ShortcutGeometry::cellSize(iconSize), "expected");
    }

    void clamp_data()
    {
        QTest::addColumn<Screens>("screens");
        QTest::addColumn<int>("primary");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<QPoint>("expected");
        const auto row = [](const char *tag, const Screens &screens, int primary, QPoint at,
                            QPoint expected) {
            QTest::newRow(tag) << screens << primary << at << expected;
        };
        const Screens one{wide};
        const Screens two{wide, side};
        row("inside stays", one, 0, {456, 272}, {456, 272});
        row("bottom-right corner, under the bar", one, 0, {1919, 1079}, {1920 - 88, 1040 - 96});
        row("exactly fitting at the corner", one, 0, {1832, 944}, {1832, 944});
        row("off every screen goes to the primary", one, 0, {5000, -300}, {1920 - 88, 0});
        row("second screen clamps into its own area", two, 0, {3190, 5}, {1920 + 1280 - 88, 30});
        row("second screen's bottom, lower than the first's", two, 0, {2000, 1000}, {2000, 1024 - 96});
        row("below the shorter screen goes to the primary", two, 0, {2500, 1050}, {1920 - 88, 1040 - 96});
        row("primary is the second screen", two, 1, {-50, 2000}, {1920, 1024 - 96});
        row("the point's screen decides, not the window's", two, 0, {1900, 100}, {1920 - 88, 100});
        row("screen left of the origin", Screens{wide, left}, 0, {-10, 210}, {-88, 228});
        row("screen too small sticks to the top-left", Screens{{QRect(0, 0, 60, 50), QRect(0, 0, 60, 50)}}, 0,
            {30, 20}, {0, 0});
        row("no screen leaves the position", Screens{}, 0, {-7000, 9000}, {-7000, 9000});
        row("primary index out of range uses a screen", one, 5, {-100, 50}, {0, 50});
    }
    void clamp()
    {
        QFETCH(Screens, screens);
        QFETCH(int, primary);
        QFETCH(QPoint, position);
        QTEST(ShortcutGeometry::clampToAvailable(position, cell, screens, primary), "expected");
    }

    void dropPositions_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QPoint>("drop");
        QTest::addColumn<int>("iconSize");
        QTest::addColumn<Screens>("screens");
        QTest::addColumn<QList<QPoint>>("expected");
        const Screens one{wide};
        QTest::newRow("a row, the first icon centred under the point")
            << 3 << QPoint(500, 300) << 48 << one << QList<QPoint>{{456, 272}, {544, 272}, {632, 272}};
        QTest::newRow("large icons") << 2 << QPoint(500, 300) << 96 << one
                                     << QList<QPoint>{{440, 248}, {560, 248}};
        QTest::newRow("10 px from the bottom-right corner of the work area")
            << 1 << QPoint(1909, 1029) << 48 << one << QList<QPoint>{{1920 - 88, 1040 - 96}};
        QTest::newRow("running past the right edge piles at the edge")
            << 3 << QPoint(1800, 300) << 48 << one << QList<QPoint>{{1756, 272}, {1832, 272}, {1832, 272}};
        QTest::newRow("a row crossing onto the second screen")
            << 2 << QPoint(1900, 300) << 48 << Screens{wide, side} << QList<QPoint>{{1832, 272}, {1944, 272}};
        QTest::newRow("near the second screen's left edge stays on it")
            << 1 << QPoint(1950, 300) << 48 << Screens{wide, side} << QList<QPoint>{{1920, 272}};
        QTest::newRow("near the second screen's top edge stays on it")
            << 1 << QPoint(2500, 10) << 48 << Screens{wide, side} << QList<QPoint>{{2456, 30}};
        QTest::newRow("nothing dropped") << 0 << QPoint(500, 300) << 48 << one << QList<QPoint>{};
    }
    void dropPositions()
    {
        QFETCH(int, count);
        QFETCH(QPoint, drop);
        QFETCH(int, iconSize);
        QFETCH(Screens, screens);
        QTEST(ShortcutGeometry::dropPositions(count, drop, iconSize, screens, 0), "expected");
    }
};

QTEST_APPLESS_MAIN(TestShortcutGeometry)
#include "test_shortcutgeometry.moc"
