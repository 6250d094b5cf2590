#include "TransferJob.h"

#include "shell/TransferRules.h"
#include "shell/freedesktop/GioLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

QByteArray local(const QString &path)
{
    return QFile::encodeName(path);
}

struct DirCloser
{
    void operator()(DIR *dir) const { ::closedir(dir); }
};

// The names in folder, "." and ".." left out, as the bytes the file system holds.
bool listFolder(const QByteArray &folder, QList<QByteArray> *names)
{
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.constData()));
    if (!dir)
        return false;
    errno = 0;
    while (const dirent *entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names->append(name);
    }
    return errno == 0;
}

// Renames from to to unless to exists, which it never replaces. Returns 0 or the error.
int renameNoReplace(const QByteArray &from, const QByteArray &to, bool isFolder)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without that flag: a hard link is refused on an existing name.
    if (!isFolder) {
        if (::link(from.constData(), to.constData()) == 0)
            return ::unlink(from.constData()) == 0 ? 0 : errno;
        if (errno == EEXIST)
            return EEXIST;
    }
    struct stat info;
    if (::lstat(to.constData(), &info) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

// Renames from into folder under name, or the free "name (2)" form of it.
// Returns 0 or the error, and the path it took.
int place(const QByteArray &from, const QString &folder, const QString &name, bool isFolder, QString *placed)
{
    const auto isTaken = [&folder](const QString &candidate) {
        struct stat info;
        return ::lstat(local(folder + QLatin1Char('/') + candidate).constData(), &info) == 0;
    };
    for (int attempt = 0; attempt < TransferRules::placeAttempts; ++attempt) {
        *placed = folder + QLatin1Char('/') + TransferRules::freeName(name, isFolder, isTaken);
        const int error = renameNoReplace(from, local(*placed), isFolder);
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

// Removes path and everything under it. ours: made by this transfer, so a
// read-only folder among it is made writable first. Returns 0 or the first error.
int removeTree(const QByteArray &path, bool ours)
{
    struct stat info;
    if (::lstat(path.constData(), &info) != 0)
        return errno == ENOENT ? 0 : errno;
    if (!S_ISDIR(info.st_mode))
        return ::unlink(path.constData()) == 0 ? 0 : errno;
    if (ours)
        ::chmod(path.constData(), S_IRWXU);
    QList<QByteArray> names;
    if (!listFolder(path, &names))
        return errno;
    int first = 0;
    for (const QByteArray &name : std::as_const(names)) {
        const int error = removeTree(path + '/' + name, ours);
        first = first ? first : error;
    }
    if (::rmdir(path.constData()) != 0)
        first = first ? first : errno;
    return first;
}

// A name hidden in the folder that no file there has yet.
QByteArray temporaryPath(const QString &folder)
{
    return local(folder) + "/.larkspan-transfer-" +
           QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

void copyProgressed(goffset current, goffset, gpointer job)
{
    static_cast<TransferJob *>(job)->report(current, false);
}

} // namespace

TransferJob::TransferJob(const GioLibrary &gio, GCancellable *cancellable, Progress progress)
    : TransferRun(std::move(progress))
    , m_gio(gio)
    , m_cancellable(cancellable)
{}

QString TransferJob::prepareFolder(const QString &targetFolder)
{
    m_folder = QDir::cleanPath(targetFolder);
    m_canonicalFolder = QFileInfo(m_folder).canonicalFilePath();
    struct stat info;
    if (::stat(local(m_folder).constData(), &info) != 0)
        return qt_error_string(errno);
    if (!S_ISDIR(info.st_mode))
        return qt_error_string(ENOTDIR);
    m_device = info.st_dev;
    return {};
}

qint64 TransferJob::sizeOf(const QString &source) const
{
    struct stat info;
    return ::lstat(local(source).constData(), &info) == 0 ? measure(local(source), info, nullptr) : 0;
}

QString TransferJob::transfer(const QString &given, FileTransfer::Mode mode)
{
    const QString source = QDir::cleanPath(given);
    const QString &folder = m_folder;
    const dev_t device = m_device;
    const QByteArray sourcePath = local(source);
    struct stat info;
    if (::lstat(sourcePath.constData(), &info) != 0) {
        failed(errno);
        return {};
    }
    const QFileInfo sourceFile(source);
    const QString name = sourceFile.fileName();
    // The source itself may be a link, which is moved as one: only its folder is resolved.
    const QString canonicalSource =
        QFileInfo(sourceFile.absolutePath()).canonicalFilePath() + QLatin1Char('/') + name;
    const FileTransfer::Mode effective = TransferRules::effectiveMode(mode, info.st_dev == device);
    switch (TransferRules::outcomeFor(canonicalSource, m_canonicalFolder, effective)) {
    case TransferRules::Outcome::AlreadyThere:
        m_doneBytes += measure(sourcePath, info, nullptr);
        return source;
    case TransferRules::Outcome::IntoItself:
        m_error = TransferRules::intoItselfReason();
        return {};
    case TransferRules::Outcome::Transfer:
        break;
    }
    const bool isFolder = S_ISDIR(info.st_mode);
    if (effective == FileTransfer::Mode::Move && info.st_dev == device) {
        QString placed;
        const int error = place(sourcePath, folder, name, isFolder, &placed);
        if (error == 0) {
            m_doneBytes += measure(local(placed), info, nullptr);
            return placed;
        }
        // One file system mounted at two places still refuses the rename.
        if (error != EXDEV) {
            failed(error);
            return {};
        }
    }
    return copyThenPlace(sourcePath, info, folder, name, effective == FileTransfer::Mode::Move);
}

QString TransferJob::copyThenPlace(const QByteArray &source, const struct stat &info, const QString &folder,
                                   const QString &name, bool move)
{
    if (move) {
        // The original must be removable before anything is copied, or the move
        // would end as a copy with the original half removed.
        const QByteArray parent = local(QFileInfo(QFile::decodeName(source)).absolutePath());
        bool removable = ::access(parent.constData(), W_OK | X_OK) == 0;
        measure(source, info, &removable);
        if (!removable) {
            failed(EACCES);
            return {};
        }
    }
    QByteArray temporary;
    struct stat existing;
    do
        temporary = temporaryPath(folder);
    while (::lstat(temporary.constData(), &existing) == 0);
    QString placed;
    int error = 0;
    if (!copyEntry(source, temporary, info, move) ||
        (error = place(temporary, folder, name, S_ISDIR(info.st_mode), &placed)) != 0) {
        if (error)
            failed(error);
        removeTree(temporary, true);
        return {};
    }
    // The copy is whole where it went; what could not be removed of the original is said.
    if (move && (error = removeTree(source, false)) != 0)
        failed(error);
    return placed;
}

bool TransferJob::copyEntry(const QByteArray &source, const QByteArray &target, const struct stat &info,
                            bool move)
{
    if (cancelled())
        return false;
    // A move keeps what a rename would (times, owner where allowed); a copy is a new file.
    const auto flags =
        GFileCopyFlags(G_FILE_COPY_NOFOLLOW_SYMLINKS | (move ? G_FILE_COPY_ALL_METADATA : G_FILE_COPY_NONE));
    GFile *from = m_gio.fileNewForPath(source.constData());
    GFile *to = m_gio.fileNewForPath(target.constData());
    const auto unref = qScopeGuard([&] {
        m_gio.objectUnref(from);
        m_gio.objectUnref(to);
    });
    GError *error = nullptr;
    if (S_ISDIR(info.st_mode)) {
        QList<QByteArray> names;
        if (::mkdir(target.constData(), S_IRWXU) != 0 || !listFolder(source, &names))
            return failed(errno);
        for (const QByteArray &name : std::as_const(names)) {
            const QByteArray child = source + '/' + name;
            struct stat childInfo;
            if (::lstat(child.constData(), &childInfo) != 0)
                return failed(errno);
            if (!copyEntry(child, target + '/' + name, childInfo, move))
                return false;
        }
        // Last, as it may take away the right to write into the copy. Its
        // times and rights are worth keeping but not worth failing the copy.
        if (!m_gio.fileCopyAttributes(from, to, flags, m_cancellable, &error))
            g_clear_error(&error);
        return !cancelled();
    }
    // Links are copied as links, anything but a file or a link is refused by GIO.
    const bool copied = m_gio.fileCopy(from, to, flags, m_cancellable,
                                       S_ISREG(info.st_mode) ? copyProgressed : nullptr, this, &error);
    if (!copied) {
        if (!cancelled())
            m_error = QString::fromUtf8(error->message);
        g_clear_error(&error);
        return false;
    }
    if (S_ISREG(info.st_mode))
        m_doneBytes += info.st_size;
    report(0, false);
    return true;
}

qint64 TransferJob::measure(const QByteArray &path, const struct stat &info, bool *removable) const
{
    if (!S_ISDIR(info.st_mode))
        return S_ISREG(info.st_mode) ? qint64(info.st_size) : 0;
    // Removing what a folder holds takes the right to write into it.
    if (removable && ::access(path.constData(), R_OK | W_OK | X_OK) != 0)
        *removable = false;
    QList<QByteArray> names;
    listFolder(path, &names);
    qint64 size = 0;
    for (const QByteArray &name : std::as_const(names)) {
        const QByteArray child = path + '/' + name;
        struct stat childInfo;
        if (::lstat(child.constData(), &childInfo) == 0)
            size += measure(child, childInfo, removable);
    }
    return size;
}

bool TransferJob::failed(int error)
{
    if (!cancelled())
        m_error = qt_error_string(error);
    return false;
}

bool TransferJob::cancelled() const
{
    return m_gio.cancellableIsCancelled(m_cancellable);
}
