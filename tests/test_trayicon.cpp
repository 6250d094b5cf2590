#include "PanelTestHome.h"
#include "base/Settings.h"
#include "base/SettingsKeys.h"
#include "base/l10n/L10n.h"
#include "fakes/FakeAutostartEntry.h"
#include "fakes/FakeIconSwitch.h"
#include "fakes/FakePlatformLook.h"
#include "look/AppStyle.h"
#include "panelset/PanelSet.h"
#include "shell/ShellDesktop.h"
#include "tray/AutostartControl.h"
#include "tray/LanguageCombo.h"
#include "tray/SettingsToggle.h"
#include "tray/SettingsWindow.h"
#include "tray/TrayHost.h"
#include "tray/TrayIcon.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QtTest>

namespace {

QAction *findEntry(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
        if (QAction *found = action->menu() ? findEntry(action->menu(), text) : nullptr)
            return found;
    }
    return nullptr;
}

// Shown in the current language, which is not English.
bool isTranslated(const QString &shown, const char *english)
{
    return shown == L10n::text(english) && shown != QLatin1StringView(english);
}

QStringList topLevelTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions()) {
        if (action->isVisible() && !action->isSeparator())
            texts.append(action->text());
    }
    return texts;
}

} // namespace

class TestTrayIcon : public QObject, PanelFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        startHome();
        m_icons = std::make_shared<FakeIconSwitch::State>();
        m_autostart = FakeAutostartEntry();
        L10n::install();
        addFiles({"/d/a.txt", "/d/b.png"});
        m_model = makeDesktopModel(m_desktop);
        m_panels = std::make_unique<PanelSet>(IconPanelOptions{}, m_model.get(), true);
        m_shell = std::make_unique<ShellDesktop>(std::make_unique<FakeIconSwitch>(m_icons));
        m_control = std::make_unique<AutostartControl>(&m_autostart, fakePlatformLook().words);
        m_tray = std::make_unique<TrayIcon>(m_panels.get(), m_model.get(), m_shell.get(), m_control.get(),
                                            fakePlatformLook());
        m_panels->showAll(false);
    }

    void cleanup()
    {
        m_tray.reset();
        m_control.reset();
        m_shell.reset();
        m_panels.reset();
        L10n::changeLanguage("system");
        endHome();
    }

    void menuFollowsState_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("firstEntry");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("checkedSize"); // empty: none
        QTest::addColumn<bool>("startsAtSignIn");
        const auto row = [](const char *tag, const QString &change, const QString &first, bool locked,
                            const QString &size, bool atSignIn) {
            QTest::newRow(tag) << change << first << locked << size << atSignIn;
        };
        row("as started", "", "Hide all panels", false, "Medium", false);
        row("hidden by a click", "toggle", "Show all panels", false, "Medium", false);
        row("hidden, then shown", "toggle twice", "Hide all panels", false, "Medium", false);
        row("last panel closed", "close all", "Show all panels", false, "Medium", false);
        row("locked from a panel", "lock", "Hide all panels", true, "Medium", false);
        row("large icons from a panel", "size 96", "Hide all panels", false, "Large", false);
        row("a size no entry names", "size 64", "Hide all panels", false, "", false);
        row("entry written outside", "autostart outside", "Hide all panels", false, "Medium", true);
    }

    void menuFollowsState()
    {
        QFETCH(QString, change);
        QFETCH(QString, firstEntry);
        QFETCH(bool, locked);
        QFETCH(QString, checkedSize);
        openMenu();
        for (int i = change.startsWith("toggle") ? (change == "toggle" ? 1 : 2) : 0; i > 0; --i)
            m_tray->tray()->activated(QSystemTrayIcon::Trigger);
        if (change == "close all") {
            m_panels->setHideToTray(true);
            for (IconPanel *panel : m_panels->panelsInOrder())
                panel->close();
        }
        if (change == "lock")
            Q_EMIT m_panels->panelsInOrder().first()->layoutLockRequested(true);
        if (change.startsWith("size "))
            Q_EMIT m_panels->panelsInOrder().first()->iconSizeRequested(change.mid(5).toInt());
        if (change == "autostart outside")
            m_autostart.enabled = true;
        // Double and middle clicks do nothing.
        m_tray->tray()->activated(QSystemTrayIcon::DoubleClick);
        m_tray->tray()->activated(QSystemTrayIcon::MiddleClick);

        QMenu *menu = m_tray->menu();
        // The lock shows at once, without the menu being opened again.
        QCOMPARE(findEntry(menu, "Lock layout")->isChecked(), locked);
        QCOMPARE(findEntry(menu, "Tidy panels")->isEnabled(), !locked);
        openMenu();
        QCOMPARE(menu->actions().first()->text(), firstEntry);
        for (const char *size : {"Small", "Medium", "Large"})
            QCOMPARE(findEntry(menu, size)->isChecked(), checkedSize == size);
        QTEST(m_control->action()->isChecked(), "startsAtSignIn");

        // The first entry keeps saying what it does in another language.
        L10n::changeLanguage("de");
        QVERIFY(isTranslated(menu->actions().first()->text(), qPrintable(firstEntry)));
        QVERIFY(findEntry(menu, L10n::text("Large")));
    }

    void menuEntriesAndToolTip()
    {
        QMenu *menu = m_tray->menu();
        openMenu();
        const QStringList plain{"Hide all panels",       "Layout",    "Appearance",
                                "Refresh desktop icons", "Settings…", "Quit"};
        QCOMPARE(topLevelTexts(menu), plain);

        // Tools appear once there are some; shared entries sit above the settings.
        QAction todo("To-do list");
        QAction currency("Currency converter");
        m_tray->setToolActions({&todo, &currency});
        m_tray->setSharedActions({m_control->action()});
        QStringList withTools = plain;
        withTools.insert(1, "Tools");
        withTools.insert(5, "Start at sign-in");
        QCOMPARE(topLevelTexts(menu), withTools);
        QCOMPARE(findEntry(menu, "To-do list"), &todo);
        m_tray->setSharedActions({});
        m_tray->setToolActions({});
        QCOMPARE(topLevelTexts(menu), plain);

        QSignalSpy quit(m_tray.get(), &TrayIcon::quitRequested);
        findEntry(menu, "Quit")->trigger();
        QCOMPARE(quit.count(), 1);
        // Every menu and submenu has the program's menu look.
        const QList<QMenu *> menus = menu->findChildren<QMenu *>() << menu;
        for (QMenu *each : menus)
            QCOMPARE(each->styleSheet(), AppStyle::menuStyleSheet());

        // The tray item's Id and Title, the window class and the accessible
        // application name are all the application's name: the one people read.
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Larkspan"));
        QCOMPARE(QAccessible::queryAccessibleInterface(qApp)->text(QAccessible::Name),
                 QStringLiteral("Larkspan"));
        QCOMPARE(m_tray->tray()->toolTip(), "Larkspan — Items: 2");
        m_desktop->entries.append(FakeDesktopSource::file("/d/c.txt"));
        m_model->reload();
        QCOMPARE(m_tray->tray()->toolTip(), "Larkspan — Items: 3");
        QLocale::setDefault(QLocale(QLocale::German));
        m_tray->updateToolTip(1234);
        QCOMPARE(m_tray->tray()->toolTip(), "Larkspan — Items: 1.234");
    }

    void settingsWindowReused()
    {
        m_tray->showSettings();
        SettingsWindow *window = m_tray->settingsWindow();
        // Closing the window hides it; it never ends the program.
        QVERIFY(window->isVisible() && !window->testAttribute(Qt::WA_QuitOnClose));
        // Icons not hidden, no start at sign-in, hiding by double-click on until switched off.
        QVERIFY(!window->autostartSwitch()->isChecked() && window->desktopIconsSwitch()->isChecked());
        QVERIFY(window->quickHideSwitch()->isChecked());
        window->quickHideSwitch()->click();
        QVERIFY(!Settings::instance()->value(SettingsKeys::desktopQuickHide).toBool());
        window->close();

        // Changed behind the window's back: the next opening shows it.
        m_autostart.enabled = true;
        m_shell->hideIcons();
        m_tray->showSettings();
        QVERIFY(m_tray->settingsWindow() == window && window->isVisible());
        QVERIFY(window->autostartSwitch()->isChecked() && !window->desktopIconsSwitch()->isChecked());

        // The desktop-icons switch drives the real icons.
        window->desktopIconsSwitch()->click();
        QVERIFY(!m_shell->isHidden() && !m_icons->hidden);
        window->desktopIconsSwitch()->click();
        // The desktop is given time to settle after its icons came back.
        QTRY_VERIFY_WITH_TIMEOUT(m_shell->isHidden(), ShellDesktop::settleMs + 2000);
        // Switching from a menu shows in the open window.
        m_control->action()->trigger();
        QVERIFY(!window->autostartSwitch()->isChecked() && !m_autostart.enabled);

        // A failed change is reported and the switch shows what is; the next click tries again.
        m_autostart.writable = false;
        QSignalSpy failed(m_control.get(), &AutostartControl::changeFailed);
        window->autostartSwitch()->click();
        QVERIFY(!window->autostartSwitch()->isChecked() && !m_control->action()->isChecked());
        m_autostart.writable = true;
        window->autostartSwitch()->click();
        QVERIFY(failed.count() == 1 && window->autostartSwitch()->isChecked() && m_autostart.enabled);
    }

    // A desktop without a switch is said under the desktop-icons switch, which
    // then does nothing; a desktop found later takes the line away again.
    void settingsSayWhenNoSwitch()
    {
        m_icons->reachable = false;
        m_shell->setRetryCount(1);
        m_shell->hideIcons();
        m_tray->showSettings();
        SettingsWindow *window = m_tray->settingsWindow();
        QLabel *note = window->switchMissingNote();
        SettingsToggle *toggle = window->desktopIconsSwitch();
        QVERIFY(!note->isVisible() && toggle->isEnabled()); // still looking
        QTRY_VERIFY_WITH_TIMEOUT(note->isVisible(), 10 * ShellDesktop::retryIntervalMs);
        QVERIFY(!toggle->isEnabled() &&
                note->text() == L10n::text("This desktop's icons cannot be hidden by Larkspan."));
        window->hide(); // looked for only while it is said
        QVERIFY(!m_shell->isLooking());
        window->show();
        m_icons->reachable = true;
        QTRY_VERIFY_WITH_TIMEOUT(!note->isVisible(), 3 * ShellDesktop::lookAgainMs);
        QVERIFY(toggle->isEnabled() && !toggle->isChecked() && m_icons->hidden);
    }

    void settingsLanguage_data()
    {
        QTest::addColumn<QString>("stored"); // empty: nothing stored; the others pick none
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("pick"); // empty: nothing picked
        QTest::newRow("nothing stored, pick German") << QString() << 0 << "de";
        QTest::newRow("stored Arabic, pick system") << "ar" << 2 << "system";
        QTest::newRow("hand-edited, untouched") << "klingon" << 0 << QString();
        QTest::newRow("letter case matters") << "DE" << 0 << QString();
    }

    void settingsLanguage()
    {
        QFETCH(QString, stored);
        QFETCH(QString, pick);
        if (!stored.isEmpty())
            TestEnvironment::settings().setValue(SettingsKeys::uiLanguage, stored);
        m_tray->showSettings();
        LanguageCombo *list = m_tray->settingsWindow()->languageList();
        // Each language is named in its own.
        QCOMPARE(list->itemText(list->findData("zh_Hant")), "繁體中文");
        QCOMPARE(list->itemText(list->findData("de")), "Deutsch");
        QTEST(list->currentIndex(), "selected");
        QCOMPARE(TestEnvironment::settings().value(SettingsKeys::uiLanguage).toString(), stored);
        if (!pick.isEmpty())
            list->setCurrentIndex(list->findData(pick));
        QCOMPARE(Settings::instance()->value(SettingsKeys::uiLanguage).toString(),
                 pick.isEmpty() ? stored : pick);
        if (pick == "de") {
            // Every bound text follows: the window, the tray menu, the panels.
            QVERIFY(isTranslated(m_tray->settingsWindow()->windowTitle(), "Larkspan — Settings"));
            QVERIFY(isTranslated(m_panels->panel("documents")->title(), "Documents"));
            QVERIFY(isTranslated(m_control->action()->text(), "Start at sign-in"));
            // The first item says whose language it follows, not the System panel's name.
            QVERIFY(list->itemText(0) != L10n::text("System"));
        }
    }

    void smallWidgets()
    {
        SettingsToggle toggle;
        QCOMPARE(toggle.size(), QSize(40, 24));
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(39, 0), QPoint(0, 23), QPoint(39, 23), QPoint(20, 12)}) {
            const bool before = toggle.isChecked();
            QTest::mouseClick(&toggle, Qt::LeftButton, {}, corner);
            QVERIFY2(toggle.isChecked() != before,
                     qPrintable(QString("%1,%2").arg(corner.x()).arg(corner.y())));
        }
        // The language list's chevron stands at its trailing end.
        LanguageCombo combo;
        combo.resize(200, 32);
        QCOMPARE(combo.chevronCentre(), QPointF(186, 16));
        combo.setLayoutDirection(Qt::RightToLeft);
        QCOMPARE(combo.chevronCentre(), QPointF(14, 16));
    }

    // A second start shows the running program: the panels that were put away,
    // and the settings window when there is a tray icon to own it.
    void trayComesAndGoes()
    {
        m_tray.reset();
        bool available = false;
        TrayHost host(m_panels.get(), m_model.get(), m_shell.get(), m_control.get(), fakePlatformLook());
        host.setAvailabilityCheck([&available] { return available; });
        QSignalSpy hostQuit(&host, &TrayHost::quitRequested);
        QSignalSpy panelQuit(m_panels.get(), &PanelSet::quitRequested);
        host.start();
        m_panels->toggleAll();
        host.showProgram();
        QVERIFY(m_panels->anyPanelVisible() && !host.trayIcon());

        // With a tray, closing every panel keeps the program.
        available = true;
        QTRY_VERIFY(host.hasTray());
        for (IconPanel *panel : m_panels->panelsInOrder())
            panel->close();
        QVERIFY(!m_panels->anyPanelVisible());
        QCOMPARE(hostQuit.count() + panelQuit.count(), 0);
        host.showProgram();
        QVERIFY(m_panels->anyPanelVisible() && host.trayIcon()->settingsWindow()->isVisible());

        // The host goes away: once noticed, closing a panel asks to end at once.
        available = false;
        QTRY_VERIFY(!host.hasTray());
        m_panels->panelsInOrder().first()->close();
        QVERIFY(panelQuit.count() == 1 && hostQuit.count() == 0);

        // It comes back, and goes again before anyone looked: the last close ends it.
        available = true;
        QTRY_VERIFY(host.hasTray());
        available = false;
        for (IconPanel *panel : m_panels->panelsInOrder())
            panel->close();
        QCOMPARE(hostQuit.count(), 1);
    }

private:
    // What a user sees when opening the menu.
    void openMenu() { Q_EMIT m_tray->menu()->aboutToShow(); }

    std::shared_ptr<FakeIconSwitch::State> m_icons;
    FakeAutostartEntry m_autostart;
    std::unique_ptr<PanelSet> m_panels;
    std::unique_ptr<ShellDesktop> m_shell;
    std::unique_ptr<AutostartControl> m_control;
    std::unique_ptr<TrayIcon> m_tray;
};

QTEST_MAIN(TestTrayIcon)
#include "test_trayicon.moc"
