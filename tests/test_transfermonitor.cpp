#include "TestEnvironment.h"
#include "fakes/FakeFileTransfer.h"
#include "transfer/TransferMonitor.h"
#include "transfer/TransferWindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using Mode = FileTransfer::Mode;

class TestTransferMonitor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A transfer of three files, half a file done of the first two: its window and notice.
    void follow_data()
    {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<bool>("quick"); // finished before the window's delay
        QTest::addColumn<QStringList>("failures");
        QTest::addColumn<QString>("text"); // the window's; empty: never shown
        QTest::newRow("quick shows nothing") << Mode::Copy << true << QStringList() << "";
        QTest::newRow("quick failure is told") << Mode::Copy << true << QStringList{"a.txt: Gone"} << "";
        QTest::newRow("lasting copy") << Mode::Automatic << false << QStringList() << "Copying file 2 of 3";
        QTest::newRow("lasting move fails")
            << Mode::Move << false << QStringList{"photo.jpg: Denied", "b: Busy"} << "Moving file 2 of 3";
    }

    void follow()
    {
        QFETCH(Mode, mode);
        QFETCH(bool, quick);
        QFETCH(QStringList, failures);
        FakeFileTransfer transfer;
        TransferMonitor monitor;
        QSignalSpy notices(&monitor, &TransferMonitor::noticeRequested);
        monitor.follow(&transfer, 3, mode);
        Q_EMIT transfer.progressed(50, 200, 1, 3);
        QVERIFY(!shownWindow());
        if (quick) {
            transfer.finish({}, failures);
            QTest::qWait(TransferMonitor::showDelayMs * 2);
            QVERIFY(!shownWindow());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(shownWindow(), TransferMonitor::showDelayMs * 20);
            const QPointer<TransferWindow> window = shownWindow();
            QTEST(window->findChild<QLabel *>()->text(), "text");
            QCOMPARE(window->findChild<QProgressBar *>()->value(), TransferWindow::barSteps / 4);
            window->findChild<QPushButton *>()->click();
            QVERIFY(transfer.m_cancelled);
            transfer.finish({}, failures, failures.isEmpty());
            QVERIFY(!window);
        }
        QCOMPARE(notices.size(), failures.isEmpty() ? 0 : 1);
        for (const QString &failure : failures)
            QVERIFY(notices.first().at(1).toString().contains(failure));
    }

private:
    static TransferWindow *shownWindow()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<TransferWindow *>(widget); window && window->isVisible())
                return window;
        }
        return nullptr;
    }

    TestEnvironment m_env;
};

QTEST_MAIN(TestTransferMonitor)
#include "test_transfermonitor.moc"
