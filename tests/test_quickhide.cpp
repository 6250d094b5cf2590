#include "PanelTestHome.h"
#include "base/Settings.h"
#include "fakes/FakeDesktopClickWatcher.h"
#include "fakes/FakeIconSwitch.h"
#include "panelset/PanelSet.h"
#include "panelset/QuickHide.h"
#include "shell/DesktopDoubleClick.h"
#include "shell/ShellDesktop.h"

#include <QtTest>

Q_DECLARE_METATYPE(QList<DesktopPress>)

class TestQuickHide : public QObject, PanelFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { startHome(); }
    void cleanup() { endHome(); }

    // Runs of presses with a double-click interval of 400 ms and a distance of 5 px.
    void doubleClickRule_data()
    {
        QTest::addColumn<QList<DesktopPress>>("presses");
        QTest::addColumn<bool>("iconsShown");
        QTest::addColumn<int>("doubleClicks");
        using enum DesktopPress::Target;
        const auto twice = [](DesktopPress first, DesktopPress second) {
            return QList{first, second};
        };
        const DesktopPress on{1000, {50, 50}, Desktop};
        QTest::newRow("quick, close, on the desktop") << twice(on, {1399, {55, 45}, Desktop}) << false << 1;
        QTest::newRow("on the root, where no icons are")
            << twice({1000, {}, Root}, {1300, {}, Root}) << true << 1;
        QTest::newRow("root, then the desktop") << twice({1000, {}, Root}, {1300, {}, Desktop}) << false << 1;
        QTest::newRow("the desktop draws icons") << twice(on, on) << true << 0;
        QTest::newRow("too slow") << twice(on, {1400, {50, 50}, Desktop}) << false << 0;
        QTest::newRow("too far across") << twice(on, {1100, {56, 50}, Desktop}) << false << 0;
        QTest::newRow("too far down") << twice(on, {1100, {50, 44}, Desktop}) << false << 0;
        QTest::newRow("first on a window") << twice({1000, {}, Other}, {1100, {}, Desktop}) << false << 0;
        QTest::newRow("second on a window") << twice(on, {1100, {50, 50}, Other}) << false << 0;
        QTest::newRow("another button")
            << twice({1000, {}, Desktop, 3}, {1100, {}, Desktop, 3}) << false << 0;
        QTest::newRow("another button between")
            << QList<DesktopPress>{on, {1100, {50, 50}, Desktop, 2}, {1200, {50, 50}, Desktop}} << false << 0;
        QTest::newRow("a triple click is one") << QList{on, on, on} << false << 1;
        QTest::newRow("four clicks are two") << QList{on, on, on, on} << false << 2;
        QTest::newRow("the clock wrapped around")
            << twice({0xFFFFFF00, {}, Desktop}, {0x50, {}, Desktop}) << false << 1;
        QTest::newRow("the clock went back") << twice(on, {900, {50, 50}, Desktop}) << false << 0;
    }

    void doubleClickRule()
    {
        QFETCH(QList<DesktopPress>, presses);
        QFETCH(bool, iconsShown);
        DesktopDoubleClick rule;
        int count = 0;
        for (const DesktopPress &press : presses)
            count += rule.press(press, iconsShown, 400, 5);
        QTEST(count, "doubleClicks");
    }

    // On by default; the settings switch and the desktop's icons reach the
    // watch, and a double-click puts the panels away and back as the tray does.
    void followsSwitchAndIcons()
    {
        addFiles({"/d/a.txt"});
        m_model = makeDesktopModel(m_desktop);
        PanelSet set(IconPanelOptions{}, m_model.get(), true);
        set.showAll(false);
        ShellDesktop shell(std::make_unique<FakeIconSwitch>(std::make_shared<FakeIconSwitch::State>()));
        FakeDesktopClickWatcher watcher;
        QuickHide quickHide(&watcher, &set, &shell);
        QVERIFY(watcher.watching && watcher.desktopIconsShown());
        shell.hideIcons();
        QVERIFY(!watcher.desktopIconsShown());

        Settings::instance()->setValue(SettingsKeys::desktopQuickHide, false);
        watcher.doubleClick();
        QVERIFY(!watcher.watching && set.anyPanelVisible());
        Settings::instance()->setValue(SettingsKeys::desktopQuickHide, true);
        watcher.doubleClick();
        QVERIFY(watcher.watching && !set.anyPanelVisible());
        watcher.doubleClick();
        QVERIFY(set.anyPanelVisible());
    }
};

QTEST_MAIN(TestQuickHide)
#include "test_quickhide.moc"
