#pragma once

#include "shell/FileTransfer.h"

#include <thread>

typedef struct _GCancellable GCancellable;

// A transfer through GIO on a thread of its own, reporting to the thread that
// made it through its event loop.
class FreedesktopFileTransfer : public FileTransfer
{
    Q_OBJECT

public:
    using FileTransfer::FileTransfer;
    // Cancels a transfer still running and waits for it to have undone its file in hand.
    ~FreedesktopFileTransfer() override;

    void start(const QStringList &sources, const QString &targetFolder, Mode mode) override;
    void cancel() override;

private:
    GCancellable *m_cancellable = nullptr;
    std::thread m_worker;
};
