#pragma once

#include "shell/TransferRun.h"

#include <sys/stat.h>

struct GioLibrary;
typedef struct _GCancellable GCancellable;

// The work of one transfer, run start to end on a worker thread: each source is
// renamed into the folder where one file system holds both, or else copied into
// a hidden temporary name there and renamed into its free name once complete,
// so that no name in the folder ever shows a half copy. A move removes the
// original only after that.
class TransferJob : public TransferRun
{
public:
    TransferJob(const GioLibrary &gio, GCancellable *cancellable, Progress progress);

protected:
    QString prepareFolder(const QString &folder) override;
    qint64 sizeOf(const QString &source) const override;
    QString transfer(const QString &source, FileTransfer::Mode mode) override;
    bool cancelled() const override;

private:
    QString copyThenPlace(const QByteArray &source, const struct stat &info, const QString &folder,
                          const QString &name, bool move);
    bool copyEntry(const QByteArray &source, const QByteArray &target, const struct stat &info, bool move);
    qint64 measure(const QByteArray &path, const struct stat &info, bool *removable) const;
    bool failed(int error);

    const GioLibrary &m_gio;
    GCancellable *m_cancellable;
    QString m_folder;
    QString m_canonicalFolder;
    dev_t m_device = 0;
};
