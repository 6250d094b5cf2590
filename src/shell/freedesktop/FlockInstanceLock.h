#pragma once

#include "shell/InstanceLock.h"

// One organiser per user and display: an exclusive lock on a file in the
// user's runtime folder. The kernel drops the lock when the process ends in
// any way, so an instance that was killed never blocks the next start, and
// another user's runtime folder (and lock) is never looked at. The holder
// listens on a socket beside the file.
class FlockInstanceLock final : public InstanceLock
{
public:
    explicit FlockInstanceLock(const QString &key);
    ~FlockInstanceLock() override;

    FlockInstanceLock(const FlockInstanceLock &) = delete;
    FlockInstanceLock &operator=(const FlockInstanceLock &) = delete;

    Outcome take() override;
    // "<runtime folder>/<key>-<display>.socket".
    QString channelName() const override;

    // "<runtime folder>/<key>-<display>.lock".
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
};
