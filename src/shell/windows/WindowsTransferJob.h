#pragma once

#include "shell/TransferRun.h"

#include <atomic>
#include <windows.h>

// The work of one transfer, run start to end on a worker thread: each source
// is renamed into the folder where one volume holds both, or else copied into
// a hidden folder there and renamed into its free name once complete,
// so that no name in the folder ever shows a half copy. A move removes the
// original only after that. Nothing is ever written over an existing name.
class WindowsTransferJob : public TransferRun
{
public:
    WindowsTransferJob(const std::atomic<bool> &cancelled, Progress progress);

    // Asked by the system's copy routine between chunks, as well.
    bool cancelled() const override;

protected:
    QString prepareFolder(const QString &folder) override;
    qint64 sizeOf(const QString &source) const override;
    // One source; returns its target path, empty when it failed or was cancelled.
    QString transfer(const QString &source, FileTransfer::Mode mode) override;

private:
    QString copyThenPlace(const QString &source, DWORD attributes, const QString &folder, const QString &name,
                          bool move);
    bool copyEntry(const QString &source, const QString &target, DWORD attributes);
    bool failed(DWORD error);

    const std::atomic<bool> &m_cancelled;
    QString m_folder; // in the system's long form
};
