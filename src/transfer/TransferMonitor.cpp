#include "TransferMonitor.h"

#include "base/l10n/L10n.h"
#include "transfer/TransferWindow.h"

#include <QPointer>
#include <QTimer>

namespace {

const char notTransferredTitle[] = QT_TRANSLATE_NOOP("Brimvale", "Files left where they were");

} // namespace

TransferMonitor::~TransferMonitor() = default;

void TransferMonitor::follow(FileTransfer *transfer, int fileCount, FileTransfer::Mode mode)
{
    // The window is made at once but shown only if the transfer is still going
    // after the delay; it goes with the transfer, whichever ends first.
    auto *window = new TransferWindow(mode, fileCount);
    connect(transfer, &QObject::destroyed, window, &QObject::deleteLater);
    connect(transfer, &FileTransfer::progressed, window, &TransferWindow::setProgress);
    connect(window, &TransferWindow::cancelRequested, transfer, &FileTransfer::cancel);
    QTimer::singleShot(showDelayMs, window, &QWidget::show);
    connect(
        transfer, &FileTransfer::finished, this,
        [this, window = QPointer<TransferWindow>(window)](const QStringList &, const QStringList &failures) {
            delete window.data();
            if (!failures.isEmpty())
                Q_EMIT noticeRequested(L10n::text(notTransferredTitle), failures.join(QLatin1Char('\n')));
        });
}
