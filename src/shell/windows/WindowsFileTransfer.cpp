#include "WindowsFileTransfer.h"

#include "shell/windows/WindowsTransferJob.h"

WindowsFileTransfer::~WindowsFileTransfer()
{
    cancel();
    if (m_worker.joinable())
        m_worker.join();
}

void WindowsFileTransfer::start(const QStringList &sources, const QString &targetFolder, Mode mode)
{
    Q_ASSERT(!m_worker.joinable());
    // The worker posts to this object, which outlives it: the destructor waits
    // for it, and what it posted is dropped with the object.
    m_worker = std::thread([this, sources, targetFolder, mode] {
        WindowsTransferJob job(
            m_cancelled, [this](qint64 doneBytes, qint64 totalBytes, int doneFiles, int totalFiles) {
                QMetaObject::invokeMethod(
                    this, [=, this] { Q_EMIT progressed(doneBytes, totalBytes, doneFiles, totalFiles); },
                    Qt::QueuedConnection);
            });
        const WindowsTransferJob::Result result = job.run(sources, targetFolder, mode);
        QMetaObject::invokeMethod(
            this, [this, result] { Q_EMIT finished(result.targets, result.failures, result.cancelled); },
            Qt::QueuedConnection);
    });
}

void WindowsFileTransfer::cancel()
{
    m_cancelled = true;
}
