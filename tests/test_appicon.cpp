#include "look/AppStyle.h"
#include "shell/Platform.h"
#include "tray/AppIcon.h"

#include <QPainter>
#include <QtTest>

namespace {

const QColor plate = AppStyle::Palette::window;
const QColor light = AppStyle::Palette::primaryText;
const QColor blue = AppStyle::Palette::accent;

bool same(QRgb pixel, const QColor &colour)
{
    return qAlpha(pixel) == 255 && QColor(pixel).rgb() == colour.rgb();
}

} // namespace

class TestAppIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawing_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 20, 24, 28, 32, 48, 64, 256})
            QTest::addRow("%d", size) << size;
    }

    void drawing()
    {
        QFETCH(int, size);
        const QImage image = renderAppIcon(size).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(size, size));
        const AppIconTiles t = appIconTiles(size);
        // A dark plate with rounded, transparent corners; light tiles and one blue tile at the top right.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        const auto at = [&image](QPointF p) {
            return image.pixel(p.toPoint());
        };
        QVERIFY(same(at(t.left.center()), light) && same(at(t.bottomRight.center()), light));
        QVERIFY(same(at(t.topRight.center()), blue));
        QVERIFY(same(at({(t.plate.left() + t.left.left()) / 2, t.left.center().y()}), plate));
        QVERIFY(t.topRight.center().x() > size / 2.0 && t.topRight.center().y() < size / 2.0);
        if (size > 32)
            return;

        // Small sizes snap to whole pixels. Three tiles on a grid: equal inset on every side,
        // one gap between them both ways, the left tile as tall as the right column.
        for (const QRectF &r : {t.plate, t.left, t.bottomRight, t.topRight})
            QCOMPARE(QRectF(r.toRect()), r);
        const qreal inset = t.left.left();
        const qreal gap = t.topRight.left() - t.left.right();
        QVERIFY(gap >= 2);
        QCOMPARE((QList<qreal>{t.left.top(), size - t.bottomRight.right(), size - t.left.bottom(),
                               t.bottomRight.top() - t.topRight.bottom()}),
                 (QList<qreal>{inset, inset, inset, gap}));
        QCOMPARE(
            (QList<qreal>{t.topRight.top(), t.bottomRight.bottom(), t.topRight.left(), t.topRight.right()}),
            (QList<qreal>{t.left.top(), t.left.bottom(), t.bottomRight.left(), t.bottomRight.right()}));
        QVERIFY(std::abs(t.left.width() - t.topRight.width()) <= 1);
        // Drawn so: every straight tile edge is a clean step from plate to tile.
        const int midY = int(t.left.center().y());
        QVERIFY(same(image.pixel(int(t.left.left()), midY), light));
        QVERIFY(same(image.pixel(int(t.left.left()) - 1, midY), plate));
        QVERIFY(same(image.pixel(int(t.left.right()) - 1, midY), light));
        QVERIFY(same(image.pixel(int(t.left.right()), midY), plate));
    }

    void windowIcon()
    {
        // Every window carries the window icon to the window manager, which reads it
        // before mapping the window: only the sizes window managers draw go there,
        // drawn as the application icon is.
        const QIcon full = appIcon();
        const QIcon icon = Platform::windowIcon(full);
        QCOMPARE(
            icon.availableSizes(),
            (QList<QSize>{{16, 16}, {20, 20}, {24, 24}, {28, 28}, {32, 32}, {40, 40}, {48, 48}, {64, 64}}));
        QCOMPARE(icon.pixmap(48).toImage(), full.pixmap(48).toImage());
    }

    void trayIconByName()
    {
        // Tray hosts that ask for a themed icon find the installed one by the
        // application id; a program that is not installed shows its drawing.
        QGuiApplication::setDesktopFileName("org.example.TrayTest");
        QTemporaryDir themes;
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName("hicolor");
        QVERIFY(trayAppIcon().name().isEmpty());
        QCOMPARE(trayAppIcon().pixmap(48).toImage(), appIcon().pixmap(48).toImage());

        QDir(themes.path()).mkpath("hicolor/48x48/apps");
        QFile index(themes.filePath("hicolor/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write(
            "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n[48x48/apps]\nSize=48\nType=Fixed\n");
        index.close();
        QVERIFY(renderAppIcon(48).save(themes.filePath("hicolor/48x48/apps/org.example.TrayTest.png")));
        QIcon::setThemeSearchPaths({themes.path()}); // looks again
        QCOMPARE(trayAppIcon().name(), "org.example.TrayTest");
    }

    void sameAsAllSizesDrawn_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QIcon::Mode>("mode");
        QTest::addColumn<QIcon::State>("state");
        for (const QSize size :
             {QSize(16, 16), QSize(22, 22), QSize(48, 48), QSize(100, 100), QSize(256, 256), QSize(512, 512),
              QSize(22, 16), QSize(16, 40), QSize(1, 1), QSize(0, 0)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size << QIcon::Normal << QIcon::Off;
        QTest::newRow("disabled") << QSize(32, 32) << QIcon::Disabled << QIcon::Off;
        QTest::newRow("active, between sizes") << QSize(36, 36) << QIcon::Active << QIcon::Off;
        QTest::newRow("selected") << QSize(64, 64) << QIcon::Selected << QIcon::Off;
        QTest::newRow("on") << QSize(128, 128) << QIcon::Normal << QIcon::On;
    }

    void sameAsAllSizesDrawn()
    {
        // The icon draws a size when it is first asked for; every answer is the one
        // of an icon that holds all its sizes, drawn at once.
        QFETCH(QSize, size);
        QFETCH(QIcon::Mode, mode);
        QFETCH(QIcon::State, state);
        const QIcon lazy = appIcon();
        QIcon drawn;
        for (int edge : {16, 20, 24, 28, 32, 40, 48, 64, 128, 256})
            drawn.addPixmap(QPixmap::fromImage(renderAppIcon(edge)));

        QCOMPARE(lazy.availableSizes(mode, state), drawn.availableSizes(mode, state));
        QCOMPARE(lazy.actualSize(size, mode, state), drawn.actualSize(size, mode, state));
        QCOMPARE(lazy.pixmap(size, mode, state).toImage(), drawn.pixmap(size, mode, state).toImage());

        // Painted, as views and menus do, on a device of twice the pixel density.
        auto painted = [size, mode, state](const QIcon &icon) {
            QImage image(size * 2 + QSize(4, 4), QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(2);
            image.fill(Qt::transparent);
            {
                QPainter painter(&image);
                icon.paint(&painter, QRect(QPoint(1, 1), size), Qt::AlignCenter, mode, state);
            }
            return image;
        };
        QCOMPARE(painted(lazy), painted(drawn));
    }
};

QTEST_MAIN(TestAppIcon)
#include "test_appicon.moc"
