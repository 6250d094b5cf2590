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

QImage buttonImage(GlyphEngine::Glyph glyph)
{
    return GlyphEngine::icon(glyph).pixmap(QSize(16, 16), 2.0).toImage();
}

} // namespace

class TestGlyphEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void glyphs_data();
    void glyphs();
    void buttonIconsAtDevicePixelRatio();
    void cloneKeepsFunctionAndColour();
    void categoryGlyphsDiffer();
};

void TestGlyphEngine::glyphs_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<Points>("ink"); // device pixels
    QTest::addColumn<Points>("empty");
    // Button glyphs at a device pixel ratio of 2; points in fractions of the extent.
    auto button = [](const char *tag, GlyphEngine::Glyph glyph, Points ink, Points empty) {
        for (Points *points : {&ink, &empty}) {
            for (QPointF &p : *points)
                p *= 32;
        }
        QTest::newRow(tag) << buttonImage(glyph) << ink << empty;
    };
    button("chevron down", GlyphEngine::ChevronDown, {{0.50, 0.64}, {0.38, 0.52}, {0.62, 0.52}},
           {{0.50, 0.30}, {0.50, 0.85}, {0.05, 0.05}});
    button("chevron right", GlyphEngine::ChevronRight, {{0.64, 0.50}, {0.52, 0.38}, {0.52, 0.62}},
           {{0.30, 0.50}, {0.85, 0.50}, {0.05, 0.05}});
    button("grid", GlyphEngine::Grid, {{0.14, 0.29}, {0.71, 0.56}, {0.86, 0.71}},
           {{0.29, 0.29}, {0.71, 0.71}, {0.95, 0.95}});
    button("list", GlyphEngine::List, {{0.20, 0.24}, {0.60, 0.50}, {0.80, 0.76}},
           {{0.60, 0.37}, {0.50, 0.90}, {0.95, 0.50}});
    // The arc leaves a gap at three o'clock; the arrow tip sits at 55 degrees.
    button("refresh", GlyphEngine::Refresh,
           {{0.195, 0.50}, {0.50, 0.805}, {0.50, 0.195}, {0.675, 0.25}, {0.62, 0.11}},
           {{0.50, 0.50}, {0.82, 0.50}, {0.05, 0.05}});
    button("bin", GlyphEngine::Bin, {{0.50, 0.26}, {0.50, 0.15}, {0.50, 0.88}, {0.43, 0.60}, {0.25, 0.60}},
           {{0.50, 0.05}, {0.05, 0.60}});

    // Category glyphs in a 40 x 40 box; points in grid units, 20 to the box.
    auto category = [](const char *tag, int number, Points ink, Points empty, QRectF box = {4, 4, 40, 40}) {
        for (Points *points : {&ink, &empty}) {
            for (QPointF &p : *points)
                p = box.topLeft() + QPointF(p.x() * box.width() / 20, p.y() * box.height() / 20);
        }
        QTest::newRow(tag) << categoryImage(number, box, QSize(48, 48)) << ink << empty;
    };
    category("system", SystemCategory, {{10, 3}, {2, 8}, {10, 15.5}, {6, 17}},
             {{10, 8.5}, {10, 19.5}, {4, 16}});
    category("folders", FoldersCategory, {{2, 12}, {18, 12}, {10, 16}, {10, 8}, {5, 4}, {14, 6}},
             {{10, 12}, {14, 3}});
    category("apps", AppsCategory, {{6, 3}, {11, 14}, {17, 6}, {14, 17}}, {{6, 6}, {14, 14}, {14, 6}});
    category("documents", DocumentsCategory, {{4, 10}, {16, 10}, {10, 7}, {10, 10}, {9, 13}, {10, 18}},
             {{10, 4.5}, {13, 13}, {13, 15.5}});
    category("images", ImagesCategory, {{13, 5.6}, {8, 10}, {2, 10}, {10, 17}}, {{6, 6}, {15, 15}});
    category("audio", AudioCategory, {{8, 9}, {16, 8}, {12, 4}, {3, 15}, {13.5, 11}},
             {{5.5, 15}, {13.5, 13}, {12, 9}, {3, 3}});
    category("video", VideoCategory, {{8, 10}, {10.5, 8.5}, {13, 10}, {2, 10}},
             {{10, 10}, {5, 10}, {16, 10}});
    category("archives", ArchivesCategory, {{10, 4}, {10, 7}, {10, 10}, {9, 14.5}, {4, 10}, {16, 10}},
             {{13, 7}, {7, 14}});
    category("code", CodeCategory, {{2, 10}, {18, 10}, {10, 10}, {4, 7.5}, {16, 12.5}},
             {{6, 10}, {14, 10}, {16, 3}});
    category("other", OtherCategory, {{4, 8.5}, {10, 11.5}, {17.5, 10}}, {{10, 10}, {7, 10}, {10, 5}});
    category("other, wide box", OtherCategory, {{4, 8.5}, {17.5, 10}}, {{10, 4}, {10, 16}}, {0, 0, 40, 20});
    // Numbers outside the ten categories fall back to Other.
    category("out of range", 10, {{4, 8.5}, {17.5, 10}}, {{7, 10}, {10, 3}});
}

void TestGlyphEngine::glyphs()
{
    QFETCH(QImage, image);
    QFETCH(Points, ink);
    QFETCH(Points, empty);
    auto alphaAt = [&image](QPointF p) {
        return qAlpha(image.pixel(int(std::floor(p.x())), int(std::floor(p.y()))));
    };
    for (const QPointF &p : ink)
        QVERIFY2(alphaAt(p) > 128, qPrintable(QString("no ink at %1,%2").arg(p.x()).arg(p.y())));
    for (const QPointF &p : empty)
        QVERIFY2(alphaAt(p) == 0, qPrintable(QString("ink at %1,%2").arg(p.x()).arg(p.y())));
}

void TestGlyphEngine::buttonIconsAtDevicePixelRatio()
{
    for (int glyph = GlyphEngine::ChevronDown; glyph <= GlyphEngine::Bin; ++glyph) {
        const QPixmap pixmap = GlyphEngine::icon(GlyphEngine::Glyph(glyph)).pixmap(QSize(16, 16), 2.0);
        QCOMPARE(pixmap.size(), QSize(32, 32));
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
        const QImage image = pixmap.toImage();
        // The fully covered pixels carry the button colour itself.
        QColor strongest(Qt::transparent);
        for (int i = 0; i < 32 * 32; ++i) {
            if (image.pixelColor(i % 32, i / 32).alpha() > strongest.alpha())
                strongest = image.pixelColor(i % 32, i / 32);
        }
        QCOMPARE(strongest, QColor(0xf2, 0xf4, 0xf8));
    }
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
    QCOMPARE(*calls, (QList<std::pair<QColor, qreal>>{{QColor(Qt::red), 20.0}}));
}

void TestGlyphEngine::categoryGlyphsDiffer()
{
    QList<QImage> images;
    for (int category : allCategories())
        images.append(categoryImage(category, QRectF(0, 0, 16, 16), QSize(16, 16)));
    for (int a = 0; a < images.size(); ++a) {
        for (int b = a + 1; b < images.size(); ++b)
            QVERIFY2(images[a] != images[b], qPrintable(QString("%1 == %2").arg(a).arg(b)));
    }
    // The pen colour is the secondary text colour.
    QCOMPARE(categoryImage(OtherCategory, QRectF(0, 0, 40, 40), QSize(40, 40)).pixelColor(8, 17),
             QColor(0xc2, 0xcb, 0xdb));
}

QTEST_MAIN(TestGlyphEngine)
#include "test_glyphengine.moc"
