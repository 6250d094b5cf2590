#include "base/SafeFile.h"

#include "base/SafeFileRead.h"

#include <QDir>
#include <QFile>

#include <windows.h>

namespace SafeFile {

namespace {

class Handle
{
public:
    explicit Handle(HANDLE handle)
        : m_handle(handle)
    {}
    ~Handle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

bool isMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_BAD_NETPATH;
}

} // namespace

Result read(const QString &path, qint64 maxBytes)
{
    Result result;
    if (path.isEmpty())
        return result;
    const std::wstring native = nativePath(path);
    // A folder is no file to open; a pipe or a device is told by its type once
    // open, before anything is read from it.
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        result.status = Status::NotRegular;
        return result;
    }
    const Handle file(CreateFileW(native.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        result.status = isMissing(GetLastError()) ? Status::Missing : Status::Unreadable;
        return result;
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        result.status = Status::NotRegular;
        return result;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size)) {
        result.status = Status::Unreadable;
        return result;
    }
    return readOpened(size.QuadPart, maxBytes, [&file](char *buffer, qint64 room) -> qint64 {
        DWORD got = 0;
        const DWORD wanted = DWORD(qMin<qint64>(room, qint64(1) << 30));
        return ReadFile(file.get(), buffer, wanted, &got, nullptr) ? qint64(got) : -1;
    });
}

Result read(const QByteArray &path, qint64 maxBytes)
{
    return read(QFile::decodeName(path), maxBytes);
}

bool isRegularFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    const DWORD attributes = GetFileAttributesW(nativePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

} // namespace SafeFile
