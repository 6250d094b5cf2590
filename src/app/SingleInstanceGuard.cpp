#include "SingleInstanceGuard.h"

SingleInstanceGuard::SingleInstanceGuard(const QString &key)
    : m_memory(key)
{}

bool SingleInstanceGuard::acquire()
{
    if (m_memory.create(1, QSharedMemory::ReadWrite))
        return true;
    if (m_memory.error() != QSharedMemory::AlreadyExists)
        return false;

    // On systems where segments outlive their process (System V on Unix), an
    // instance killed outright leaves its segment behind with nobody attached.
    // Attaching and detaching removes a segment that has no other user; a live
    // instance stays attached, so its segment survives this probe.
    {
        QSharedMemory probe(m_memory.key());
        if (probe.attach(QSharedMemory::ReadOnly))
            probe.detach();
    }
    return m_memory.create(1, QSharedMemory::ReadWrite);
}
