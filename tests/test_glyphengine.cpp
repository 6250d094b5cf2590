#include "categories/CategoryRules.h"
#include "panels/GlyphEngine.h"

#include <QPainter>
#include <QtTest>

#include <cmath>
#include <memory>

using Points = QList<QPointF>;

namespace {

QImage transparentImage(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage categoryImage(int category, const QRectF &box, QSize size)
{
    QImage image = transparentImage(size);
    QPainter painter(&image);
    drawCategoryGlyph(&painter, category, box);
    return image;
}

// Alpha of the pixel under a point given in device pixels.
int alphaAt(const QImage &image, QPointF p)
{
    return qAlpha(image.pixel(int(std::floor(p.x())), int(std::floor(p.y()))));
}

} // namespace

class TestGlyphEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttonGlyphs_data();
    void buttonGlyphs();
    void penWidth_data();
    void penWidth();
    void paintRect_data();
    void paintRect();
    void cloneKeepsFunctionAndColour();
    void categoryGlyphs_data();
    void categoryGlyphs();
    void categoryGlyphsDiffer();
};

void TestGlyphEngine::buttonGlyphs_data()
{
    QTest::addColumn<int>("glyph");
    QTest::addColumn<Points>("ink"); // fractions of the extent
    QTest::addColumn<Points>("empty");
    QTest::newRow("chevron down") << int(GlyphEngine::ChevronDown)
                                  << Points{{0.50, 0.64}, {0.38, 0.52}, {0.62, 0.52}}
                                  << Points{{0.50, 0.30}, {0.50, 0.85}, {0.05, 0.05}};
    QTest::newRow("chevron right") << int(GlyphEngine::ChevronRight)
                                   << Points{{0.64, 0.50}, {0.52, 0.38}, {0.52, 0.62}}
                                   << Points{{0.30, 0.50}, {0.85, 0.50}, {0.05, 0.05}};
    QTest::newRow("grid") << int(GlyphEngine::Grid) << Points{{0.14, 0.29}, {0.71, 0.56}, {0.86, 0.71}}
                          << Points{{0.29, 0.29}, {0.71, 0.71}, {0.95, 0.95}};
    QTest::newRow("list") << int(GlyphEngine::List) << Points{{0.20, 0.24}, {0.60, 0.50}, {0.80, 0.76}}
                          << Points{{0.60, 0.37}, {0.50, 0.90}, {0.95, 0.50}};
    // The arc leaves a gap at three o'clock; the arrow tip sits at 55 degrees.
    QTest::newRow("refresh")
        << int(GlyphEngine::Refresh)
        << Points{{0.195, 0.50}, {0.50, 0.805}, {0.50, 0.195}, {0.675, 0.25}, {0.62, 0.11}}
        << Points{{0.50, 0.50}, {0.82, 0.50}, {0.05, 0.05}};
    QTest::newRow("bin") << int(GlyphEngine::Bin)
                         << Points{{0.50, 0.26}, {0.50, 0.15}, {0.50, 0.88}, {0.43, 0.60}, {0.25, 0.60}}
                         << Points{{0.50, 0.05}, {0.05, 0.60}};
}

void TestGlyphEngine::buttonGlyphs()
{
    QFETCH(int, glyph);
    QFETCH(Points, ink);
    QFETCH(Points, empty);
    const QPixmap pixmap = GlyphEngine::icon(GlyphEngine::Glyph(glyph)).pixmap(QSize(16, 16), 2.0);
    QCOMPARE(pixmap.size(), QSize(32, 32));
    QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    const QImage image = pixmap.toImage();
    GlyphEngine engine(GlyphEngine::glyphFunction(GlyphEngine::Glyph(glyph)), GlyphEngine::buttonColor());
    QCOMPARE(engine.scaledPixmap(QSize(32, 32), QIcon::Normal, QIcon::Off, 2.0).toImage(), image);
    for (const QPointF &p : ink)
        QVERIFY2(alphaAt(image, p * 32) > 128,
                 qPrintable(QStringLiteral("no ink at %1,%2").arg(p.x()).arg(p.y())));
    for (const QPointF &p : empty)
        QVERIFY2(alphaAt(image, p * 32) == 0,
                 qPrintable(QStringLiteral("ink at %1,%2").arg(p.x()).arg(p.y())));

    // The fully covered pixels carry the button colour itself.
    QColor strongest(Qt::transparent);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > strongest.alpha())
                strongest = image.pixelColor(x, y);
    QCOMPARE(strongest, QColor(0xf2, 0xf4, 0xf8));
}

