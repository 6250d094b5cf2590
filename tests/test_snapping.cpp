#include "panels/GuideOverlay.h"
#include "panels/Snapping.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

using Lines = QList<QLine>;
using Rects = QList<QRect>;

namespace {

const QRect peer(100, 100, 200, 100); // x 100-299, y 100-199, centre (199, 149)
const QRect screen(0, 0, 1000, 800);
const QColor guideColour(0x6c, 0xc4, 0xff);

} // namespace

class TestSnapping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void snapMove_data();
    void snapMove();
    void snapAxisTies_data();
    void snapAxisTies();
    void snapResize_data();
    void snapResize();
    void guidesFor_data();
    void guidesFor();
    void overlayWindow();
    void overlayDrawing();
};

void TestSnapping::snapMove_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QRect>("screenRect");
    QTest::addColumn<QRect>("expected");
    QTest::addColumn<Lines>("guides");
    QTest::newRow("8 px right of left edge")
        << QRect(108, 400, 150, 80) << screen << QRect(100, 400, 150, 80) << Lines{{100, 100, 100, 479}};
    QTest::newRow("9 px is too far") << QRect(109, 400, 150, 80) << screen << QRect(109, 400, 150, 80)
                                     << Lines{};
    QTest::newRow("beside and below") << QRect(292, 193, 100, 100) << screen << QRect(300, 200, 100, 100)
                                      << Lines{{300, 100, 300, 299}, {100, 200, 399, 200}};
    QTest::newRow("screen edge") << QRect(505, 705, 100, 100) << screen << QRect(505, 700, 100, 100)
                                 << Lines{{0, 800, 999, 800}};
    QTest::newRow("no screen") << QRect(5, 600, 50, 50) << QRect() << QRect(5, 600, 50, 50) << Lines{};
}

void TestSnapping::snapMove()
{
    QFETCH(QRect, rect);
    QFETCH(QRect, screenRect);
    QFETCH(QRect, expected);
    QFETCH(Lines, guides);
    const Snapping::Result result = Snapping::snapMove(rect, {peer}, screenRect);
    QCOMPARE(result.rect, expected);
    QCOMPARE(result.guides, guides);
}

void TestSnapping::snapAxisTies_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("guide");
    QTest::addColumn<bool>("nearEdge");
    // Left edge, right edge and centre are all 4 px off: the first candidate wins.
    QTest::newRow("tie keeps the left edge") << QRect(96, 400, 200, 80) << 4 << 100 << true;
    QTest::newRow("closer right edge wins") << QRect(96, 400, 201, 80) << 3 << 300 << false;
}

void TestSnapping::snapAxisTies()
{
    QFETCH(QRect, rect);
    QFETCH(int, delta);
    QFETCH(int, guide);
    QFETCH(bool, nearEdge);
    const auto snap = Snapping::snapAxis(rect, {peer}, screen, Qt::Horizontal, true, true, true);
    QVERIFY(snap);
    QCOMPARE(snap->delta, delta);
    QCOMPARE(snap->guide, guide);
    QCOMPARE(snap->nearEdge, nearEdge);
    QCOMPARE(snap->spanStart, 100);
    QCOMPARE(snap->spanEnd, 479);
}

void TestSnapping::snapResize_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<int>("edges");
    QTest::addColumn<QRect>("expected");
    QTest::addColumn<Lines>("guides");
    const int left = Qt::LeftEdge, right = Qt::RightEdge, bottom = Qt::BottomEdge;
    QTest::newRow("right edge to screen")
        << QRect(700, 400, 294, 150) << right << QRect(700, 400, 300, 150) << Lines{{1000, 0, 1000, 799}};
    QTest::newRow("bottom edge to peer")
        << QRect(500, 50, 220, 144) << bottom << QRect(500, 50, 220, 150) << Lines{{100, 200, 719, 200}};
    QTest::newRow("left edge down to minimum")
        << QRect(92, 400, 228, 150) << left << QRect(100, 400, 220, 150) << Lines{{100, 100, 100, 549}};
    QTest::newRow("left edge below minimum")
        << QRect(92, 400, 227, 150) << left << QRect(92, 400, 227, 150) << Lines{};
    QTest::newRow("edge not dragged")
        << QRect(108, 400, 220, 150) << right << QRect(108, 400, 220, 150) << Lines{};
}

