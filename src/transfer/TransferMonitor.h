#pragma once

#include "shell/FileTransfer.h"

#include <QObject>

// Follows the transfers of dropped files for the user: a transfer that lasts
// shows a small window with its progress and a Cancel button, and one whose
// files did not all make it is told in one notice naming them.
class TransferMonitor : public QObject
{
    Q_OBJECT

public:
    // A transfer done within this shows no window at all.
    static constexpr int showDelayMs = 500;

    using QObject::QObject;
    ~TransferMonitor() override;

    // Call right after transfer->start(); fileCount is the number of sources.
    // The window goes when the transfer finishes or is deleted.
    void follow(FileTransfer *transfer, int fileCount, FileTransfer::Mode mode);

Q_SIGNALS:
    // For the owner to show, as the program shows its notices.
    void noticeRequested(const QString &title, const QString &text);
};
