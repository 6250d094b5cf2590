#include "WindowsTransferJob.h"

#include "shell/TransferRules.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <vector>

namespace {

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

// The system's form of an absolute path, with the prefix that lifts the
// 260-character limit: a copy deep in a folder must not fail half way.
QString longForm(const QString &native)
{
    if (native.startsWith(QLatin1String("\\\\?\\")))
        return native;
    if (native.startsWith(QLatin1String("\\\\")))
        return QLatin1String("\\\\?\\UNC\\") + native.mid(2);
    return QLatin1String("\\\\?\\") + native;
}

QString shortForm(const QString &path)
{
    if (path.startsWith(QLatin1String("\\\\?\\UNC\\")))
        return QLatin1String("\\\\") + path.mid(8);
    if (path.startsWith(QLatin1String("\\\\?\\")))
        return path.mid(4);
    return path;
}

QString join(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + QLatin1Char('\\') + name;
}

bool isLinkedFolder(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The names in folder, "." and ".." left out, with their attributes and sizes.
struct Child
{
    QString name;
    DWORD attributes = 0;
    qint64 size = 0;
};

bool listFolder(const QString &folder, std::vector<Child> *children)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(wide(join(folder, QStringLiteral("*"))), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        children->push_back(
            {name, found.dwFileAttributes, (qint64(found.nFileSizeHigh) << 32) | qint64(found.nFileSizeLow)});
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    return error == ERROR_NO_MORE_FILES;
}

qint64 fileSize(const QString &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide(path), GetFileExInfoStandard, &data))
        return 0;
    return (qint64(data.nFileSizeHigh) << 32) | qint64(data.nFileSizeLow);
}

