#include "base/AtomicSave.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <windows.h>

namespace AtomicSave {

namespace {

Result failure(const QString &path, const char *what, DWORD error)
{
    return {false,
            QStringLiteral("%1: %2: %3")
                .arg(QDir::toNativeSeparators(path), QString::fromLatin1(what), qt_error_string(int(error)))};
}

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// Six letters or digits, as a temporary's name ends.
QString randomSuffix()
{
    static const QLatin1StringView letters("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += letters.at(QRandomGenerator::global()->bounded(int(letters.size())));
    return suffix;
}

} // namespace

Result save(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return failure(folder, "cannot create the folder", ERROR_ACCESS_DENIED);

    const QString prefix = folder + QLatin1Char('/') + temporaryPrefix(info.fileName());
    QString temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    // A name another save took in the meantime moves on to the next.
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = prefix + randomSuffix();
        file = CreateFileW(nativePath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (file == INVALID_HANDLE_VALUE)
        return failure(path, "cannot create a temporary file", GetLastError());

    // The data reaches the disk before the name points at it; the new file
    // takes the folder's permissions, as Windows files do.
    DWORD error = ERROR_SUCCESS;
    qsizetype done = 0;
    while (error == ERROR_SUCCESS && done < data.size()) {
        DWORD written = 0;
        const DWORD chunk = DWORD(qMin<qsizetype>(data.size() - done, qsizetype(1) << 30));
        if (WriteFile(file, data.constData() + done, chunk, &written, nullptr))
            done += written;
        else
            error = GetLastError();
    }
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file))
        error = GetLastError();
    if (!CloseHandle(file) && error == ERROR_SUCCESS)
        error = GetLastError();
    if (error == ERROR_SUCCESS &&
        !MoveFileExW(nativePath(temporary).c_str(), nativePath(info.absoluteFilePath()).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS) {
        DeleteFileW(nativePath(temporary).c_str());
        return failure(path, "cannot write", error);
    }
    return {true, {}};
}

} // namespace AtomicSave
