#include "base/StartupHold.h"

#include <QtTest>

#include <memory>
#include <vector>

class TestStartupHold : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Steps: "h" holds, "r" ends the newest hold, "a".."c" hand over work tied
    // to nothing, "x" work tied to a context that is gone before the end.
    void order_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("ran"); // what had run after each step, "|" between steps
        QTest::newRow("no hold: at once") << "ab"
                                          << "a|ab";
        QTest::newRow("held: at the end, in order") << "habr"
                                                    << "|||ab";
        QTest::newRow("nested: the last end") << "hahbrr"
                                              << "|||||ab";
        QTest::newRow("after the end: at once") << "harb"
                                                << "||a|ab";
        QTest::newRow("context gone: dropped") << "haxbr"
                                               << "||||ab";
        QTest::newRow("held again") << "harhbr"
                                    << "||a|a|a|ab";
    }

    void order()
    {
        QFETCH(QString, steps);
        QFETCH(QString, ran);
        QString done;
        QStringList seen;
        std::vector<std::unique_ptr<StartupHold>> holds;
        for (const QChar step : steps) {
            if (step == 'h') {
                holds.push_back(std::make_unique<StartupHold>());
            } else if (step == 'r') {
                holds.pop_back();
            } else if (step == 'x') {
                auto context = std::make_unique<QObject>();
                StartupHold::whenReleased(context.get(), [&done] { done += 'x'; });
            } else {
                StartupHold::whenReleased(nullptr, [&done, step] { done += step; });
            }
            seen.append(done);
        }
        QCOMPARE(seen.join('|'), ran);
        QVERIFY(!StartupHold::isHeld());
    }
};

QTEST_APPLESS_MAIN(TestStartupHold)
#include "test_startuphold.moc"