// The bytes of the files under path. removable: cleared where a read-only
// file would keep a move from removing its original.
qint64 measure(const QString &path, DWORD attributes, bool *removable)
{
    if (removable && (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        *removable = false;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fileSize(path);
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return 0;
    std::vector<Child> children;
    listFolder(path, &children);
    qint64 size = 0;
    for (const Child &child : children)
        size += measure(join(path, child.name), child.attributes, removable);
    return size;
}

// Removes path and everything under it, never following a link to a folder.
// ours: made by this transfer, so read-only files among it go too. Returns 0
// or the first error.
DWORD removeTree(const QString &path, bool ours)
{
    const DWORD attributes = GetFileAttributesW(wide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
    }
    if (ours && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(wide(path), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileW(wide(path)) ? 0 : GetLastError();
    DWORD first = 0;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::vector<Child> children;
        if (!listFolder(path, &children))
            first = GetLastError();
        for (const Child &child : children) {
            const DWORD error = removeTree(join(path, child.name), ours);
            first = first ? first : error;
        }
    }
    if (!RemoveDirectoryW(wide(path)))
        first = first ? first : GetLastError();
    return first;
}

bool isTakenError(DWORD error)
{
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

// Renames from into folder under name, or the free "name (2)" form of it,
// never over an existing name. Returns 0 or the error, and the path it took.
DWORD place(const QString &from, const QString &folder, const QString &name, bool isFolder, QString *placed)
{
    const auto isTaken = [&folder](const QString &candidate) {
        // A name that cannot be looked at is taken as used: nothing is risked on it.
        if (GetFileAttributesW(wide(join(folder, candidate))) != INVALID_FILE_ATTRIBUTES)
            return true;
        const DWORD error = GetLastError();
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    };
    for (int attempt = 0; attempt < TransferRules::placeAttempts; ++attempt) {
        *placed = join(folder, TransferRules::freeName(name, isFolder, isTaken));
        if (MoveFileExW(wide(from), wide(*placed), 0))
            return 0;
        const DWORD error = GetLastError();
        if (!isTakenError(error))
            return error;
    }
    return ERROR_ALREADY_EXISTS;
}

// A hidden folder made in folder to hold a copy until it is whole, so that
// the desktop and file managers never show it half made. Empty when it could
// not be made, with the error left for GetLastError.
QString makeHolder(const QString &folder)
{
    for (;;) {
        const QString path = join(folder, QLatin1String("~larkspan-transfer-") +
                                              QString::number(QRandomGenerator::global()->generate64(), 36));
        if (CreateDirectoryW(wide(path), nullptr)) {
            SetFileAttributesW(wide(path), FILE_ATTRIBUTE_HIDDEN);
            return path;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return {};
    }
}

// The volume a path lies on, to tell a rename from a copy.
QString volumeOf(const QString &path)
{
    std::vector<wchar_t> volume(32768);
    if (!GetVolumePathNameW(wide(path), volume.data(), DWORD(volume.size())))
        return {};
    return QString::fromWCharArray(volume.data()).toCaseFolded();
}

// The path with every link and short name in it resolved, in Qt's form and
// case-folded as the file system compares names: a folder reached through a
// junction is still recognised as lying inside the source.
QString comparable(const QString &path)
{
    QString resolved = path;
    HANDLE file = CreateFileW(wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        std::vector<wchar_t> buffer(32768);
        const DWORD length = GetFinalPathNameByHandleW(file, buffer.data(), DWORD(buffer.size()), 0);
        if (length > 0 && length < buffer.size())
            resolved = QString::fromWCharArray(buffer.data(), int(length));
        CloseHandle(file);
    }
    return QDir::fromNativeSeparators(shortForm(resolved)).toCaseFolded();
}

DWORD CALLBACK copyProgressed(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                              DWORD, HANDLE, HANDLE, LPVOID job)
{
    auto *self = static_cast<WindowsTransferJob *>(job);
    if (self->cancelled())
        return PROGRESS_CANCEL;
    self->report(transferred.QuadPart, false);
    return PROGRESS_CONTINUE;
}

} // namespace

WindowsTransferJob::WindowsTransferJob(const std::atomic<bool> &cancelled, Progress progress)
    : TransferRun(std::move(progress))
    , m_cancelled(cancelled)
{}

QString WindowsTransferJob::prepareFolder(const QString &targetFolder)
{
    m_folder = longForm(QDir::toNativeSeparators(QDir::cleanPath(targetFolder)));
    const DWORD attributes = GetFileAttributesW(wide(m_folder));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return qt_error_string(int(GetLastError()));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return qt_error_string(ERROR_DIRECTORY);
    return {};
}

qint64 WindowsTransferJob::sizeOf(const QString &source) const
{
    const QString path = longForm(QDir::toNativeSeparators(QDir::cleanPath(source)));
    const DWORD attributes = GetFileAttributesW(wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES ? measure(path, attributes, nullptr) : 0;
}

bool WindowsTransferJob::cancelled() const
{
    return m_cancelled.load();
}

QString WindowsTransferJob::transfer(const QString &given, FileTransfer::Mode mode)
{
    const QString &folder = m_folder;
    const QString source = longForm(QDir::toNativeSeparators(QDir::cleanPath(given)));
    const DWORD attributes = GetFileAttributesW(wide(source));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        failed(GetLastError());
        return {};
    }
    const QString name = QFileInfo(QDir::fromNativeSeparators(source)).fileName();
    const bool sameVolume = volumeOf(source) == volumeOf(folder);
    const FileTransfer::Mode effective = TransferRules::effectiveMode(mode, sameVolume);
    // The source itself may be a link, which is moved as one: only its folder is resolved.
    const QString parent = QFileInfo(QDir::fromNativeSeparators(source)).absolutePath();
    const QString comparableSource =
        comparable(longForm(QDir::toNativeSeparators(parent))) + QLatin1Char('/') + name.toCaseFolded();
    switch (TransferRules::outcomeFor(comparableSource, comparable(folder), effective)) {
    case TransferRules::Outcome::AlreadyThere:
        m_doneBytes += measure(source, attributes, nullptr);
        return given;
    case TransferRules::Outcome::IntoItself:
        m_error = TransferRules::intoItselfReason();
        return {};
    case TransferRules::Outcome::Transfer:
        break;
    }
    const bool isFolder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (effective == FileTransfer::Mode::Move && sameVolume) {
        QString placed;
        const DWORD error = place(source, folder, name, isFolder, &placed);
        if (error == 0) {
            m_doneBytes += measure(placed, attributes, nullptr);
            return shortForm(placed);
        }
        // One volume mounted at two places still refuses the rename.
        if (error != ERROR_NOT_SAME_DEVICE) {
            failed(error);
            return {};
        }
    }
    return copyThenPlace(source, attributes, folder, name, effective == FileTransfer::Mode::Move);
}

QString WindowsTransferJob::copyThenPlace(const QString &source, DWORD attributes, const QString &folder,
                                          const QString &name, bool move)
{
    if (move) {
        // The original must be removable before anything is copied, or the move
        // would end as a copy with the original half removed.
        bool removable = !(attributes & FILE_ATTRIBUTE_READONLY) || (attributes & FILE_ATTRIBUTE_DIRECTORY);
        measure(source, attributes, &removable);
        if (!removable) {
            failed(ERROR_ACCESS_DENIED);
            return {};
        }
    }
    const QString holder = makeHolder(folder);
    if (holder.isEmpty()) {
        failed(GetLastError());
        return {};
    }
    const QString copy = join(holder, name);
    QString placed;
    DWORD error = 0;
    // A cancel that came as the last bytes were written still leaves nothing behind.
    const bool whole =
        copyEntry(source, copy, attributes) && !cancelled() &&
        (error = place(copy, folder, name, attributes & FILE_ATTRIBUTE_DIRECTORY, &placed)) == 0;
    if (error)
        failed(error);
    removeTree(holder, true);
    if (!whole)
        return {};
    // The copy is whole where it went; what could not be removed of the original is said.
    if (move && (error = removeTree(source, false)) != 0)
        failed(error);
    return shortForm(placed);
}

bool WindowsTransferJob::copyEntry(const QString &source, const QString &target, DWORD attributes)
{
    if (cancelled())
        return false;
    // A link to a folder is neither followed (it may lead anywhere, even into
    // the copy) nor made anew, which takes rights the user may not have.
    if (isLinkedFolder(attributes))
        return failed(ERROR_NOT_SUPPORTED);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        std::vector<Child> children;
        if (!CreateDirectoryW(wide(target), nullptr) || !listFolder(source, &children))
            return failed(GetLastError());
        for (const Child &child : children) {
            if (!copyEntry(join(source, child.name), join(target, child.name), child.attributes))
                return false;
        }
        // The folder's own attributes last, as read-only would stand in the way
        // of filling it; they are worth keeping but not worth failing the copy.
        const DWORD own = attributes & ~DWORD(FILE_ATTRIBUTE_DIRECTORY);
        SetFileAttributesW(wide(target), own ? own : FILE_ATTRIBUTE_NORMAL);
        return !cancelled();
    }
    // Links to files are copied as links.
    if (!CopyFileExW(wide(source), wide(target), copyProgressed, this, nullptr,
                     COPY_FILE_FAIL_IF_EXISTS | COPY_FILE_COPY_SYMLINK))
        return failed(GetLastError());
    m_doneBytes += fileSize(target);
    report(0, false);
    return true;
}

bool WindowsTransferJob::failed(DWORD error)
{
    if (!cancelled())
        m_error = qt_error_string(int(error));
    return false;
}
