#include "WindowsInstanceLock.h"

#include <QtDebug>

#include <windows.h>

WindowsInstanceLock::WindowsInstanceLock(const QString &key)
    : m_key(key)
{}

WindowsInstanceLock::~WindowsInstanceLock()
{
    if (m_mutex)
        CloseHandle(m_mutex);
}

InstanceLock::Outcome WindowsInstanceLock::take()
{
    if (m_mutex)
        return Outcome::Taken;
    const QString name = QLatin1String("Local\\") + m_key;
    // Not inheritable: programs started from the panels must not keep it.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t *>(name.utf16()));
    const DWORD error = GetLastError();
    if (mutex && error != ERROR_ALREADY_EXISTS) {
        m_mutex = mutex;
        return Outcome::Taken;
    }
    if (mutex)
        CloseHandle(mutex);
    // Refused access: it exists, made by an elevated instance of the same user.
    if (mutex || error == ERROR_ACCESS_DENIED)
        return Outcome::HeldElsewhere;
    qWarning("Cannot create the single-instance mutex (error %lu); starting without it", error);
    return Outcome::Unavailable;
}

QString WindowsInstanceLock::channelName() const
{
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return m_key + QLatin1String("-session-") + QString::number(session);
}
