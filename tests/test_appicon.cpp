#include "base/AppStyle.h"
#include "tray/AppIcon.h"

#include <QtTest>

class TestAppIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everySize_data();
    void everySize();
    void smallSizesSnapToPixels_data();
    void smallSizesSnapToPixels();
    void largeSizesAreFractional();
};

namespace {

bool same(QRgb pixel, const QColor &colour)
{
    return qAlpha(pixel) == 255 && QColor(pixel).rgb() == colour.rgb();
}

// The bounding box of the pixels that match, inside the given columns.
QRect boxOf(const QImage &image, int fromX, int toX, const std::function<bool(QRgb)> &match)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = fromX; x < toX; ++x) {
            if (match(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

bool lightish(QRgb p)
{
    return qAlpha(p) == 255 && qGray(p) > 150 && qBlue(p) - qRed(p) < 40;
}

bool blueish(QRgb p)
{
    return qAlpha(p) == 255 && qBlue(p) - qRed(p) > 60;
}

} // namespace

void TestAppIcon::everySize_data()
{
    QTest::addColumn<int>("size");
    for (int size : {16, 20, 24, 32, 48, 64, 256})
        QTest::addRow("%d", size) << size;
}

void TestAppIcon::everySize()
{
    QFETCH(int, size);
    QVERIFY(appIcon().availableSizes().contains(QSize(size, size)));
    const QImage image = renderAppIcon(size);
    QCOMPARE(image.size(), QSize(size, size));
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0); // rounded, transparent corners

    // A dark plate with light tiles and one blue tile at the top right.
    const QColor plate = AppStyle::Palette::window;
    const QColor light = AppStyle::Palette::primaryText;
    const QColor blue = AppStyle::Palette::accent;
    int plates = 0;
    int lights = 0;
    QPoint blueSum;
    int blues = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QColor c = image.pixelColor(x, y);
            plates += c == plate;
            lights += c == light;
            if (c == blue) {
                blueSum += QPoint(x, y);
                ++blues;
            }
        }
    }
    QVERIFY(plates > 0);
    QVERIFY(lights > blues);
    QVERIFY(blues > 0);
    const QPoint blueCentre = blueSum / blues;
    QVERIFY(blueCentre.x() > size / 2 && blueCentre.y() < size / 2);
}

void TestAppIcon::smallSizesSnapToPixels_data()
{
    QTest::addColumn<int>("size");
    for (int size : {16, 20, 24, 28, 32})
        QTest::addRow("%d", size) << size;
}

void TestAppIcon::smallSizesSnapToPixels()
{
    QFETCH(int, size);
    const QImage image = renderAppIcon(size).convertToFormat(QImage::Format_ARGB32);
    const int half = size / 2;

    // A transparent frame around the plate, the same on every side.
    for (int i = 0; i < size; ++i) {
        QCOMPARE(qAlpha(image.pixel(i, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(0, i)), 0);
    }
    int margin = 0;
    while (qAlpha(image.pixel(margin, half)) == 0)
        ++margin;
    QVERIFY(margin >= 1 && margin <= 2);
    QVERIFY(same(image.pixel(margin, half), AppStyle::Palette::window));
    QCOMPARE(qAlpha(image.pixel(size - 1 - margin, half)), 255);
    QCOMPARE(qAlpha(image.pixel(size - margin, half)), 0);
    QCOMPARE(qAlpha(image.pixel(half, margin)), 255);
    QCOMPARE(qAlpha(image.pixel(half, size - margin)), 0);

    const QRect left = boxOf(image, 0, half, lightish);
    const QRect bottomRight = boxOf(image, half, size, lightish);
    const QRect topRight = boxOf(image, half, size, blueish);
    QVERIFY(!left.isEmpty() && !bottomRight.isEmpty() && !topRight.isEmpty());

    // Three tiles on a grid: equal inset on every side, one gap between them
    // both ways, the left tile as tall as the right column.
    const int inset = left.left();
    QCOMPARE(left.top(), inset);
    QCOMPARE(size - 1 - bottomRight.right(), inset);
    QCOMPARE(size - 1 - left.bottom(), inset);
    QCOMPARE(topRight.top(), left.top());
    QCOMPARE(bottomRight.bottom(), left.bottom());
    QCOMPARE(topRight.left(), bottomRight.left());
    QCOMPARE(topRight.right(), bottomRight.right());
    const int gap = topRight.left() - left.right() - 1;
    QVERIFY(gap >= 2);
    QCOMPARE(bottomRight.top() - topRight.bottom() - 1, gap);
    QVERIFY(std::abs(left.width() - topRight.width()) <= 1);

    // Whole pixels: every straight tile edge is a clean step from plate to tile.
    const QColor plate = AppStyle::Palette::window;
    const int midY = (left.top() + left.bottom()) / 2;
    QVERIFY(same(image.pixel(left.left(), midY), AppStyle::Palette::primaryText));
    QVERIFY(same(image.pixel(left.left() - 1, midY), plate));
    QVERIFY(same(image.pixel(left.right(), midY), AppStyle::Palette::primaryText));
    QVERIFY(same(image.pixel(left.right() + 1, midY), plate));
    const int midX = (topRight.left() + topRight.right()) / 2;
    QVERIFY(same(image.pixel(midX, topRight.top()), AppStyle::Palette::accent));
    QVERIFY(same(image.pixel(midX, topRight.top() - 1), plate));
    QVERIFY(same(image.pixel(midX, topRight.bottom()), AppStyle::Palette::accent));
    QVERIFY(same(image.pixel(midX, topRight.bottom() + 1), plate));

    if (size == 16) {
        QCOMPARE(margin, 1);
        QCOMPARE(left, QRect(3, 3, 4, 10));
    }
}

void TestAppIcon::largeSizesAreFractional()
{
    // At 48 px the left tile starts at 10.08 px: its edge column is blended.
    const QImage image = renderAppIcon(48).convertToFormat(QImage::Format_ARGB32);
    const QRgb edge = image.pixel(10, 24);
    QVERIFY(!same(edge, AppStyle::Palette::primaryText));
    QVERIFY(!same(edge, AppStyle::Palette::window));
    QVERIFY(same(image.pixel(11, 24), AppStyle::Palette::primaryText));
}

QTEST_MAIN(TestAppIcon)
#include "test_appicon.moc"
