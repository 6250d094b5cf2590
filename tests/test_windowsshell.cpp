#include "fakes/FakeDesktopShell.h"
#include "fakes/FakeRunKey.h"
#include "shell/windows/WindowsAutostartEntry.h"
#include "shell/windows/WindowsDesktopClickWatcher.h"
#include "shell/windows/WindowsIconSwitch.h"
#include "shell/windows/WindowsWindowStacking.h"

#include <QtTest>

using Layer = WindowStacking::Layer;
Q_DECLARE_METATYPE(QList<WId>)

namespace {

// Window handles of the made-up desktops.
constexpr WId progman = 1, defView = 2, listView = 3, worker = 4, emptyWorker = 5, app = 6, panelA = 7,
              panelB = 8, pinned = 9;

const QString exe = QStringLiteral("C:/Program Files/Larkspan/larkspan.exe");
const QString ours = QStringLiteral("\"C:\\Program Files\\Larkspan\\larkspan.exe\"");

} // namespace

// The session side of the Windows backend against made-up shells and Run keys:
// the parts a real Windows shell is needed for, which Wine does not have.
class TestWindowsShell : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void iconSwitchFindsTheDesktopView_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<bool>("deaf");
        QTest::addColumn<WId>("view");
        QTest::newRow("view under the shell window") << "progman" << false << defView;
        QTest::newRow("view under a WorkerW") << "workerw" << false << defView;
        QTest::newRow("no desktop (shell starting)") << "none" << false << WId(0);
        QTest::newRow("view ignores the command") << "progman" << true << defView;
    }

    void iconSwitchFindsTheDesktopView()
    {
        QFETCH(QString, desktop);
        QFETCH(bool, deaf);
        auto owned = std::make_unique<FakeDesktopShell>();
        FakeDesktopShell &shell = *owned;
        shell.ignoresCommand = deaf;
        if (desktop != QLatin1String("none")) {
            shell.add(app, QStringLiteral("Notepad"));
            shell.add(emptyWorker, QStringLiteral("WorkerW"));
            shell.shell = shell.add(progman, QStringLiteral("Progman"));
            // Wallpaper animation moves the view out of Progman into a WorkerW.
            const WId parent = desktop == QLatin1String("progman") ? progman : shell.add(worker, "WorkerW");
            shell.add(defView, QStringLiteral("SHELLDLL_DefView"), parent);
            shell.add(listView, QStringLiteral("SysListView32"), defView);
        }
        WindowsIconSwitch iconSwitch(std::move(owned));

        QFETCH(WId, view);
        const bool toggled = view && !deaf;
        QCOMPARE(iconSwitch.desktopView(), view);
        QCOMPARE(iconSwitch.listView(), view ? listView : 0);
        QCOMPARE(iconSwitch.found(), view != 0);
        QCOMPARE(iconSwitch.toggle(), toggled);
        QCOMPARE(iconSwitch.iconsHiddenNow(), toggled);
        QCOMPARE(shell.log,
                 view ? QStringList{QStringLiteral("command 7402 to %1").arg(view)} : QStringList());
        // Whatever the stored state says (shown, in the deaf shell), what is on screen decides.
        shell.hidden = {listView};
        QCOMPARE(iconSwitch.iconsHiddenNow(), view != 0);
    }

    void iconSwitchShowsDirectlyAsLastResort_data()
    {
        QTest::addColumn<bool>("refuses");
        QTest::newRow("shell takes the write") << false;
        QTest::newRow("shell refuses it") << true;
    }

    void iconSwitchShowsDirectlyAsLastResort()
    {
        QFETCH(bool, refuses);
        auto owned = std::make_unique<FakeDesktopShell>();
        owned->iconsHidden = true;
        owned->refusesWrite = refuses;
        WindowsIconSwitch iconSwitch(std::move(owned));
        QCOMPARE(iconSwitch.showDirectly(), !refuses);
        QCOMPARE(iconSwitch.iconsHiddenNow(), refuses);
    }

    void clickWatcherSeesTheBareDesktop_data()
    {
        QTest::addColumn<QString>("under"); // the class of the top-level window clicked twice
        QTest::addColumn<bool>("iconsShown");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("doubleClicks");
        QTest::newRow("desktop, icons hidden") << "Progman" << false << 1 << 1;
        QTest::newRow("WorkerW, icons hidden") << "WorkerW" << false << 1 << 1;
        QTest::newRow("desktop, icons shown: an icon's") << "Progman" << true << 1 << 0;
        QTest::newRow("no shell: the root") << "" << true << 1 << 1;
        QTest::newRow("an application") << "Notepad" << false << 1 << 0;
        QTest::newRow("another button") << "Progman" << false << 2 << 0;
    }

    void clickWatcherSeesTheBareDesktop()
    {
        QFETCH(QString, under);
        auto owned = std::make_unique<FakeDesktopShell>();
        owned->root = 99;
        owned->under.insert(10, under.isEmpty() ? owned->root : owned->add(app, under));
        WindowsDesktopClickWatcher watcher(std::move(owned));
        QFETCH(bool, iconsShown);
        watcher.setDesktopIconsShown(iconsShown);
        QSignalSpy clicked(&watcher, &DesktopClickWatcher::desktopDoubleClicked);
        QFETCH(int, button);
        watcher.pressed(1000, QPoint(10, 10), button);
        watcher.pressed(1100, QPoint(10, 11), button);
        QTEST(int(clicked.size()), "doubleClicks");
        // Too slow for a double-click, even on the bare desktop.
        watcher.pressed(5000, QPoint(10, 10), button);
        QTEST(int(clicked.size()), "doubleClicks");
    }

    void stackingPutsPanelsDirectlyAboveTheDesktop_data()
    {
        QTest::addColumn<QList<WId>>("before"); // top first
        QTest::addColumn<QList<WId>>("topmost");
        QTest::addColumn<QList<WId>>("after");
        // Placed A then B, each directly above the desktop: B lies on it, A on B.
        QTest::newRow("raised above an application")
            << QList<WId>{panelA, panelB, app, progman} << QList<WId>{}
            << QList<WId>{app, panelA, panelB, progman};
        QTest::newRow("already in order") << QList<WId>{app, panelA, panelB, progman} << QList<WId>{}
                                          << QList<WId>{app, panelA, panelB, progman};
        QTest::newRow("only a pinned window above the desktop")
            << QList<WId>{pinned, progman, panelA, panelB} << QList<WId>{pinned}
            << QList<WId>{pinned, panelA, panelB, progman};
        // Wine's desktop window is the parent of the others: the panels go to the bottom.
        QTest::newRow("desktop window no sibling")
            << QList<WId>{panelA, panelB, app} << QList<WId>{} << QList<WId>{app, panelA, panelB};
    }

    void stackingPutsPanelsDirectlyAboveTheDesktop()
    {
        QFETCH(QList<WId>, before);
        QFETCH(QList<WId>, topmost);
        auto owned = std::make_unique<FakeDesktopShell>();
        FakeDesktopShell &shell = *owned;
        shell.zOrder = before;
        shell.topmost = topmost;
        shell.shell = progman;
        WindowsWindowStacking stacking(std::move(owned));
        const WId desktop = stacking.desktopWindow();
        QCOMPARE(desktop, before.contains(progman) ? progman : 0);
        for (const WId panel : {panelA, panelB})
            stacking.restackAbove(panel, desktop);
        QTEST(shell.zOrder, "after");
        QFETCH(QList<WId>, after);
        std::reverse(after.begin(), after.end());
        QCOMPARE(stacking.stackingOrder(), after);
    }

    void stackingLayers()
    {
        auto owned = std::make_unique<FakeDesktopShell>();
        FakeDesktopShell &shell = *owned;
        shell.zOrder = {app, panelA, progman};
        WindowsWindowStacking stacking(std::move(owned));
        QCOMPARE(stacking.layer(panelA), Layer::Normal);
        stacking.preparePanel(panelA, Layer::KeepBelow);
        QCOMPARE(stacking.layer(panelA), Layer::KeepBelow);
        stacking.setLayer(panelA, Layer::KeepAbove);
        QCOMPARE(stacking.layer(panelA), Layer::KeepAbove);
        QCOMPARE(shell.zOrder.first(), panelA);
        stacking.setLayer(panelA, Layer::KeepBelow);
        QCOMPARE(stacking.layer(panelA), Layer::KeepBelow);
        QVERIFY(shell.topmost.isEmpty());
    }

    void autostartReadsCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("same");
        QTest::addColumn<bool>("own");
        QTest::newRow("quoted, native") << "\"C:\\Program Files\\Larkspan\\larkspan.exe\"" << true << true;
        QTest::newRow("other case, slashes") << "\"c:/program files/LARKSPAN/Larkspan.EXE\"" << true << true;
        QTest::newRow("arguments after the quote")
            << "  \"C:\\Program Files\\Larkspan\\larkspan.exe\" --single" << true << true;
        QTest::newRow("unquoted with arguments")
            << "C:\\Program Files\\Larkspan\\larkspan.exe --single" << false << false;
        QTest::newRow("no closing quote") << "\"C:\\Program Files\\Larkspan\\larkspan.exe" << true << true;
        QTest::newRow("moved build") << "\"D:\\Tools\\larkspan.exe\"" << false << true;
        QTest::newRow("legacy name") << "\"D:\\Old\\Brim Vale.exe\"" << false << true;
        QTest::newRow("legacy file name") << "D:\\old\\BRIM-VALE.exe" << false << true;
        QTest::newRow("another program") << "\"C:\\Tools\\other.exe\"" << false << false;
        QTest::newRow("empty") << "" << false << false;
    }

    void autostartReadsCommands()
    {
        QFETCH(QString, command);
        QTEST(WindowsAutostartEntry::sameExecutable(command, exe), "same");
        QTEST(WindowsAutostartEntry::isOwnEntry(command, exe), "own");
        QVERIFY(!WindowsAutostartEntry::sameExecutable(command, QString()));
    }

    void autostartSwitches_data()
    {
        QTest::addColumn<QString>("stored"); // "Larkspan" before
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("refuses");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("kept");
        const QString foreign = "\"C:\\Tools\\other.exe\"";
        const auto row = [](const char *tag, const QString &stored, bool on, bool refuses, bool result,
                            const QString &after, const QString &kept = {}) {
            QTest::newRow(tag) << stored << on << refuses << result << after << kept;
        };
        row("on", "", true, false, true, ours);
        row("on, registry refuses", "", true, true, false, "");
        row("on over a moved build", "\"D:\\larkspan.exe\"", true, false, true, ours);
        row("on over another program's", foreign, true, false, true, ours, foreign);
        row("off", ours, false, false, true, "");
        row("off, registry refuses", ours, false, true, false, ours);
        row("off leaves another program's", foreign, false, false, true, foreign);
    }

    void autostartSwitches()
    {
        QFETCH(QString, stored);
        QFETCH(bool, refuses);
        auto owned = std::make_unique<FakeRunKey>();
        FakeRunKey &key = *owned;
        if (!stored.isEmpty())
            key.values.insert(QStringLiteral("Larkspan"), stored);
        key.refuses = refuses;
        WindowsAutostartEntry entry(std::move(owned), exe);
        QFETCH(bool, on);
        QTEST(entry.setEnabled(on), "result");
        QTEST(key.values.value(QStringLiteral("Larkspan")), "after");
        QTEST(key.keptAside.value(QStringLiteral("Larkspan")), "kept");
        QCOMPARE(entry.isEnabled(), key.values.value(QStringLiteral("Larkspan")) == ours);
    }

    void autostartMigratesLegacyValue_data()
    {
        QTest::addColumn<QString>("legacy");
        QTest::addColumn<bool>("migrated");
        QTest::newRow("earlier version's") << "\"D:\\Brim\\brim-vale.exe\" --x" << true;
        QTest::newRow("another program's") << "\"D:\\Brim\\other.exe\"" << false;
        QTest::newRow("none") << "" << false;
    }

    void autostartMigratesLegacyValue()
    {
        QFETCH(QString, legacy);
        QFETCH(bool, migrated);
        auto owned = std::make_unique<FakeRunKey>();
        FakeRunKey &key = *owned;
        if (!legacy.isEmpty())
            key.values.insert(QStringLiteral("Brim Vale"), legacy);
        WindowsAutostartEntry entry(std::move(owned), exe);
        QCOMPARE(entry.migrateLegacyEntry(), migrated);
        QCOMPARE(entry.isEnabled(), migrated);
        QCOMPARE(key.values.contains(QStringLiteral("Brim Vale")), !legacy.isEmpty() && !migrated);
    }
};

QTEST_MAIN(TestWindowsShell)
#include "test_windowsshell.moc"
