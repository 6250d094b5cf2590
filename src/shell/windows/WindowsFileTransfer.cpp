#include "WindowsFileTransfer.h"

#include "shell/windows/WindowsTransferJob.h"

#include <QThread>

WindowsFileTransfer::WindowsFileTransfer(QObject *parent)
    : FileTransfer(parent)
{}

WindowsFileTransfer::~WindowsFileTransfer()
{
    cancel();
    if (m_worker)
        m_worker->wait();
}

void WindowsFileTransfer::start(const QStringList &sources, const QString &targetFolder, Mode mode)
{
    Q_ASSERT(!m_worker);
    // The worker posts to this object, which outlives it: the destructor waits
    // for it, and what it posted is dropped with the object.
    // A thread of Qt's own: Qt keeps state per thread, which on a thread it
    // did not make crashed under Wine.
    m_worker.reset(QThread::create([this, sources, targetFolder, mode] {
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
    }));
    m_worker->start();
}

void WindowsFileTransfer::cancel()
{
    m_cancelled = true;
}
