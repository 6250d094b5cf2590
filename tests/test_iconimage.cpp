#include "shell/IconImage.h"

#include <QtTest>

// Its own process: whether Qt loaded every image plugin can only be seen
// before anything else has read or written an image.
class TestIconImage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readerTrustsTheSuffix_data()
    {
        // A 12 x 8 red PNG, written out so that no image writer runs first.
        const QByteArray png = QByteArray::fromHex(
            "89504e470d0a1a0a0000000d494844520000000c000000080806000000cde41ef1000000144944415478da63f8cfc0f0"
            "9f14cc30aa81161a007716bf4157dc9dbd0000000049454e44ae426082");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("suffix");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("as named") << png << QByteArray("png") << QSize(12, 8);
        QTest::newRow("misnamed") << png << QByteArray("jpg") << QSize(12, 8);
        QTest::newRow("unknown suffix") << png << QByteArray("icon") << QSize(12, 8);
        QTest::newRow("no suffix") << png << QByteArray() << QSize(12, 8);
        QTest::newRow("not an image") << QByteArray("plain text") << QByteArray("png") << QSize(0, 0);
    }

    void readerTrustsTheSuffix()
    {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, suffix);
        const bool pluginsBefore = svgPluginLoaded();
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        const QImage image = IconImage::readerFor(&buffer, suffix)->read();
        QTEST(image.size(), "expected");
        // The first row runs first: a picture that is what it is named never
        // makes Qt load the plugins of every other format.
        if (QByteArray(QTest::currentDataTag()) == "as named")
            QVERIFY(!pluginsBefore && !svgPluginLoaded());
    }

private:
    static bool svgPluginLoaded()
    {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libqsvg");
    }
};

QTEST_GUILESS_MAIN(TestIconImage)
#include "test_iconimage.moc"
