#include "TestEnvironment.h"
#include "base/Settings.h"
#include "fakes/FakeIconSwitch.h"
#include "shell/ShellDesktop.h"
#include "shell/freedesktop/FreedesktopIconSwitch.h"
#include "shell/freedesktop/PcmanfmSettings.h"
#include "shell/freedesktop/Xfconf.h"

#include <QDBusConnection>
#include <QtTest>

using namespace Qt::StringLiterals;
using State = FakeIconSwitch::State;
using SessionProcesses::Environment;

namespace {

const Environment mine{
    {"DISPLAY", ":5"}, {"XDG_SESSION_ID", "c2"}, {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/bus"}};

// "NAME=value;NAME=value" as a process's session variables; "unreadable": none could be read.
std::optional<Environment> environment(const QByteArray &text)
{
    if (text == "unreadable")
        return std::nullopt;
    Environment variables;
    for (const QByteArray &entry : text.split(';')) {
        if (entry.contains('='))
            variables.insert(entry.left(entry.indexOf('=')), entry.mid(entry.indexOf('=') + 1));
    }
    return variables;
}

} // namespace

class TestShellDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        TestEnvironment::settings().clear();
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
        Settings::instance()->setValue(SettingsKeys::shellIconsHiddenByUs, flagAtStart);
        {
            ShellDesktop shell(std::make_unique<FakeIconSwitch>(state));
            QSignalSpy changed(&shell, &ShellDesktop::hiddenChanged);
            shell.hideIcons();
            QVERIFY(shell.isHidden() && state->hidden);
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

    // A desktop that restarts to take the change holds nothing up: its outcome
    // comes later, what was asked meanwhile is done after it, and the end of
    // the program waits for the icons to come back.
    void switchTakesAWhile()
    {
        auto state = std::make_shared<State>();
        state->later = true;
        {
            ShellDesktop shell(std::make_unique<FakeIconSwitch>(state));
            shell.hideIcons();
            QVERIFY(!state->hidden && !shell.isHidden() && shell.isRetrying());
            shell.restoreIcons();
            shell.finishSwitching(QDeadlineTimer(1000));
            QCOMPARE(state->toggles, 2);
            QVERIFY(!state->hidden && !shell.isHidden() && !flagStored());

            Settings::instance()->remove(SettingsKeys::shellIconsRestoredAt);
            shell.hideIcons();
            shell.finishSwitching(QDeadlineTimer(1000));
            QVERIFY(state->hidden && shell.isHidden());
            shell.restoreIcons();
            QVERIFY(state->hidden && !shell.isHidden());
        }
        QVERIFY(!state->hidden && !flagStored());
        QCOMPARE(state->toggles, 4);
    }

    // Whether the desktop has a switch is said only once the retries gave up
    // (one found later: test_trayicon's settingsSayWhenNoSwitch). Giving the
    // icons back ends the retries at once, so a desktop that comes up later is
    // not made to hide them after all.
    void switchMissing_data()
    {
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<bool>("toggleWorks");
        QTest::addColumn<bool>("givenBack"); // while retrying
        QTest::addColumn<bool>("missing");   // once the retries gave up
        QTest::newRow("found at once") << true << true << false << false;
        QTest::newRow("there but refused: not missing") << true << false << false << false;
        QTest::newRow("none") << false << true << false << true;
        QTest::newRow("none, given back: nothing said") << false << true << true << false;
    }

    void switchMissing()
    {
        QFETCH(bool, reachable);
        QFETCH(bool, toggleWorks);
        QFETCH(bool, givenBack);
        auto state = std::make_shared<State>();
        state->reachable = reachable;
        state->toggleWorks = toggleWorks;
        ShellDesktop shell(std::make_unique<FakeIconSwitch>(state));
        shell.setRetryCount(2);
        QSignalSpy changed(&shell, &ShellDesktop::switchMissingChanged);
        shell.hideIcons();
        QVERIFY(!shell.isSwitchMissing()); // still looking: nothing said
        if (givenBack) {
            shell.setIconsHidden(false);
            QVERIFY(!shell.isRetrying());
        }
        QTRY_VERIFY_WITH_TIMEOUT(!shell.isRetrying(), 10 * ShellDesktop::retryIntervalMs);
        QTEST(shell.isSwitchMissing(), "missing");
        QCOMPARE(changed.count(), shell.isSwitchMissing() ? 1 : 0);
        QVERIFY(!shell.isLooking()); // nobody asks
        QCOMPARE(shell.isHidden(), reachable && toggleWorks);
        // Without any switch there is nothing to look for.
        QVERIFY(ShellDesktop(nullptr).isSwitchMissing());
    }

    // A run started right after the previous one gave the icons back waits until
    // the desktop has settled before it hides them again; a giving back stored far
    // ahead (the clock was set back since) is no reason to wait.
    void waitsAfterGivingBack_data()
    {
        QTest::addColumn<bool>("clockSetBack");
        QTest::newRow("just given back") << false;
        QTest::newRow("given back in the future") << true;
    }

    void waitsAfterGivingBack()
    {
        QFETCH(bool, clockSetBack);
        auto state = std::make_shared<State>();
        QElapsedTimer sinceGivenBack;
        {
            ShellDesktop previousRun(std::make_unique<FakeIconSwitch>(state));
            previousRun.hideIcons();
            previousRun.restoreIcons();
            sinceGivenBack.start();
        }
        if (clockSetBack)
            Settings::instance()->setValue(SettingsKeys::shellIconsRestoredAt,
                                           QDateTime::currentMSecsSinceEpoch() + 2 * ShellDesktop::settleMs);
        ShellDesktop shell(std::make_unique<FakeIconSwitch>(state));
        shell.hideIcons();
        QCOMPARE(state->hidden, clockSetBack);
        QTRY_VERIFY_WITH_TIMEOUT(state->hidden, ShellDesktop::settleMs + 4 * ShellDesktop::retryIntervalMs);
        QVERIFY(shell.isHidden() && (clockSetBack || sinceGivenBack.elapsed() >= ShellDesktop::settleMs));
    }

    // Whether a desktop process counts as this session's: only its environment tells.
    void desktopOfThisSession_data()
    {
        QTest::addColumn<QByteArray>("theirs");
        QTest::addColumn<bool>("ours");
        QTest::newRow("same display") << QByteArray("DISPLAY=:5.0") << true;
        QTest::newRow("same local display by socket") << QByteArray("DISPLAY=unix:5") << true;
        QTest::newRow("another display") << QByteArray("DISPLAY=:0;XDG_SESSION_ID=c7") << false;
        QTest::newRow("same login session") << QByteArray("DISPLAY=:0;XDG_SESSION_ID=c2") << true;
        QTest::newRow("same session bus")
            << QByteArray("DBUS_SESSION_BUS_ADDRESS=unix:path=/run/bus") << true;
        QTest::newRow("another session bus") << QByteArray("DBUS_SESSION_BUS_ADDRESS=unix:path=/x") << false;
        QTest::newRow("nothing to compare") << QByteArray("DISPLAY=;HOME=/root") << false;
        QTest::newRow("environment unreadable") << QByteArray("unreadable") << false;
    }

    // xfconf is not up yet at the start; a Nemo desktop runs somewhere. Only a
    // Nemo of this session is this session's desktop: otherwise xfconf is tried
    // on, and the menu says hidden only once a switch of this session hid them.
    void desktopOfThisSession()
    {
        QFETCH(QByteArray, theirs);
        QFETCH(bool, ours);
        auto xfconf = std::make_shared<State>();
        auto nemo = std::make_shared<State>();
        xfconf->reachable = false;
        std::vector<FreedesktopIconSwitch::Desktop> desktops;
        desktops.push_back(
            {std::make_unique<FakeIconSwitch>(xfconf), {}, [xfconf] { return xfconf->reachable; }, {}, {}});
        desktops.push_back({std::make_unique<FakeIconSwitch>(nemo), u"nemo-desktop"_s, {}, {}, {}});
        const auto processes = [theirs](const QSet<QString> &names) {
            return names.contains(QStringLiteral("nemo-desktop"))
                       ? QList<SessionProcesses::Process>{{QStringLiteral("nemo-desktop"),
                                                           environment(theirs)}}
                       : QList<SessionProcesses::Process>();
        };
        ShellDesktop shell(std::make_unique<FreedesktopIconSwitch>(std::move(desktops), processes, mine));
        shell.hideIcons();
        QCOMPARE(shell.isHidden(), ours);
        QCOMPARE(nemo->hidden, ours);
        QCOMPARE(shell.isRetrying(), !ours);
        if (!ours) {
            xfconf->reachable = true;
            QTRY_VERIFY_WITH_TIMEOUT(shell.isHidden(), 5 * ShellDesktop::retryIntervalMs);
        }
        QCOMPARE(xfconf->hidden, !ours);
        shell.restoreIcons();
        QVERIFY(!xfconf->hidden && !nemo->hidden);
        QCOMPARE(nemo->toggles, ours ? 2 : 0);
        QCOMPARE(xfconf->toggles, ours ? 0 : 2);
    }

    // xfconfd and xfdesktop answer on a bus that another session of the user's
    // may share: the xfconf switch counts only with an xfdesktop of this session.
    void xfdesktopOfThisSession()
    {
        QVERIFY2(!m_env->startSessionBus().isEmpty(), "dbus-daemon is needed (scripts/setup.sh installs it)");
        for (const QString &name : {Xfconf::service, u"org.xfce.xfdesktop"_s})
            QVERIFY(QDBusConnection::sessionBus().registerService(name));
        for (const auto &[theirs, ours] :
             {std::pair{"DISPLAY=:5", true}, {"DISPLAY=:0;XDG_SESSION_ID=c7", false}}) {
            const auto processes = [theirs](const QSet<QString> &) {
                return QList<SessionProcesses::Process>{{u"xfdesktop"_s, environment(theirs)}};
            };
            QCOMPARE(FreedesktopIconSwitch::forThisSession(processes, mine)->found(), ours);
        }
    }

    void desktopThatEndsWhenHidden_data()
    {
        QTest::addColumn<bool>("endsWhenHidden");
        QTest::addColumn<bool>("killedRunHidThem");
        QTest::addColumn<int>("restarts");
        QTest::newRow("ends: started again once shown") << true << false << 1;
        QTest::newRow("keeps running: left alone") << false << false << 0;
        QTest::newRow("gone after a killed run: taken over, started again") << true << true << 1;
    }

    // Caja ends when its icons are hidden: while they are hidden by us it still
    // counts as this session's desktop, and it is started again once they are shown.
    void desktopThatEndsWhenHidden()
    {
        QFETCH(bool, endsWhenHidden);
        QFETCH(bool, killedRunHidThem);
        auto caja = std::make_shared<State>();
        caja->hidden = killedRunHidThem;
        Settings::instance()->setValue(SettingsKeys::shellIconsHiddenByUs, killedRunHidThem);
        auto running = std::make_shared<bool>(!killedRunHidThem);
        int started = 0;
        std::vector<FreedesktopIconSwitch::Desktop> desktops;
        const auto start = [running, &started] {
            *running = ++started;
        };
        desktops.push_back(
            {std::make_unique<FakeIconSwitch>(caja), u"caja"_s, {}, [caja] { return caja->hidden; }, start});
        const auto processes = [running](const QSet<QString> &) {
            return *running ? QList<SessionProcesses::Process>{{QStringLiteral("caja"), mine}}
                            : QList<SessionProcesses::Process>();
        };
        ShellDesktop shell(std::make_unique<FreedesktopIconSwitch>(std::move(desktops), processes, mine));
        shell.hideIcons();
        QVERIFY(shell.isHidden() && caja->hidden);
        *running = *running && !endsWhenHidden;
        QCOMPARE(started, 0);
        shell.restoreIcons();
        QVERIFY(!caja->hidden);
        QTEST(started, "restarts");
    }

    // pcmanfm-qt's settings file is the user's: hiding sets one line, giving
    // back restores exactly what was there (also no line at all), and every
    // other byte stays as it was.
    void pcmanfmSettingsEdit_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("hidden");
        const auto row = [](const char *tag, const QByteArray &before, const QByteArray &hidden) {
            QTest::newRow(tag) << before << hidden;
        };
        const QByteArray other = "[System]\nTerminal=xterm\n\n";
        row("no file", {}, "[Desktop]\nHideItems=true\n");
        row("key present", other + "[Desktop]\nBgColor=#000\nHideItems=false\nFont=x\n",
            other + "[Desktop]\nBgColor=#000\nHideItems=true\nFont=x\n");
        row("key absent, group followed by another", "[Desktop]\nBgColor=#000\n\n[Window]\nHideItems=false\n",
            "[Desktop]\nBgColor=#000\nHideItems=true\n\n[Window]\nHideItems=false\n");
        row("no such group", other.chopped(1), other + "[Desktop]\nHideItems=true\n");
        row("comments and spacing kept", "; mine\n[Desktop]\n# HideItems=false\n  HideItems = false  \n",
            "; mine\n[Desktop]\n# HideItems=false\nHideItems=true\n");
        row("CRLF", "[Desktop]\r\nBgColor=#000\r\n", "[Desktop]\r\nBgColor=#000\r\nHideItems=true\r\n");
        row("last line without end", "[Desktop]\nHideItems=false", "[Desktop]\nHideItems=true");
    }

    void pcmanfmSettingsEdit()
    {
        QFETCH(QByteArray, before);
        const std::optional<QByteArray> previous = PcmanfmSettings::hideItems(before);
        QVERIFY(!PcmanfmSettings::hides(previous));
        const QByteArray written = PcmanfmSettings::withHideItems(before, QByteArrayLiteral("true"));
        QTEST(written, "hidden");
        QVERIFY(PcmanfmSettings::hides(PcmanfmSettings::hideItems(written)));
        const QByteArray back = PcmanfmSettings::withHideItems(written, previous);
        QCOMPARE(PcmanfmSettings::hideItems(back), previous);
        // Given back byte for byte, unless the user's own line was spaced out
        // (the group added for the key stays, empty).
        if (before.contains("[Desktop]") && !before.contains("  HideItems"))
            QCOMPARE(back, before);
    }

    // The file of the profile the running desktop was started with, under the
    // configuration folder pcmanfm-qt itself uses (HOME's for root).
    void pcmanfmSettingsPath_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("root");
        QTest::addColumn<QString>("path");
        const auto row = [](const char *tag, const QString &arguments, bool root, const QString &path) {
            QTest::newRow(tag) << arguments.split(u' ') << root << path;
        };
        row("--profile=", "pcmanfm-qt --desktop --profile=lxqt", false, "/x/pcmanfm-qt/lxqt/settings.conf");
        row("-p NAME", "pcmanfm-qt -p lxqt --desktop", false, "/x/pcmanfm-qt/lxqt/settings.conf");
        row("no profile", "pcmanfm-qt --desktop", false, "/x/pcmanfm-qt/default/settings.conf");
        row("root", "pcmanfm-qt --desktop", true, "/h/.config/pcmanfm-qt/default/settings.conf");
    }

    void pcmanfmSettingsPath()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, root);
        const QHash<QString, QString> environment{{u"HOME"_s, u"/h"_s}, {u"XDG_CONFIG_HOME"_s, u"/x"_s}};
        QTEST(PcmanfmSettings::filePath(arguments, environment, root), "path");
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
