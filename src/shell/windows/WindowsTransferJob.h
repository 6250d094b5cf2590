#pragma once

#include "shell/FileTransfer.h"

#include <QElapsedTimer>

#include <atomic>
#include <functional>
#include <windows.h>

// The work of one transfer, run start to end on a worker thread: each source
// is renamed into the folder where one volume holds both, or else copied into
// a hidden folder there and renamed into its free name once complete,
// so that no name in the folder ever shows a half copy. A move removes the
// original only after that. Nothing is ever written over an existing name.
class WindowsTransferJob
{
public:
    struct Result
    {
        QStringList targets;
        QStringList failures;
        bool cancelled = false;
    };
    using Progress = std::function<void(qint64 doneBytes, qint64 totalBytes, int doneFiles, int totalFiles)>;

    // progress is called on the worker thread, at most every few tenths of a second.
    WindowsTransferJob(const std::atomic<bool> &cancelled, Progress progress);

    Result run(const QStringList &sources, const QString &targetFolder, FileTransfer::Mode mode);

    // Progress with currentBytes of the file in hand copied; now reports even
    // when the last report was just made.
    void report(qint64 currentBytes, bool now);
    bool cancelled() const { return m_cancelled.load(); }

private:
    // One source (in the system's form); returns its target path, empty when
    // it failed or was cancelled.
    QString transfer(const QString &source, const QString &folder, FileTransfer::Mode mode);
    QString copyThenPlace(const QString &source, DWORD attributes, const QString &folder, const QString &name,
                          bool move);
    bool copyEntry(const QString &source, const QString &target, DWORD attributes);
    bool failed(DWORD error);

    const std::atomic<bool> &m_cancelled;
    Progress m_progress;
    QElapsedTimer m_sinceReport;
    qint64 m_doneBytes = 0;
    qint64 m_totalBytes = 0;
    int m_doneFiles = 0;
    int m_totalFiles = 0;
    // Why the source in hand failed; empty while it has not.
    QString m_error;
};
