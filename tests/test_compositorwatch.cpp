#include "TestEnvironment.h"
#include "shell/CompositorWatch.h"
#include "shell/Platform.h"
#include "shell/freedesktop/FreedesktopCompositorWatch.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {

// How long a test waits for an X server or a compositing manager to act.
constexpr int signalTimeoutMs = 5000;

} // namespace

class TestCompositorWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutX11_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::newRow("not on X11") << QByteArray();
        QTest::newRow("no such display") << QByteArray(":4711");
        QTest::newRow("malformed display") << QByteArray("::not a display::");
    }

    void withoutX11()
    {
        QFETCH(QByteArray, display);
        FreedesktopCompositorWatch watch(display);
        QVERIFY(!watch.isActive());
        // The offscreen platform the tests run on is not X11 either.
        std::unique_ptr<CompositorWatch> platform(Platform::createCompositorWatch(nullptr));
        QVERIFY(!platform->isActive());
    }

    void followsCompositingManager()
    {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        const QString xcompmgr = QStandardPaths::findExecutable("xcompmgr");
        QVERIFY2(!xvfb.isEmpty() && !xcompmgr.isEmpty(),
                 "Xvfb and xcompmgr are needed (scripts/setup.sh installs them)");
        QProcess server;
        // The server picks a free display and prints its number.
        server.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "320x240x24"});
        auto stopServer = qScopeGuard([&server] {
            server.kill();
            server.waitForFinished();
        });
        QVERIFY(server.waitForReadyRead(signalTimeoutMs));
        const QByteArray display = ':' + server.readLine().trimmed();
        QVERIFY(display.size() > 1);

        FreedesktopCompositorWatch watch(display);
        QVERIFY(!watch.isActive());
        QSignalSpy changed(&watch, &CompositorWatch::changed);

        QProcess compositor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", QString::fromLatin1(display));
        compositor.setProcessEnvironment(environment);
        for (int round = 0; round < 2; ++round) {
            compositor.start(xcompmgr, {});
            QVERIFY(changed.wait(signalTimeoutMs));
            QCOMPARE(changed.takeFirst(), QVariantList{true});
            QVERIFY(watch.isActive());

            compositor.terminate();
            QVERIFY(compositor.waitForFinished(signalTimeoutMs));
            QVERIFY(changed.count() > 0 || changed.wait(signalTimeoutMs));
            QCOMPARE(changed.takeFirst(), QVariantList{false});
            QVERIFY(!watch.isActive());
        }

        // The X server going away leaves it inactive, without a crash.
        compositor.start(xcompmgr, {});
        QVERIFY(changed.wait(signalTimeoutMs));
        server.kill();
        server.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(!watch.isActive(), signalTimeoutMs);
        compositor.waitForFinished(signalTimeoutMs);
    }
};

QTEST_MAIN(TestCompositorWatch)
#include "test_compositorwatch.moc"
