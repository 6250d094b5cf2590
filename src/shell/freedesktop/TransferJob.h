#pragma once

#include "shell/FileTransfer.h"

#include <QElapsedTimer>

#include <functional>
#include <sys/stat.h>

struct GioLibrary;
typedef struct _GCancellable GCancellable;

// The work of one transfer, run start to end on a worker thread: each source is
// renamed into the folder where one file system holds both, or else copied into
// a hidden temporary name there and renamed into its free name once complete,
// so that no name in the folder ever shows a half copy. A move removes the
// original only after that.
class TransferJob
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
    TransferJob(const GioLibrary &gio, GCancellable *cancellable, Progress progress);

    Result run(const QStringList &sources, const QString &targetFolder, FileTransfer::Mode mode);

    // Progress with currentBytes of the file in hand copied; now reports even
    // when the last report was just made.
    void report(qint64 currentBytes, bool now);

private:
    // One source; returns its target path, empty when it failed or was cancelled.
    QString transfer(const QString &source, const QString &folder, const QString &canonicalFolder,
                     dev_t device, FileTransfer::Mode mode);
    QString copyThenPlace(const QByteArray &source, const struct stat &info, const QString &folder,
                          const QString &name, bool move);
    bool copyEntry(const QByteArray &source, const QByteArray &target, const struct stat &info, bool move);
    qint64 measure(const QByteArray &path, const struct stat &info, bool *removable) const;
    bool failed(int error);
    bool cancelled() const;

    const GioLibrary &m_gio;
    GCancellable *m_cancellable;
    Progress m_progress;
    QElapsedTimer m_sinceReport;
    qint64 m_doneBytes = 0;
    qint64 m_totalBytes = 0;
    int m_doneFiles = 0;
    int m_totalFiles = 0;
    // Why the source in hand failed; empty while it has not.
    QString m_error;
};