void TestSnapping::snapResize()
{
    QFETCH(QRect, rect);
    QFETCH(int, edges);
    QFETCH(QRect, expected);
    QFETCH(Lines, guides);
    const Snapping::Result result =
        Snapping::snapResize(rect, {peer}, screen, QSize(220, 148), Qt::Edges::fromInt(edges));
    QCOMPARE(result.rect, expected);
    QCOMPARE(result.guides, guides);
}

void TestSnapping::guidesFor_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<Rects>("peers");
    QTest::addColumn<QRect>("screenRect");
    QTest::addColumn<Lines>("expected");
    const QRect r(100, 300, 100, 100);
    QTest::newRow("same edge merges")
        << r << Rects{{100, 0, 50, 50}, {100, 600, 80, 80}} << screen << Lines{{100, 0, 100, 679}};
    QTest::newRow("centre") << r << Rects{{110, 0, 80, 50}} << screen << Lines{{149, 0, 149, 399}};
    QTest::newRow("same column hides centre")
        << r << Rects{{100, 0, 100, 50}} << screen << Lines{{100, 0, 100, 399}, {200, 0, 200, 399}};
    QTest::newRow("touching, same row")
        << QRect(0, 300, 100, 100) << Rects{{100, 300, 50, 100}} << QRect()
        << Lines{{100, 300, 100, 399}, {0, 300, 149, 300}, {0, 400, 149, 400}};
    QTest::newRow("screen top left") << QRect(0, 0, 100, 100) << Rects{} << screen
                                     << Lines{{0, 0, 0, 799}, {0, 0, 999, 0}};
    QTest::newRow("screen bottom right")
        << QRect(900, 700, 100, 100) << Rects{} << screen << Lines{{1000, 0, 1000, 799}, {0, 800, 999, 800}};
    QTest::newRow("peer and screen merge")
        << QRect(0, 300, 100, 100) << Rects{{0, 0, 50, 50}} << screen << Lines{{0, 0, 0, 799}};
}

void TestSnapping::guidesFor()
{
    QFETCH(QRect, rect);
    QFETCH(Rects, peers);
    QFETCH(QRect, screenRect);
    QFETCH(Lines, expected);
    QCOMPARE(Snapping::guidesFor(rect, peers, screenRect), expected);
}

void TestSnapping::overlayWindow()
{
    GuideOverlay overlay;
    const Qt::WindowFlags flags = overlay.windowFlags();
    for (const Qt::WindowType flag : {Qt::Tool, Qt::FramelessWindowHint, Qt::WindowStaysOnTopHint,
                                      Qt::WindowTransparentForInput, Qt::WindowDoesNotAcceptFocus})
        QVERIFY(flags.testFlag(flag));
    QVERIFY(overlay.testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(overlay.testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(overlay.testAttribute(Qt::WA_ShowWithoutActivating));

    const Lines lines{{10, 0, 10, 50}};
    overlay.showGuides(lines);
    QVERIFY(overlay.isVisible());
    QCOMPARE(overlay.geometry(), QGuiApplication::primaryScreen()->geometry());
    QCOMPARE(overlay.guides(), lines);
    overlay.showGuides({});
    QVERIFY(overlay.isHidden());
    QVERIFY(overlay.guides().isEmpty());
    overlay.showGuides(lines);
    overlay.hideGuides();
    QVERIFY(overlay.isHidden());
    QVERIFY(overlay.guides().isEmpty());
}

void TestSnapping::overlayDrawing()
{
    GuideOverlay overlay;
    overlay.showGuides({{110, 55, 110, 90},     // overlay (10, 5)-(10, 40)
                        {-50, 70, 5000, 70},    // across the whole overlay at y 20
                        {500, 150, 500, 170},   // one past the right edge: pulled in
                        {5000, 250, 5000, 270}, // on another screen: not drawn
                        {150, 2000, 200, 2000}});
    overlay.setGeometry(100, 50, 400, 300);
    QImage image(overlay.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    overlay.render(&image);

    auto lit = [&image](int x, int y) {
        return image.pixelColor(x, y) == guideColour;
    };
    QVERIFY(lit(10, 5));
    QVERIFY(lit(10, 40));
    QVERIFY(!lit(10, 41));
    QVERIFY(!lit(11, 30));
    QVERIFY(lit(0, 20));
    QVERIFY(lit(399, 20));
    QVERIFY(!lit(200, 21));
    QVERIFY(lit(399, 110));
    QVERIFY(!lit(399, 210));
    QVERIFY(!lit(75, 299));
    QCOMPARE(image.pixelColor(200, 200).alpha(), 0);
}

QTEST_MAIN(TestSnapping)
#include "test_snapping.moc"
