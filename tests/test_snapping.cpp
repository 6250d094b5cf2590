#include "frame/GuideOverlay.h"
#include "frame/Snapping.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

using Lines = QList<QLine>;
using Rects = QList<QRect>;

namespace {

const QRect peer(100, 100, 200, 100); // x 100-299, y 100-199, centre (199, 149)
const QRect screen(0, 0, 1000, 800);

} // namespace

class TestSnapping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void snap_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("edges"); // being dragged; none for a move
        QTest::addColumn<Rects>("peers");
        QTest::addColumn<QRect>("screenRect");
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<Lines>("guides");
        auto row = [](const char *tag, QRect rect, int edges, QRect expected, const Lines &guides,
                      QRect screenRect = screen, const Rects &peers = {peer}) {
            QTest::newRow(tag) << rect << edges << peers << screenRect << expected << guides;
        };
        const int left = Qt::LeftEdge, right = Qt::RightEdge, bottom = Qt::BottomEdge;
        row("move 8 px off snaps", {108, 400, 150, 80}, 0, {100, 400, 150, 80}, {{100, 100, 100, 479}});
        row("move 9 px off is too far", {109, 400, 150, 80}, 0, {109, 400, 150, 80}, {});
        row("closest of left, right and centre", {96, 400, 201, 80}, 0, {99, 400, 201, 80},
            {{300, 100, 300, 479}, {199, 100, 199, 479}});
        row("move beside and below", {292, 193, 100, 100}, 0, {300, 200, 100, 100},
            {{300, 100, 300, 299}, {100, 200, 399, 200}});
        row("move to screen edge", {505, 705, 100, 100}, 0, {505, 700, 100, 100}, {{0, 800, 999, 800}});
        row("no screen", {5, 600, 50, 50}, 0, {5, 600, 50, 50}, {}, QRect());
        row("right edge to screen", {700, 400, 294, 150}, right, {700, 400, 300, 150},
            {{1000, 0, 1000, 799}});
        row("bottom edge to peer", {500, 50, 220, 144}, bottom, {500, 50, 220, 150}, {{100, 200, 719, 200}});
        row("left edge down to minimum", {92, 400, 228, 150}, left, {100, 400, 220, 150},
            {{100, 100, 100, 549}});
        row("left edge below minimum", {92, 400, 227, 150}, left, {92, 400, 227, 150}, {});
        row("edge not dragged", {108, 400, 220, 150}, right, {108, 400, 220, 150}, {});
        // Already in line, the rectangle stays; its guides come from every peer and the screen.
        const QRect r(100, 300, 100, 100), l(0, 300, 100, 100);
        row("same edge merges", r, 0, r, {{100, 0, 100, 679}}, screen,
            {{100, 0, 50, 50}, {100, 600, 80, 80}});
        row("centre", r, 0, r, {{149, 0, 149, 399}}, screen, {{110, 0, 80, 50}});
        row("same column hides centre", r, 0, r, {{100, 0, 100, 399}, {200, 0, 200, 399}}, screen,
            {{100, 0, 100, 50}});
        row("touching, same row", l, 0, l, {{100, 300, 100, 399}, {0, 300, 149, 300}, {0, 400, 149, 400}},
            QRect(), {{100, 300, 50, 100}});
        row("peer and screen merge", l, 0, l, {{0, 0, 0, 799}}, screen, {{0, 0, 50, 50}});
    }

    void snap()
    {
        QFETCH(QRect, rect);
        QFETCH(int, edges);
        QFETCH(Rects, peers);
        QFETCH(QRect, screenRect);
        const Snapping::Result result =
            edges ? Snapping::snapResize(rect, peers, screenRect, QSize(220, 148), Qt::Edges::fromInt(edges))
                  : Snapping::snapMove(rect, peers, screenRect);
        QTEST(result.rect, "expected");
        QTEST(result.guides, "guides");
    }

    void overlay()
    {
        GuideOverlay overlay;
        // Never in the way of the window being dragged beneath it.
        QVERIFY(overlay.windowFlags().testFlag(Qt::WindowTransparentForInput));
        QVERIFY(overlay.testAttribute(Qt::WA_TransparentForMouseEvents));
        const Lines lines{{110, 55, 110, 90},     // overlay (10, 5)-(10, 40)
                          {-50, 70, 5000, 70},    // across the whole overlay at y 20
                          {500, 150, 500, 170},   // one past the right edge: pulled in
                          {5000, 250, 5000, 270}, // on another screen: not drawn
                          {150, 2000, 200, 2000}};
        overlay.showGuides(lines);
        QVERIFY(overlay.isVisible());
        QCOMPARE(overlay.geometry(), QGuiApplication::primaryScreen()->geometry());

        // The window is only its lines, so nothing else exists to show black where
        // no compositing manager blends it (and what it paints beyond them never
        // shows); the shape follows the geometry.
        overlay.setGeometry(100, 50, 400, 300);
        const QRegion lit = QRegion(10, 5, 1, 36) + QRegion(0, 20, 400, 1) + QRegion(399, 100, 1, 21);
        QTRY_COMPARE(overlay.mask(), lit);
        overlay.clearMask(); // the test platform's render() clips masked windows unreliably
        QCOMPARE(overlay.grab().toImage().pixelColor(10, 5), QColor(0x6c, 0xc4, 0xff));

        overlay.showGuides({});
        QVERIFY(overlay.isHidden());
        overlay.showGuides(lines);
        overlay.hideGuides();
        QVERIFY(overlay.isHidden());
    }
};

QTEST_MAIN(TestSnapping)
#include "test_snapping.moc"
