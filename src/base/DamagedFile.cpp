#include "DamagedFile.h"

#include "base/AtomicSave.h"
#include "base/FileNotice.h"

#include <QFileInfo>

DamagedFile::DamagedFile(QString path, QString what)
    : m_path(std::move(path))
    , m_what(std::move(what))
{}

void DamagedFile::read(SafeFile::Status status, bool understood)
{
    switch (status) {
    case SafeFile::Status::Missing:
        return;
    case SafeFile::Status::Ok:
        if (understood)
            return;
        break;
    case SafeFile::Status::TooLarge:
        // Far beyond any file of ours, but still the user's.
        break;
    case SafeFile::Status::NotRegular:
    case SafeFile::Status::Unreadable:
        m_keep = true;
        FileNotice::ignored(
            m_path, QStringLiteral("it cannot be read; %1 changes are kept in memory only").arg(m_what));
        return;
    }
    m_copyOwed = true;
    mayReplace();
}

bool DamagedFile::mayReplace()
{
    // The folder or FIFO that stood in the file's place is gone: a save
    // replaces nothing of the user's.
    if (m_keep && !QFileInfo::exists(m_path) && !QFileInfo(m_path).isSymLink())
        m_keep = false;
    if (m_keep)
        return false;
    if (!m_copyOwed)
        return true;
    m_keptCopy = AtomicSave::keepCopy(m_path, QStringLiteral("could not be fully read"));
    if (m_keptCopy.isEmpty()) {
        FileNotice::ignored(m_path, QStringLiteral("it could not be fully read and no copy of it can be kept;"
                                                   " it is not replaced"));
        return false;
    }
    m_copyOwed = false;
    return true;
}
