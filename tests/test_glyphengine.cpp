#include "categories/CategoryRules.h"
#include "frame/GlyphEngine.h"
#include "look/AppStyle.h"

#include <QPainter>
#include <QtTest>

#include <memory>

namespace {

QImage categoryImage(int category)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawCategoryGlyph(&painter, category, QRectF(0, 0, 16, 16));
    return image;
}

// Inked pixels inside and outside a rectangle, and the most opaque pixel's colour.
struct Ink
{
    int inside = 0;
    int outside = 0;
    QColor strongest = Qt::transparent;
};

Ink inkOf(const QImage &image, const QRect &box)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 0)
                continue;
            (box.contains(x, y) ? ink.inside : ink.outside) += 1;
            if (c.alpha() > ink.strongest.alpha())
                ink.strongest = c;
        }
    }
    return ink;
}

// The colour of a fully (or nearly fully) covered pixel, rounding aside.
bool isInk(const QColor &pixel, const QColor &colour)
{
    return pixel.alpha() > 200 && qAbs(pixel.red() - colour.red()) <= 2 &&
           qAbs(pixel.green() - colour.green()) <= 2 && qAbs(pixel.blue() - colour.blue()) <= 2;
}

} // namespace

class TestGlyphEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void glyphs_data()
    {
        QTest::addColumn<int>("category"); // -1: the button glyph
        QTest::addColumn<int>("glyph");
        QTest::addColumn<QRectF>("box");
        QTest::addColumn<qreal>("ratio");
        for (int glyph = GlyphEngine::ChevronDown; glyph <= GlyphEngine::Bin; ++glyph) {
            for (qreal ratio : {1.0, 2.0, 3.0})
                QTest::addRow("%d at %gx", glyph, ratio) << -1 << glyph << QRectF(12, 12, 16, 16) << ratio;
        }
        for (int category : allCategories()) {
            QTest::addRow("category %d small", category) << category << 0 << QRectF(8, 8, 16, 16) << 1.0;
            QTest::addRow("category %d large", category) << category << 0 << QRectF(4, 4, 40, 40) << 1.0;
            QTest::addRow("category %d wide", category) << category << 0 << QRectF(4, 14, 40, 20) << 1.0;
        }
    }

    // Button glyphs in the primary text colour, category glyphs in the secondary one,
    // each inside the box it is painted into.
    void glyphs()
    {
        QFETCH(int, category);
        QFETCH(int, glyph);
        QFETCH(QRectF, box);
        QFETCH(qreal, ratio);
        const QColor colour =
            category < 0 ? AppStyle::Palette::primaryText : AppStyle::Palette::secondaryText;
        QImage canvas(48, 48, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        if (category < 0) {
            const QIcon icon = GlyphEngine::icon(GlyphEngine::Glyph(glyph));
            // Crisp at every device pixel ratio: the pixmap has device pixels, not a scaled-up copy.
            const QPixmap pixmap = icon.pixmap(QSize(16, 16), ratio);
            const int edge = int(16 * ratio);
            QCOMPARE(pixmap.size(), QSize(edge, edge));
            QCOMPARE(pixmap.devicePixelRatio(), ratio);
            const Ink ink = inkOf(pixmap.toImage(), QRect(0, 0, edge, edge));
            QVERIFY(ink.inside > edge && isInk(ink.strongest, colour)); // more than a speck
            icon.paint(&painter, box.toRect());
        } else {
            drawCategoryGlyph(&painter, category, box);
        }
        painter.end();
        const Ink ink = inkOf(canvas, box.toAlignedRect().adjusted(-1, -1, 1, 1));
        QVERIFY(ink.inside > int(box.width()));
        QCOMPARE(ink.outside, 0);
        QVERIFY2(isInk(ink.strongest, colour), qPrintable(ink.strongest.name(QColor::HexArgb)));
    }

    void glyphsDiffer()
    {
        QList<QImage> categories;
        for (int category : allCategories())
            categories.append(categoryImage(category));
        QList<QImage> buttons;
        for (int glyph = GlyphEngine::ChevronDown; glyph <= GlyphEngine::Bin; ++glyph)
            buttons.append(GlyphEngine::icon(GlyphEngine::Glyph(glyph)).pixmap(QSize(16, 16)).toImage());
        for (const QList<QImage> *images : {&categories, &buttons}) {
            for (qsizetype a = 0; a < images->size(); ++a) {
                for (qsizetype b = a + 1; b < images->size(); ++b)
                    QVERIFY2(images->at(a) != images->at(b), qPrintable(QString("%1 == %2").arg(a).arg(b)));
            }
        }
        // Numbers outside the ten kinds draw Other's glyph.
        QCOMPARE(categoryImage(10), categories.at(OtherCategory));
        QCOMPARE(categoryImage(-1), categories.at(OtherCategory));
    }

    void cloneKeepsFunctionAndColour()
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
};

QTEST_MAIN(TestGlyphEngine)
#include "test_glyphengine.moc"
