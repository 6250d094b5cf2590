#include "TestEnvironment.h"
#include "app/SingleInstanceGuard.h"
#include "fakes/StuckFifo.h"
#include "shell/InstanceLock.h"
#include "shell/Platform.h"

#include <QLocalSocket>
#include <QtTest>

#include <csignal>
#include <optional>

// Runs the real program in the test's own home, runtime folder and private
// session bus, so nothing else running on the machine changes the outcome.
class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        QVERIFY2(!m_env->startSessionBus().isEmpty(), "dbus-daemon is needed (scripts/setup.sh installs it)");
        m_processEnv = QProcessEnvironment::systemEnvironment(); // HOME, TMPDIR, XDG_*, the bus
        m_processEnv.insert("QT_QPA_PLATFORM", "offscreen");
        m_processEnv.insert("LANG", "C.UTF-8");
        m_processEnv.insert("DISPLAY", ":1");
        m_processEnv.remove("LC_ALL");
        m_processEnv.remove("WAYLAND_DISPLAY");
    }

    void cleanup()
    {
        for (auto &process : m_processes) {
            process->terminate();
            if (!process->waitForFinished(10000))
                process->kill();
        }
        m_processes.clear();
        m_env.reset();
    }

    void commandLineWhileRunning_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("language"); // LANGUAGE
        QTest::addColumn<QString>("stored");   // the language setting
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("output");
        auto row = [](const char *tag, const QString &option, const QString &language, const QString &stored,
                      bool ok, const QByteArray &output) {
            QTest::newRow(tag) << option << language << stored << ok << output;
        };
        row("version", "--version", "", "", true, "brim-vale 1.1.0");
        row("bad option", "--no-such-option", "", "", false, "no-such-option");
        // The program's own texts, and Qt's.
        row("stored system follows LANGUAGE", "--help", "de", "system", true, "R\xc3\xa4umt den Desktop auf");
        row("stored choice wins", "--help", "de", "ja", true, "\xe4\xbd\xbf\xe3\x81\x84\xe6\x96\xb9:");
    }

    void commandLineWhileRunning()
    {
        QFETCH(QString, option);
        QFETCH(QString, language);
        QFETCH(QString, stored);
        QFETCH(QByteArray, output);
        // Stored before the first start: a running instance may write its settings back.
        if (!stored.isEmpty())
            m_env->writeFile(".config/brim-vale/brim-vale.conf", "[ui]\nlanguage=" + stored.toUtf8() + "\n");
        // Help, version and bad options are answered even while an instance runs.
        QVERIFY(isRunningAfter(start(), 500));
        m_processEnv.insert("LANGUAGE", language);
        QProcess &process = start({option});
        QVERIFY(process.waitForFinished(10000));
        QTEST(process.exitCode() == 0, "ok");
        const QByteArray printed = process.readAllStandardOutput() + process.readAllStandardError();
        QVERIFY2(printed.contains(output), printed.constData());
    }

    void secondStart_data()
    {
        QTest::addColumn<int>("signalNumber");   // sent to the first instance first; 0: none
        QTest::addColumn<QString>("runtimeDir"); // of the second start, relative to the home
        QTest::addColumn<QString>("display");    // of the second start
        QTest::addColumn<bool>("secondRuns");
        auto row = [](const char *tag, int signalNumber, const QString &runtimeDir, const QString &display,
                      bool secondRuns) {
            QTest::newRow(tag) << signalNumber << runtimeDir << display << secondRuns;
        };
        row("same user and display", 0, "run", ":1", false);
        row("same display, screen 1", 0, "run", ":1.1", false);
        row("another user", 0, "other-user-run", ":1", true);
        row("another display", 0, "run", ":2", true);
        // Something that is not a lock file sits at the lock's path: never waited on.
        row("fifo at the lock path", 0, "fifo-run", ":3", true);
        row("after SIGTERM", SIGTERM, "run", ":1", true);
        row("after SIGINT", SIGINT, "run", ":1", true);
        row("after SIGHUP", SIGHUP, "run", ":1", true);
        row("after SIGKILL", SIGKILL, "run", ":1", true); // no chance to let go of anything
    }

    void secondStart()
    {
        QFETCH(int, signalNumber);
        QFETCH(QString, runtimeDir);
        QFETCH(QString, display);
        QFETCH(bool, secondRuns);
        QProcess &first = start();
        QVERIFY(isRunningAfter(first, 500));
        // A signal before the program guards its display would meet no handler
        // yet; a slow start (a sanitizer build under load) must not look like a
        // disorderly exit.
        const QDir runtime(m_processEnv.value("XDG_RUNTIME_DIR"));
        QTRY_VERIFY_WITH_TIMEOUT(!runtime.entryList({"*.socket"}, QDir::System).isEmpty(), 20000);
        if (signalNumber != 0) {
            QCOMPARE(::kill(pid_t(first.processId()), signalNumber), 0);
            QVERIFY(first.waitForFinished(10000));
            // An orderly exit returns from the event loop: a normal exit with 0, not death by signal.
            QCOMPARE(first.exitStatus() == QProcess::NormalExit && first.exitCode() == 0,
                     signalNumber != SIGKILL);
        }

        QProcessEnvironment other = m_processEnv;
        const QString folder = m_env->home() + "/" + runtimeDir;
        QDir().mkpath(folder);
        other.insert("XDG_RUNTIME_DIR", folder);
        other.insert("DISPLAY", display);
        std::optional<StuckFifo> fifo;
        if (runtimeDir == "fifo-run")
            QVERIFY(fifo.emplace(folder + "/BrimvaleQtSingleton-" + display + ".lock").made());
        QProcess &second = start({}, other);
        if (secondRuns)
            QVERIFY(isRunningAfter(second, 1500));
        else
            QVERIFY(isRefused(second));
        // Without a lock of its own it guards nothing, so it listens for no later start.
        if (runtimeDir == "fifo-run")
            QCOMPARE(QDir(folder).entryList({"*.socket"}, QDir::System), QStringList());
        if (signalNumber == 0)
            QCOMPARE(first.state(), QProcess::Running);
        else // the one that followed a dead instance guards the display again
            QVERIFY(isRefused(start()));
    }

    // A FIFO where a file is read before the window is up: the start goes on
    // without waiting for a writer, and says what it left out.
    void fifoAtStart_data()
    {
        QTest::addColumn<QString>("path"); // relative to the home
        QTest::newRow("settings") << ".config/brim-vale/brim-vale.conf";
        QTest::newRow("user folders") << ".config/user-dirs.dirs";
    }

    void fifoAtStart()
    {
        QFETCH(QString, path);
        const QByteArray message =
            QFile::encodeName(QFileInfo(path).fileName()) + ": it is not a regular file";
        QVERIFY(QDir().mkpath(m_env->home() + "/.config/brim-vale"));
        const StuckFifo fifo(m_env->home() + "/" + path);
        QVERIFY(fifo.made());
        QProcess &process = start();
        QByteArray said;
        QTRY_VERIFY2_WITH_TIMEOUT((said += process.readAllStandardError()).contains(message),
                                  said.constData(), 20000);
        // Longer than the FIFO's patience: a reader stuck on it would be released and seen.
        QVERIFY(isRunningAfter(process, 4000));
        QVERIFY(!fifo.blockedReader());
    }

    void secondGuardAsksTheFirstToShow_data()
    {
        QTest::addColumn<bool>("leftover"); // something at the socket's path, as a killed instance leaves
        QTest::newRow("running instance") << false;
        QTest::newRow("leftover at the socket path") << true;
    }

    void secondGuardAsksTheFirstToShow()
    {
        const QString key = QStringLiteral("BrimvaleQtSingleton");
        SingleInstanceGuard first(Platform::createInstanceLock(key));
        SingleInstanceGuard second(Platform::createInstanceLock(key));
        QFETCH(bool, leftover);
        if (leftover)
            QVERIFY(!m_env->writeFile(first.socketPath(), "").isEmpty());
        QVERIFY(first.acquire());
        QSignalSpy shown(&first, &SingleInstanceGuard::showRequested);
        QVERIFY(!second.acquire());
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 10000);
        // Only a short request line is ever read: more without a line's end is cut off.
        QLocalSocket client;
        client.connectToServer(first.socketPath());
        QVERIFY(client.waitForConnected(5000));
        client.write(QByteArray(100, 'x'));
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, 10000);
    }

private:
    QProcess &start(const QStringList &arguments = {}, const QProcessEnvironment &environment = {})
    {
        auto &process = m_processes.emplace_back(std::make_unique<QProcess>());
        process->setProcessEnvironment(environment.isEmpty() ? m_processEnv : environment);
        process->start(LARKSPAN_BINARY, QStringList{"--keep-icons", "--no-tray"} + arguments);
        process->waitForStarted();
        return *process;
    }
    static bool isRunningAfter(QProcess &process, int ms)
    {
        return !process.waitForFinished(ms) && process.state() == QProcess::Running;
    }
    // A second start that is refused: it ends at once with 0 and says nothing.
    static bool isRefused(QProcess &process)
    {
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0 && process.readAllStandardOutput().isEmpty();
    }

    std::unique_ptr<TestEnvironment> m_env;
    QProcessEnvironment m_processEnv;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
