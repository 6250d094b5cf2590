#include "TestEnvironment.h"
#include "base/Settings.h"
#include "fakes/FakeIconSwitch.h"
#include "shell/ShellDesktop.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

using State = FakeIconSwitch::State;

class TestShellDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void ownership_data();
    void ownership();
    void retries();
    void desktopUnreachableAtTheEnd_data();
    void desktopUnreachableAtTheEnd();

private:
    static bool flagStored()
    {
        return Settings::instance()->value(SettingsKeys::shellIconsHiddenByUs).toBool();
    }

    std::unique_ptr<TestEnvironment> m_env;
};

void TestShellDesktop::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QSettings().clear();
}

void TestShellDesktop::ownership_data()
{
    QTest::addColumn<bool>("hiddenAtStart");
    QTest::addColumn<bool>("flagAtStart");
    QTest::addColumn<bool>("userShowsMeanwhile");
    QTest::addColumn<bool>("hiddenAtEnd");
    QTest::addColumn<int>("toggles");

    // Visible at start: hidden by us, given back at the end.
    QTest::newRow("visible") << false << false << false << false << 2;
    // Hidden by the user before the start: not ours, left hidden.
    QTest::newRow("user hid them") << true << false << false << true << 0;
    // Left hidden by a crashed run of ours: taken over and given back.
    QTest::newRow("after a crash") << true << true << false << false << 1;
    // The user showed them while we ran: nothing is sent at the end.
    QTest::newRow("user showed them") << false << false << true << false << 2;
}

void TestShellDesktop::ownership()
{
    QFETCH(bool, hiddenAtStart);
    QFETCH(bool, flagAtStart);
    QFETCH(bool, userShowsMeanwhile);
    QFETCH(bool, hiddenAtEnd);
    QFETCH(int, toggles);
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
        // The destructor gives the icons back too; quitting calls this first.
        shell.restoreIcons();
        QVERIFY(!shell.isHidden());
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(1).at(0).toBool(), false);
    }
    QCOMPARE(state->hidden, hiddenAtEnd);
    QCOMPARE(state->toggles, toggles);
    QVERIFY(!flagStored());
}

void TestShellDesktop::retries()
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

void TestShellDesktop::desktopUnreachableAtTheEnd_data()
{
    QTest::addColumn<bool>("directWorks");
    QTest::addColumn<bool>("hiddenAtEnd");
    QTest::addColumn<bool>("flagAtEnd");
    // The toggle cannot get through: the direct write gives them back.
    QTest::newRow("direct write") << true << false << false;
    // Neither gets through: the icons are still hidden, so the next run must
    // be able to take them over; the flag stays.
    QTest::newRow("nothing gets through") << false << true << true;
}

void TestShellDesktop::desktopUnreachableAtTheEnd()
{
    QFETCH(bool, directWorks);
    QFETCH(bool, hiddenAtEnd);
    QFETCH(bool, flagAtEnd);
    auto state = std::make_shared<State>();
    ShellDesktop shell(std::make_unique<FakeIconSwitch>(state));
    shell.hideIcons();
    QVERIFY(state->hidden);
    state->toggleWorks = false;
    state->directWorks = directWorks;
    shell.restoreIcons();
    QVERIFY(!shell.isHidden());
    QCOMPARE(state->directWrites, 1);
    QCOMPARE(state->hidden, hiddenAtEnd);
    QCOMPARE(flagStored(), flagAtEnd);
}

QTEST_GUILESS_MAIN(TestShellDesktop)
#include "test_shelldesktop.moc"
