#pragma once

#include <QSharedMemory>

// Holds the single-instance key for the life of the process.
class SingleInstanceGuard
{
public:
    explicit SingleInstanceGuard(const QString &key = QStringLiteral("BrimvaleQtSingleton"));

    // True when this process now owns the key; false when another instance does.
    bool acquire();

private:
    QSharedMemory m_memory;
};