void TestGlyphEngine::penWidth_data()
{
    QTest::addColumn<int>("glyph");
    QTest::addColumn<QLine>("scan");  // device pixels on a 32 x 32 pixmap
    QTest::addColumn<qreal>("slant"); // scan length across the stroke per unit of pen width
    QTest::newRow("list line") << int(GlyphEngine::List) << QLine(19, 10, 19, 22) << 1.0;
    QTest::newRow("chevron down arm") << int(GlyphEngine::ChevronDown) << QLine(12, 10, 12, 22) << M_SQRT2;
    QTest::newRow("chevron right arm") << int(GlyphEngine::ChevronRight) << QLine(10, 12, 22, 12) << M_SQRT2;
}

void TestGlyphEngine::penWidth()
{
    QFETCH(int, glyph);
    QFETCH(QLine, scan);
    QFETCH(qreal, slant);
    const QImage image = GlyphEngine::icon(GlyphEngine::Glyph(glyph)).pixmap(QSize(16, 16), 2.0).toImage();
    // Summed coverage across an antialiased stroke is its thickness.
    qreal coverage = 0;
    const QPoint step = (scan.p2() - scan.p1()) / std::max(std::abs(scan.dx()), std::abs(scan.dy()));
    for (QPoint p = scan.p1(); p != scan.p2() + step; p += step)
        coverage += qAlpha(image.pixel(p)) / 255.0;
    const qreal logicalWidth = coverage / slant / 2.0;
    QVERIFY2(std::abs(logicalWidth - 0.09 * 16) < 0.1, qPrintable(QString::number(logicalWidth)));
}

void TestGlyphEngine::paintRect_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::newRow("wide") << QRect(0, 0, 40, 16);
    QTest::newRow("offset wide") << QRect(7, 5, 30, 20);
    QTest::newRow("offset square") << QRect(3, 9, 24, 24);
}

void TestGlyphEngine::paintRect()
{
    QFETCH(QRect, rect);
    GlyphEngine engine(GlyphEngine::glyphFunction(GlyphEngine::Bin), Qt::white);
    QImage painted = transparentImage(QSize(48, 48));
    {
        QPainter painter(&painted);
        engine.paint(&painter, rect, QIcon::Normal, QIcon::Off);
    }
    const int side = std::min(rect.width(), rect.height());
    QImage expected = transparentImage(QSize(48, 48));
    {
        QPainter painter(&expected);
        painter.drawImage(rect.topLeft(),
                          engine.pixmap(QSize(side, side), QIcon::Normal, QIcon::Off).toImage());
    }
    QCOMPARE(painted, expected);
}

void TestGlyphEngine::cloneKeepsFunctionAndColour()
{
    auto calls = std::make_shared<QList<std::pair<QColor, qreal>>>();
    GlyphEngine engine(
        [calls](QPainter *, const QColor &color, qreal extent) {
            calls->append({color, extent});
        },
        Qt::red);
    const std::unique_ptr<QIconEngine> copy(engine.clone());
    copy->pixmap(QSize(24, 20), QIcon::Disabled, QIcon::On);
    QCOMPARE(calls->size(), 1);
    QCOMPARE(calls->first().first, QColor(Qt::red));
    QCOMPARE(calls->first().second, 20.0);

    // A clone of a real glyph draws the same picture, whatever mode and state ask for.
    GlyphEngine refresh(GlyphEngine::glyphFunction(GlyphEngine::Refresh), Qt::green);
    const std::unique_ptr<QIconEngine> refreshCopy(refresh.clone());
    QCOMPARE(refreshCopy->scaledPixmap(QSize(16, 16), QIcon::Selected, QIcon::On, 1.5).toImage(),
             refresh.scaledPixmap(QSize(16, 16), QIcon::Normal, QIcon::Off, 1.5).toImage());
}

