#include "FreedesktopFileTransfer.h"

#include "base/l10n/L10nText.h"
#include "shell/freedesktop/GioLibrary.h"
#include "shell/freedesktop/TransferJob.h"

#include <QFileInfo>
#include <QPointer>

namespace {

const char noGioText[] = QT_TRANSLATE_NOOP("Brimvale", "GIO, which copies files, is not installed");

} // namespace

FreedesktopFileTransfer::~FreedesktopFileTransfer()
{
    cancel();
    if (m_worker.joinable())
        m_worker.join();
    if (m_cancellable)
        GioLibrary::get()->objectUnref(m_cancellable);
}

void FreedesktopFileTransfer::start(const QStringList &sources, const QString &targetFolder, Mode mode)
{
    Q_ASSERT(!m_worker.joinable());
    const GioLibrary *gio = GioLibrary::get();
    if (!gio) {
        QStringList failures;
        for (const QString &source : sources)
            failures.append(
                QStringLiteral("%1: %2").arg(QFileInfo(source).fileName(), L10n::text(noGioText)));
        // Reported later all the same, as the callers connect after start.
        QMetaObject::invokeMethod(
            this,
            [this, count = sources.size(), failures] {
                Q_EMIT finished(QStringList(count, QString()), failures, false);
            },
            Qt::QueuedConnection);
        return;
    }
    m_cancellable = gio->cancellableNew();
    // The worker posts to this object, which outlives it: the destructor waits
    // for it, and what it posted is dropped with the object.
    m_worker = std::thread([this, gio, sources, targetFolder, mode] {
        TransferJob job(
            *gio, m_cancellable, [this](qint64 doneBytes, qint64 totalBytes, int doneFiles, int totalFiles) {
                QMetaObject::invokeMethod(
                    this, [=, this] { Q_EMIT progressed(doneBytes, totalBytes, doneFiles, totalFiles); },
                    Qt::QueuedConnection);
            });
        const TransferJob::Result result = job.run(sources, targetFolder, mode);
        QMetaObject::invokeMethod(
            this, [this, result] { Q_EMIT finished(result.targets, result.failures, result.cancelled); },
            Qt::QueuedConnection);
    });
}

void FreedesktopFileTransfer::cancel()
{
    if (m_cancellable)
        GioLibrary::get()->cancellableCancel(m_cancellable);
}
