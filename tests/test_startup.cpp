#include "TestEnvironment.h"

#include <QProcess>
#include <QtTest>

#include <csignal>

// Runs the real program: identity, command line, single instance, and the
// orderly exit on termination signals.
class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void versionAndHelp();
    void badOptionIsReported();
    void languageFromEnvironmentAndSettings_data();
    void languageFromEnvironmentAndSettings();
    void secondInstanceExitsAtOnce();
    void killedInstanceDoesNotBlock();
    void signalsEndOrderly_data();
    void signalsEndOrderly();

private:
    void start(QProcess &process, const QStringList &arguments = {}) const;
    bool isRunningAfter(QProcess &process, int ms) const;

    std::unique_ptr<TestEnvironment> m_env;
    QProcessEnvironment m_processEnv;
};

void TestStartup::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_processEnv = QProcessEnvironment::systemEnvironment();
    m_processEnv.insert(QStringLiteral("HOME"), m_env->home());
    m_processEnv.insert(QStringLiteral("XDG_CONFIG_HOME"), m_env->home() + QLatin1String("/.config"));
    m_processEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_env->home() + QLatin1String("/run"));
    m_processEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_processEnv.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    m_processEnv.remove(QStringLiteral("WAYLAND_DISPLAY"));
}

void TestStartup::cleanup()
{
    m_env.reset();
}

void TestStartup::start(QProcess &process, const QStringList &arguments) const
{
    process.setProcessEnvironment(m_processEnv);
    process.start(QStringLiteral(LARKSPAN_BINARY),
                  QStringList{QStringLiteral("--keep-icons"), QStringLiteral("--no-tray")} + arguments);
    QVERIFY(process.waitForStarted());
}

bool TestStartup::isRunningAfter(QProcess &process, int ms) const
{
    return !process.waitForFinished(ms) && process.state() == QProcess::Running;
}

void TestStartup::versionAndHelp()
{
    QProcess first;
    start(first);
    QVERIFY(isRunningAfter(first, 500));

    // Help and version print and end even while an instance runs.
    QProcess version;
    start(version, {QStringLiteral("--version")});
    QVERIFY(version.waitForFinished(10000));
    QCOMPARE(version.exitCode(), 0);
    QCOMPARE(version.readAllStandardOutput().trimmed(), QByteArray("brim-vale 1.1.0"));

    QProcess help;
    start(help, {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(10000));
    QCOMPARE(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    for (const char *line : {"--alpha <percent>", "--icon-size <pixels>", "--single", "--keep-icons",
                             "--topmost", "--opaque", "--no-tray", "Pin above every window."})
        QVERIFY2(text.contains(line), line);

    first.terminate();
    QVERIFY(first.waitForFinished(10000));
}

void TestStartup::badOptionIsReported()
{
    QProcess bad;
    start(bad, {QStringLiteral("--no-such-option")});
    QVERIFY(bad.waitForFinished(10000));
    QVERIFY(bad.exitCode() != 0);
    QVERIFY(bad.readAllStandardError().contains("no-such-option"));
}

void TestStartup::languageFromEnvironmentAndSettings_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QByteArray>("usage");
    QTest::newRow("LANGUAGE") << "de" << QString() << QByteArray("Aufruf:");
    QTest::newRow("stored system follows LANGUAGE") << "fr"
                                                    << "system" << QByteArray("Utilisation");
    QTest::newRow("stored choice wins") << "de"
                                        << "ja" << QByteArray("\xe4\xbd\xbf\xe3\x81\x84\xe6\x96\xb9:");
    QTest::newRow("unsupported stays English") << "tlh" << QString() << QByteArray("Usage:");
}

void TestStartup::languageFromEnvironmentAndSettings()
{
    QFETCH(QString, language);
    QFETCH(QString, stored);
    QFETCH(QByteArray, usage);
    if (!stored.isEmpty())
        m_env->writeFile(".config/brim-vale/brim-vale.conf", "[ui]\nlanguage=" + stored.toUtf8() + "\n");
    m_processEnv.insert("LANGUAGE", language);
    m_processEnv.insert("LANG", "C.UTF-8");
    m_processEnv.remove("LC_ALL");
    QProcess help;
    start(help, {"--help"});
    QVERIFY(help.waitForFinished(10000));
    QVERIFY2(help.readAllStandardOutput().startsWith(usage), usage.constData());
}

void TestStartup::secondInstanceExitsAtOnce()
{
    QProcess first;
    start(first);
    QVERIFY(isRunningAfter(first, 500));

    QProcess second;
    start(second);
    QVERIFY(second.waitForFinished(5000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardOutput().isEmpty());
    QVERIFY(first.state() == QProcess::Running);

    first.terminate();
    QVERIFY(first.waitForFinished(10000));
}

void TestStartup::killedInstanceDoesNotBlock()
{
    QProcess first;
    start(first);
    QVERIFY(isRunningAfter(first, 500));
    first.kill(); // SIGKILL: no chance to release the key
    QVERIFY(first.waitForFinished(5000));

    QProcess next;
    start(next);
    QVERIFY2(isRunningAfter(next, 1000), "a start after a killed instance must not be refused");

    QProcess second;
    start(second);
    QVERIFY(second.waitForFinished(5000));
    QCOMPARE(second.exitCode(), 0);

    next.terminate();
    QVERIFY(next.waitForFinished(10000));
}

void TestStartup::signalsEndOrderly_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestStartup::signalsEndOrderly()
{
    QFETCH(int, signalNumber);
    QProcess process;
    start(process);
    QVERIFY(isRunningAfter(process, 500));
    QCOMPARE(::kill(pid_t(process.processId()), signalNumber), 0);
    QVERIFY(process.waitForFinished(10000));
    // An orderly exit returns from the event loop: a normal exit with 0, not death by signal.
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);

    // And the key is free again at once.
    QProcess next;
    start(next);
    QVERIFY(isRunningAfter(next, 500));
    next.terminate();
    QVERIFY(next.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