void TestGlyphEngine::categoryGlyphs_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<QRectF>("box");
    QTest::addColumn<Points>("ink"); // grid units, 20 to the box
    QTest::addColumn<Points>("empty");
    const QRectF box(4, 4, 40, 40);
    QTest::newRow("system") << int(SystemCategory) << box << Points{{10, 3}, {2, 8}, {10, 15.5}, {6, 17}}
                            << Points{{10, 8.5}, {10, 19.5}, {4, 16}};
    QTest::newRow("folders") << int(FoldersCategory) << box
                             << Points{{2, 12}, {18, 12}, {10, 16}, {10, 8}, {5, 4}, {14, 6}}
                             << Points{{10, 12}, {14, 3}};
    QTest::newRow("apps") << int(AppsCategory) << box << Points{{6, 3}, {11, 14}, {17, 6}, {14, 17}}
                          << Points{{6, 6}, {14, 14}, {14, 6}};
    QTest::newRow("documents") << int(DocumentsCategory) << box
                               << Points{{4, 10}, {16, 10}, {10, 7}, {10, 10}, {9, 13}, {10, 18}}
                               << Points{{10, 4.5}, {13, 13}, {13, 15.5}};
    QTest::newRow("images") << int(ImagesCategory) << box << Points{{13, 5.6}, {8, 10}, {2, 10}, {10, 17}}
                            << Points{{6, 6}, {15, 15}};
    QTest::newRow("audio") << int(AudioCategory) << box
                           << Points{{8, 9}, {16, 8}, {12, 4}, {3, 15}, {13.5, 11}}
                           << Points{{5.5, 15}, {13.5, 13}, {12, 9}, {3, 3}};
    QTest::newRow("video") << int(VideoCategory) << box << Points{{8, 10}, {10.5, 8.5}, {13, 10}, {2, 10}}
                           << Points{{10, 10}, {5, 10}, {16, 10}};
    QTest::newRow("archives") << int(ArchivesCategory) << box
                              << Points{{10, 4}, {10, 7}, {10, 10}, {9, 14.5}, {4, 10}, {16, 10}}
                              << Points{{13, 7}, {7, 14}};
    QTest::newRow("code") << int(CodeCategory) << box
                          << Points{{2, 10}, {18, 10}, {10, 10}, {4, 7.5}, {16, 12.5}}
                          << Points{{6, 10}, {14, 10}, {16, 3}};
    QTest::newRow("other") << int(OtherCategory) << box << Points{{4, 8.5}, {10, 11.5}, {17.5, 10}}
                           << Points{{10, 10}, {7, 10}, {10, 5}};
    QTest::newRow("other, wide box") << int(OtherCategory) << QRectF(0, 0, 40, 20)
                                     << Points{{4, 8.5}, {17.5, 10}} << Points{{10, 4}, {10, 16}};
    // Numbers outside the ten categories fall back to Other.
    QTest::newRow("out of range") << 10 << box << Points{{4, 8.5}, {17.5, 10}} << Points{{7, 10}, {10, 3}};
}

void TestGlyphEngine::categoryGlyphs()
{
    QFETCH(int, category);
    QFETCH(QRectF, box);
    QFETCH(Points, ink);
    QFETCH(Points, empty);
    const QImage image = categoryImage(category, box, QSize(48, 48));
    auto device = [&](QPointF unit) {
        return box.topLeft() + QPointF(unit.x() * box.width() / 20, unit.y() * box.height() / 20);
    };
    for (const QPointF &p : ink)
        QVERIFY2(alphaAt(image, device(p)) > 128,
                 qPrintable(QStringLiteral("no ink at %1,%2").arg(p.x()).arg(p.y())));
    for (const QPointF &p : empty)
        QVERIFY2(alphaAt(image, device(p)) == 0,
                 qPrintable(QStringLiteral("ink at %1,%2").arg(p.x()).arg(p.y())));
}

void TestGlyphEngine::categoryGlyphsDiffer()
{
    QList<QImage> images;
    for (int category : allCategories())
        images.append(categoryImage(category, QRectF(0, 0, 16, 16), QSize(16, 16)));
    for (int a = 0; a < images.size(); ++a)
        for (int b = a + 1; b < images.size(); ++b)
            QVERIFY2(images[a] != images[b], qPrintable(QStringLiteral("%1 == %2").arg(a).arg(b)));
    // The pen colour is the secondary text colour.
    QCOMPARE(categoryImage(OtherCategory, QRectF(0, 0, 40, 40), QSize(40, 40)).pixelColor(8, 17),
             QColor(0xc2, 0xcb, 0xdb));
}

QTEST_MAIN(TestGlyphEngine)
#include "test_glyphengine.moc"
