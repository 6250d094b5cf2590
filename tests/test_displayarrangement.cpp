#include "panels/DisplayArrangement.h"

#include <QtTest>

using namespace DisplayArrangement;
using Rects = QList<QRect>;
Q_DECLARE_METATYPE(DisplayArrangement::Screens)

namespace {
const Screen left{QStringLiteral("LEFT"), QRect(0, 0, 1920, 1080), 100, {}, true};
const Screen right{QStringLiteral("RIGHT"), QRect(1920, 0, 1920, 1080), 100, {}, false};
const Screen projector{QStringLiteral("HDMI"), QRect(0, 0, 1280, 720), 100, {}, true};
// The left screen at another resolution and scale.
const Screen leftSmall{QStringLiteral("LEFT"), QRect(0, 0, 960, 540), 200, {}, true};
const QList<Screens> known{{left, right}, {projector}};
const QSize minimum(220, 148);
// One window on each screen of the first known arrangement.
const Rects docked{QRect(100, 100, 400, 300), QRect(2020, 100, 400, 300)};
} // namespace

class TestDisplayArrangement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void arrangement_data()
    {
        QTest::addColumn<Screens>("current");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("match");
        QTest::addColumn<Rects>("expected");
        QTest::newRow("same screens listed in another order: every window stays")
            << Screens{right, left} << 0 << int(Match::Same) << docked;
        QTest::newRow("subset: the right screen's window comes left, clear of the other")
            << Screens{left} << 0 << int(Match::Subset) << Rects{docked.at(0), QRect(100, 416, 400, 300)};
        QTest::newRow("unknown: the closest scaled down, never below the minimum, clear of each other")
            << Screens{leftSmall} << 0 << int(Match::Closest)
            << Rects{QRect(50, 50, 220, 150), QRect(50, 216, 220, 150)};
    }
    void arrangement()
    {
        QFETCH(Screens, current);
        const Found found = find(known, current);
        QTEST(found.index, "index");
        QTEST(int(found.match), "match");
        QList<Window> windows;
        for (const QRect &rect : docked)
            windows.append({rect, minimum});
        QTEST(carry(windows, known.at(found.index), current), "expected");
    }
};

QTEST_APPLESS_MAIN(TestDisplayArrangement)
#include "test_displayarrangement.moc"
