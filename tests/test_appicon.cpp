#include "tray/AppIcon.h"

#include <QtTest>

class TestAppIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tiles_data();
    void tiles();
};

void TestAppIcon::tiles_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QPointF>("left");     // centre of the tall light tile, as a fraction of the edge
    QTest::addColumn<QPointF>("topRight"); // centre of the blue tile
    QTest::addColumn<QPointF>("bottomRight");
    QTest::newRow("16") << 16 << QPointF(0.3, 0.5) << QPointF(0.7, 0.3) << QPointF(0.7, 0.7);
    QTest::newRow("32") << 32 << QPointF(0.3, 0.5) << QPointF(0.65, 0.3) << QPointF(0.65, 0.65);
    QTest::newRow("256") << 256 << QPointF(0.34, 0.5) << QPointF(0.65, 0.33) << QPointF(0.65, 0.66);
}

void TestAppIcon::tiles()
{
    QFETCH(int, size);
    QFETCH(QPointF, left);
    QFETCH(QPointF, topRight);
    QFETCH(QPointF, bottomRight);
    QVERIFY(appIcon().availableSizes().contains(QSize(size, size)));
    const QImage image = renderAppIcon(size);
    QCOMPARE(image.size(), QSize(size, size));
    auto at = [&](QPointF f) {
        return image.pixelColor(int(f.x() * size), int(f.y() * size));
    };
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0); // transparent corner
    QCOMPARE(at(left), QColor(0xf2, 0xf4, 0xf8));
    QCOMPARE(at(topRight), QColor(0x43, 0x8f, 0xff));
    QCOMPARE(at(bottomRight), QColor(0xf2, 0xf4, 0xf8));
    // The plate shows between the tiles and the rim.
    QCOMPARE(image.pixelColor(size / 2, int(0.12 * size) + 1), QColor(0x23, 0x27, 0x2f));
}

QTEST_MAIN(TestAppIcon)
#include "test_appicon.moc"
