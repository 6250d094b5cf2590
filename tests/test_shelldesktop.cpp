#include "TestEnvironment.h"
#include "base/Settings.h"
#include "fakes/FakeIconSwitch.h"
#include "shell/ShellDesktop.h"

#include <QSettings>
#include <QtTest>

using State = FakeIconSwitch::State;

class TestShellDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        QSettings().clear();
    }

    void hideAndRestore_data()
    {
        for (const char *column : {"hiddenAtStart", "flagAtStart", "userShowsMeanwhile", "toggleAtEnd",
                                   "directWorks", "hiddenAtEnd", "flagAtEnd"})
            QTest::addColumn<bool>(column);
        QTest::addColumn<int>("toggles");

        // Visible at start: hidden by us, given back at the end.
        QTest::newRow("visible") << false << false << false << true << true << false << false << 2;
        // Hidden by the user before the start: not ours, left hidden.
        QTest::newRow("user hid them") << true << false << false << true << true << true << false << 0;
        // Left hidden by a crashed run of ours: taken over and given back.
        QTest::newRow("after a crash") << true << true << false << true << true << false << false << 1;
        // The user showed them while we ran: nothing is sent at the end.
        QTest::newRow("user showed them") << false << false << true << true << true << false << false << 2;
        // The toggle cannot get through at the end: the direct write gives them back.
        QTest::newRow("direct write") << false << false << false << false << true << false << false << 1;
        // Nothing gets through: still hidden, so the flag stays for the next run to take them over.
        QTest::newRow("nothing gets through")
            << false << false << false << false << false << true << true << 1;
    }

    void hideAndRestore()
    {
        QFETCH(bool, hiddenAtStart);
        QFETCH(bool, flagAtStart);
        QFETCH(bool, userShowsMeanwhile);
        QFETCH(bool, toggleAtEnd);
        auto state = std::make_shared<State>();
        state->hidden = hiddenAtStart;
        if (flagAtStart)
            Settings::instance()->setValue(SettingsKeys::shellIconsHiddenByUs, true);
        {
            ShellDesktop shell(std::make_unique<FakeIconSwitch>(state));
            QSignalSpy changed(&shell, &ShellDesktop::hiddenChanged);
            shell.hideIcons();
            QVERIFY(shell.isHidden());
            QVERIFY(state->hidden);
            QCOMPARE(changed.count(), 1);
            QCOMPARE(flagStored(), !hiddenAtStart || flagAtStart);
            shell.hideIcons(); // already hidden: nothing more
            QCOMPARE(changed.count(), 1);
            if (userShowsMeanwhile) {
                state->hidden = false;
                ++state->toggles;
            }
            state->toggleWorks = toggleAtEnd;
            QFETCH(bool, directWorks);
            state->directWorks = directWorks;
            // The destructor gives the icons back too; quitting calls this first.
            shell.restoreIcons();
            QVERIFY(!shell.isHidden());
            QCOMPARE(changed.count(), 2);
            QCOMPARE(changed.at(1).at(0).toBool(), false);
        }
        QTEST(state->hidden, "hiddenAtEnd");
        QTEST(state->toggles, "toggles");
        QCOMPARE(state->directWrites, toggleAtEnd ? 0 : 1);
        QTEST(flagStored(), "flagAtEnd");
    }

    void retries()
    {
        auto state = std::make_shared<State>();
        state->reachable = false;
        ShellDesktop shell(std::make_unique<FakeIconSwitch>(state));
        shell.hideIcons();
        QVERIFY(!shell.isHidden());
        QVERIFY(shell.isRetrying());
        // A second request while retrying starts no second round.
        shell.setIconsHidden(true);
        QVERIFY(shell.isRetrying());

        // The desktop comes up: the next attempt hides.
        state->reachable = true;
        QSignalSpy changed(&shell, &ShellDesktop::hiddenChanged);
        QVERIFY(changed.wait(5 * ShellDesktop::retryIntervalMs));
        QVERIFY(shell.isHidden());
        QVERIFY(!shell.isRetrying());

        // Restoring ends a running retry round without touching the desktop.
        shell.restoreIcons();
        state->reachable = false;
        shell.hideIcons();
        QVERIFY(shell.isRetrying());
        shell.setIconsHidden(false);
        QVERIFY(!shell.isRetrying());
        QVERIFY(!shell.isHidden());
    }

private:
    static bool flagStored()
    {
        return Settings::instance()->value(SettingsKeys::shellIconsHiddenByUs).toBool();
    }

    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestShellDesktop)
#include "test_shelldesktop.moc"
