#include "TestEnvironment.h"

#include <QProcess>
#include <QtTest>

#include <csignal>

// Runs the real program: command line and language, single instance, and the
// orderly exit on termination signals.
class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void commandLineWhileRunning_data();
    void commandLineWhileRunning();
    void instanceEnds_data();
    void instanceEnds();

private:
    void start(QProcess &process, const QStringList &arguments = {}) const
    {
        process.setProcessEnvironment(m_processEnv);
        process.start(LARKSPAN_BINARY, QStringList{"--keep-icons", "--no-tray"} + arguments);
        QVERIFY(process.waitForStarted());
    }
    static bool isRunningAfter(QProcess &process, int ms)
    {
        return !process.waitForFinished(ms) && process.state() == QProcess::Running;
    }

    std::unique_ptr<TestEnvironment> m_env;
    QProcessEnvironment m_processEnv;
};

void TestStartup::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_processEnv = QProcessEnvironment::systemEnvironment();
    m_processEnv.insert("HOME", m_env->home());
    m_processEnv.insert("XDG_CONFIG_HOME", m_env->home() + "/.config");
    m_processEnv.insert("XDG_RUNTIME_DIR", m_env->home() + "/run");
    m_processEnv.insert("QT_QPA_PLATFORM", "offscreen");
    m_processEnv.insert("LANG", "C.UTF-8");
    m_processEnv.remove("LC_ALL");
    m_processEnv.remove("DBUS_SESSION_BUS_ADDRESS");
    m_processEnv.remove("WAYLAND_DISPLAY");
}

void TestStartup::cleanup()
{
    m_env.reset();
}

void TestStartup::commandLineWhileRunning_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("language"); // LANGUAGE
    QTest::addColumn<QString>("stored");   // the language setting
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("version") << "--version"
                             << ""
                             << "" << true << QByteArray("brim-vale 1.1.0");
    QTest::newRow("bad option") << "--no-such-option"
                                << ""
                                << "" << false << QByteArray("no-such-option");
    QTest::newRow("stored system follows LANGUAGE") << "--help"
                                                    << "fr"
                                                    << "system" << true << QByteArray("Utilisation");
    QTest::newRow("stored choice wins")
        << "--help"
        << "de"
        << "ja" << true << QByteArray("\xe4\xbd\xbf\xe3\x81\x84\xe6\x96\xb9:");
    QTest::newRow("unsupported stays English") << "--help"
                                               << "tlh"
                                               << "" << true << QByteArray("Usage:");
}

void TestStartup::commandLineWhileRunning()
{
    QFETCH(QString, option);
    QFETCH(QString, language);
    QFETCH(QString, stored);
    QFETCH(bool, ok);
    QFETCH(QByteArray, output);
    QProcess first;
    start(first);
    QVERIFY(isRunningAfter(first, 500));
    // Help, version and bad options are answered even while an instance runs.
    if (!stored.isEmpty())
        m_env->writeFile(".config/brim-vale/brim-vale.conf", "[ui]\nlanguage=" + stored.toUtf8() + "\n");
    m_processEnv.insert("LANGUAGE", language);
    QProcess process;
    start(process, {option});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode() == 0, ok);
    const QByteArray printed = process.readAllStandardOutput() + process.readAllStandardError();
    QVERIFY2(printed.contains(output), printed.constData());
    first.terminate();
    QVERIFY(first.waitForFinished(10000));
}

void TestStartup::instanceEnds_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("orderly");
    QTest::newRow("SIGTERM") << int(SIGTERM) << true;
    QTest::newRow("SIGINT") << int(SIGINT) << true;
    QTest::newRow("SIGHUP") << int(SIGHUP) << true;
    QTest::newRow("SIGKILL") << int(SIGKILL) << false; // no chance to release the key
}

void TestStartup::instanceEnds()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, orderly);
    QProcess first;
    start(first);
    QVERIFY(isRunningAfter(first, 500));
    QProcess second;
    start(second);
    QVERIFY(second.waitForFinished(5000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardOutput().isEmpty());
    QCOMPARE(first.state(), QProcess::Running);

    QCOMPARE(::kill(pid_t(first.processId()), signalNumber), 0);
    QVERIFY(first.waitForFinished(10000));
    // An orderly exit returns from the event loop: a normal exit with 0, not death by signal.
    QCOMPARE(first.exitStatus() == QProcess::NormalExit && first.exitCode() == 0, orderly);

    // Either way the next start is not refused, and it guards the key again.
    QProcess next;
    start(next);
    QVERIFY(isRunningAfter(next, 1000));
    QProcess another;
    start(another);
    QVERIFY(another.waitForFinished(5000));
    next.terminate();
    QVERIFY(next.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
