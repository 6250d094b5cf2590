#include "app/StartupWindows.h"

#include <QtTest>

#include <memory>

using namespace std::chrono_literals;

// The program's start waits for this before it reads icons and writes files.
class TestStartupWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toldOnce_data()
    {
        QTest::addColumn<int>("shown");
        QTest::newRow("none shown: at the next turn") << 0;
        QTest::newRow("three shown: once all are on screen") << 3;
    }

    void toldOnce()
    {
        QFETCH(int, shown);
        std::vector<std::unique_ptr<QWindow>> windows;
        for (int i = 0; i < shown; ++i) {
            auto &window = windows.emplace_back(std::make_unique<QWindow>());
            window->setGeometry(10 * i, 10, 100, 100);
            window->show();
        }
        QWindow hidden; // made, never shown: not waited for
        hidden.create();
        StartupWindows watch(60s);
        QList<bool> told;
        connect(&watch, &StartupWindows::onScreen, this, [&] {
            told.append(std::all_of(windows.begin(), windows.end(), [](auto &w) { return w->isExposed(); }));
        });
        QVERIFY(told.isEmpty()); // never before the caller listens
        QTRY_COMPARE(told.size(), 1);
        QVERIFY(told.first());
        windows.emplace_back(std::make_unique<QWindow>())->show(); // shown later: not waited for
        QTest::qWait(50);
        QCOMPARE(told.size(), 1);
    }
};

QTEST_MAIN(TestStartupWindows)
#include "test_startupwindows.moc"
