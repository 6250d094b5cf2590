#include "TestEnvironment.h"
#include "shell/CompositorWatch.h"
#include "shell/freedesktop/FreedesktopCompositorWatch.h"

#include <QtTest>

// How long a test waits for an X server or a compositing manager to act.
constexpr int signalTimeoutMs = 5000;

class TestCompositorWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsCompositingManager()
    {
        // Inactive without X11 at all: see test_desktoplayer's withoutWindowManager.
        const QString xcompmgr = QStandardPaths::findExecutable("xcompmgr");
        QProcess server;
        auto stopServer = qScopeGuard([&server] {
            server.kill();
            server.waitForFinished();
        });
        const QByteArray display = TestEnvironment::startXvfb(server);
        QVERIFY2(!display.isEmpty() && !xcompmgr.isEmpty(),
                 "Xvfb and xcompmgr are needed (scripts/setup.sh installs them)");

        FreedesktopCompositorWatch watch(display);
        QVERIFY(!watch.isActive());
        QSignalSpy changed(&watch, &CompositorWatch::changed);

        qputenv("DISPLAY", display); // the compositing manager's
        QProcess compositor;
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
