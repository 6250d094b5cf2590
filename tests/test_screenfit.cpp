#include "frame/ScreenFit.h"

#include <QtTest>

using Rects = QList<QRect>;

namespace {
// Available areas: 1920 x 1080 with a 40 px bar at the bottom, and a
// 1280 x 1024 screen to its right with a 30 px bar at the top.
const QRect wide(0, 0, 1920, 1040);
const QRect side(1920, 30, 1280, 994);
const Rects one{wide};
const Rects two{wide, side};
const QSize minimum(220, 148);
} // namespace

class TestScreenFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void move_data()
    {
        QTest::addColumn<Rects>("areas");
        QTest::addColumn<QRect>("proposed");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("on screen stays") << one << QRect(100, 100, 562, 600) << QRect(100, 100, 562, 600);
        QTest::newRow("body below the bar, title above it")
            << one << QRect(100, 990, 562, 600) << QRect(100, 990, 562, 600);
        QTest::newRow("title under the bar comes up")
            << one << QRect(100, 1030, 562, 600) << QRect(100, 1040 - 44, 562, 600);
        QTest::newRow("above the top") << one << QRect(100, -50, 562, 600) << QRect(100, 0, 562, 600);
        QTest::newRow("half off the left") << one << QRect(-300, 100, 562, 600) << QRect(0, 100, 562, 600);
        QTest::newRow("half off the right")
            << one << QRect(1700, 100, 562, 600) << QRect(1358, 100, 562, 600);
        QTest::newRow("across two screens stays")
            << two << QRect(1700, 100, 562, 600) << QRect(1700, 100, 562, 600);
        QTest::newRow("into the second screen's bar")
            << two << QRect(2400, 10, 562, 600) << QRect(2400, 30, 562, 600);
        QTest::newRow("off every screen: the nearest")
            << two << QRect(5000, 300, 562, 600) << QRect(3200 - 562, 300, 562, 600);
        QTest::newRow("no screen") << Rects{} << QRect(-900, 5000, 562, 600) << QRect(-900, 5000, 562, 600);
    }
    void move()
    {
        QFETCH(Rects, areas);
        QFETCH(QRect, proposed);
        QTEST(ScreenFit::keepTitleOnScreen(proposed, 44, areas), "expected");
    }

    void resize_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("edges");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("expected");
        const int left = Qt::LeftEdge, top = Qt::TopEdge, right = Qt::RightEdge, bottom = Qt::BottomEdge;
        QTest::newRow("bottom stops at the bar")
            << QRect(100, 298, 562, 1201) << bottom << wide << QRect(100, 298, 562, 1040 - 298);
        QTest::newRow("right stops at the screen edge")
            << QRect(1500, 100, 600, 300) << right << wide << QRect(1500, 100, 420, 300);
        QTest::newRow("left and top stop at the screen")
            << QRect(-50, -20, 600, 300) << (left | top) << wide << QRect(0, 0, 550, 280);
        QTest::newRow("inside is left alone")
            << QRect(100, 100, 600, 300) << (right | bottom) << wide << QRect(100, 100, 600, 300);
        QTest::newRow("only the dragged edge is held")
            << QRect(100, 900, 300, 300) << right << wide << QRect(100, 900, 300, 300);
        QTest::newRow("never below the minimum")
            << QRect(1800, 100, 220, 300) << right << wide << QRect(1800, 100, 220, 300);
        QTest::newRow("no screen") << QRect(100, 298, 562, 1201) << bottom << QRect()
                                   << QRect(100, 298, 562, 1201);
    }
    void resize()
    {
        QFETCH(QRect, rect);
        QFETCH(int, edges);
        QFETCH(QRect, area);
        QTEST(ScreenFit::limitResize(rect, Qt::Edges(edges), minimum, area), "expected");
    }

    void restore_data()
    {
        QTest::addColumn<Rects>("areas");
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("fitting stays") << one << QRect(1200, 298, 562, 700) << QRect(1200, 298, 562, 700);
        QTest::newRow("taller than the screen")
            << one << QRect(1200, 298, 562, 1201) << QRect(1200, 0, 562, 1040);
        QTest::newRow("half off the right")
            << one << QRect(1700, 100, 562, 600) << QRect(1358, 100, 562, 600);
        QTest::newRow("across two screens stays")
            << two << QRect(1700, 100, 562, 600) << QRect(1700, 100, 562, 600);
        QTest::newRow("mostly on the second screen goes inside it")
            << two << QRect(3000, 900, 562, 600) << QRect(3200 - 562, 1024 - 600, 562, 600);
        QTest::newRow("over two screens, mostly the second: inside the second")
            << two << QRect(1800, 0, 562, 600) << QRect(1920, 30, 562, 600);
        QTest::newRow("a screen smaller than the minimum")
            << Rects{QRect(0, 0, 200, 100)} << QRect(50, 50, 300, 300) << QRect(0, 0, 220, 148);
        QTest::newRow("no screen") << Rects{} << QRect(5000, 0, 562, 600) << QRect(5000, 0, 562, 600);
    }
    void restore()
    {
        QFETCH(Rects, areas);
        QFETCH(QRect, stored);
        const QRect fitted = ScreenFit::fitInside(stored, areas, minimum);
        QTEST(fitted, "expected");
    }
};

QTEST_APPLESS_MAIN(TestScreenFit)
#include "test_screenfit.moc"
