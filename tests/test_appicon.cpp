#include "base/AppStyle.h"
#include "tray/AppIcon.h"

#include <QtTest>

class TestAppIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everySize_data();
    void everySize();
};

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

QTEST_MAIN(TestAppIcon)
#include "test_appicon.moc"
