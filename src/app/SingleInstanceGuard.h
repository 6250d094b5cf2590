#pragma once

#include <QString>

// One organiser per user and display. The guard holds an exclusive lock on a
// file in the user's runtime folder for the life of the process; the kernel
// drops the lock when the process ends in any way, so an instance that was
// killed never blocks the next start, and another user's runtime folder (and
// lock) is never looked at.
class SingleInstanceGuard
{
public:
    explicit SingleInstanceGuard(const QString &key = QStringLiteral("BrimvaleQtSingleton"));
    ~SingleInstanceGuard();

    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // False only when another instance holds the lock. When the lock cannot be
    // taken at all (no usable runtime folder) the program runs, and says so.
    bool acquire();

    // "<runtime folder>/<key>-<display>.lock".
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
};
