#pragma once

#include "shell/FileTransfer.h"

#include <atomic>
#include <memory>

class QThread;

// A transfer on a thread of its own with the Win32 file functions, reporting
// to the thread that made it through its event loop.
class WindowsFileTransfer : public FileTransfer
{
    Q_OBJECT

public:
    explicit WindowsFileTransfer(QObject *parent = nullptr);
    // Cancels a transfer still running and waits for it to have undone its file in hand.
    ~WindowsFileTransfer() override;

    void start(const QStringList &sources, const QString &targetFolder, Mode mode) override;
    void cancel() override;

private:
    std::atomic<bool> m_cancelled{false};
    std::unique_ptr<QThread> m_worker;
};
