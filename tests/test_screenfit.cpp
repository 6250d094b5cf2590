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
        QTest::addColumn<QRect>("proposed"); // 562 x 600 at the point given
        QTest::addColumn<QRect>("expected");
        const auto row = [](const char *tag, const Rects &areas, QPoint proposed, QPoint expected) {
            QTest::newRow(tag) << areas << QRect(proposed, QSize(562, 600))
                               << QRect(expected, QSize(562, 600));
        };
        row("on screen stays", one, {100, 100}, {100, 100});
        row("body below the bar, title above it", one, {100, 990}, {100, 990});
        row("title under the bar comes up", one, {100, 1030}, {100, 1040 - 44});
        row("above the top", one, {100, -50}, {100, 0});
        row("half off the left", one, {-300, 100}, {0, 100});
        row("half off the right", one, {1700, 100}, {1358, 100});
        row("across two screens stays", two, {1700, 100}, {1700, 100});
        row("into the second screen's bar", two, {2400, 10}, {2400, 30});
        row("off every screen: the nearest", two, {5000, 300}, {3200 - 562, 300});
        row("no screen", {}, {-900, 5000}, {-900, 5000});
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
        const auto row = [](const char *tag, QRect rect, int edges, QRect expected, QRect area = wide) {
            QTest::newRow(tag) << rect << edges << area << expected;
        };
        const int left = Qt::LeftEdge, top = Qt::TopEdge, right = Qt::RightEdge, bottom = Qt::BottomEdge;
        row("bottom stops at the bar", {100, 298, 562, 1201}, bottom, {100, 298, 562, 1040 - 298});
        row("right stops at the screen edge", {1500, 100, 600, 300}, right, {1500, 100, 420, 300});
        row("left and top stop at the screen", {-50, -20, 600, 300}, left | top, {0, 0, 550, 280});
        row("inside is left alone", {100, 100, 600, 300}, right | bottom, {100, 100, 600, 300});
        row("only the dragged edge is held", {100, 900, 300, 300}, right, {100, 900, 300, 300});
        row("never below the minimum", {1800, 100, 220, 300}, right, {1800, 100, 220, 300});
        row("no screen", {100, 298, 562, 1201}, bottom, {100, 298, 562, 1201}, QRect());
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
        const auto row = [](const char *tag, const Rects &areas, QRect stored, QRect expected) {
            QTest::newRow(tag) << areas << stored << expected;
        };
        row("fitting stays", one, {1200, 298, 562, 700}, {1200, 298, 562, 700});
        row("taller than the screen", one, {1200, 298, 562, 1201}, {1200, 0, 562, 1040});
        row("half off the right", one, {1700, 100, 562, 600}, {1358, 100, 562, 600});
        row("across two screens stays", two, {1700, 100, 562, 600}, {1700, 100, 562, 600});
        row("mostly on the second screen goes inside it", two, {3000, 900, 562, 600},
            {3200 - 562, 1024 - 600, 562, 600});
        row("over two screens, mostly the second: inside the second", two, {1800, 0, 562, 600},
            {1920, 30, 562, 600});
        row("a screen smaller than the minimum", {QRect(0, 0, 200, 100)}, {50, 50, 300, 300},
            {0, 0, 220, 148});
        row("no screen", {}, {5000, 0, 562, 600}, {5000, 0, 562, 600});
    }
    void restore()
    {
        QFETCH(Rects, areas);
        QFETCH(QRect, stored);
        QTEST(ScreenFit::fitInside(stored, areas, minimum), "expected");
    }
};

QTEST_APPLESS_MAIN(TestScreenFit)
#include "test_screenfit.moc"
