#pragma once

#include "shell/FileTransfer.h"

#include <QElapsedTimer>
#include <QStringList>

#include <functional>

// The course of one transfer, the same on every platform, run start to end on a
// worker thread: the sources in order, each one's outcome, progress no more
// often than the rules allow, and a stop at the first cancelled source. How one
// source is moved or copied is the platform's job.
class TransferRun
{
public:
    struct Result
    {
        QStringList targets;  // per source: where it went, empty when it stayed
        QStringList failures; // "name: why" for each source left where it was
        bool cancelled = false;
    };
    using Progress = std::function<void(qint64 doneBytes, qint64 totalBytes, int doneFiles, int totalFiles)>;

    explicit TransferRun(Progress progress);
    virtual ~TransferRun() = default;

    Result run(const QStringList &sources, const QString &targetFolder, FileTransfer::Mode mode);

    // Progress with currentBytes of the file in hand copied; now reports even
    // when the last report was just made.
    void report(qint64 currentBytes, bool now);

protected:
    // Makes ready to transfer into folder; the reason it cannot take files, empty when it can.
    virtual QString prepareFolder(const QString &folder) = 0;
    // What source holds, in bytes, for the progress; 0 when it cannot be read.
    virtual qint64 sizeOf(const QString &source) const = 0;
    // One source into the prepared folder; returns its target path, empty when it
    // failed (m_error says why) or was cancelled.
    virtual QString transfer(const QString &source, FileTransfer::Mode mode) = 0;
    virtual bool cancelled() const = 0;

    qint64 m_doneBytes = 0;
    // Why the source in hand failed; empty while it has not.
    QString m_error;

private:
    Progress m_progress;
    QElapsedTimer m_sinceReport;
    qint64 m_totalBytes = 0;
    int m_doneFiles = 0;
    int m_totalFiles = 0;
};
