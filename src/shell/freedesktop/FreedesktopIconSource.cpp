#include "FreedesktopIconSource.h"

#include "base/SafeFile.h"
#include "base/VirtualItem.h"
#include "shell/IconImage.h"
#include "shell/freedesktop/FreedesktopDesktopSource.h"
#include "shell/freedesktop/LauncherFile.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Some seven thousand thumbnails at 48 px.
constexpr qint64 maxCachedThumbnailBytes = 64 * 1024 * 1024;

qint64 modifiedNs(const struct stat &info)
{
    return qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

bool trashHasItems()
{
    QDirIterator it(FreedesktopDesktopSource::trashFilesFolder(),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return it.hasNext();
}

// An image smaller than the square is shown at its own size, as file managers
// do; enlarging a small picture only blurs it.
QImage centred(const QImage &image, int px)
{
    if (image.isNull())
        return {};
    if (image.width() > px || image.height() > px)
        return IconImage::fitToSquare(image, px);
    return IconImage::centredOnSquare(image, px);
}

} // namespace

FreedesktopIconSource::FreedesktopIconSource(const QString &themeName, const QStringList &searchPaths)
    : m_theme(themeName, searchPaths)
{}

QImage FreedesktopIconSource::themed(const QStringList &names, int px)
{
    for (const QString &name : names) {
        QImage image = m_theme.icon(name, px);
        if (!image.isNull())
            return image;
    }
    return {};
}

QImage FreedesktopIconSource::image(const QByteArray &pidl, int px)
{
    if (VirtualItem::isVirtual(pidl)) {
        const QString parsingName = QString::fromUtf8(pidl);
        if (parsingName == FreedesktopDesktopSource::homeParsingName())
            return themed({QStringLiteral("user-home"), QStringLiteral("folder")}, px);
        if (parsingName == FreedesktopDesktopSource::computerParsingName())
            return themed(
                {QStringLiteral("computer"), QStringLiteral("drive-harddisk"), QStringLiteral("folder")}, px);
        if (parsingName == FreedesktopDesktopSource::trashParsingName()) {
            QStringList names{QStringLiteral("user-trash"), QStringLiteral("folder")};
            if (trashHasItems())
                names.prepend(QStringLiteral("user-trash-full"));
            return themed(names, px);
        }
        return {};
    }

    struct stat info = {};
    const bool exists = ::stat(pidl.constData(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode))
        return themed({QStringLiteral("folder"), QStringLiteral("inode-directory")}, px);

    if (exists && S_ISREG(info.st_mode) && pidl.endsWith(".desktop")) {
        QImage own = launcherIcon(pidl, px);
        if (!own.isNull())
            return own;
    }
    const QString path = QFile::decodeName(pidl);
    const QMimeType type = m_mimeTypes.mimeTypeForFile(path);
    if (exists && S_ISREG(info.st_mode) && info.st_size <= maxThumbnailBytes &&
        type.name().startsWith(QLatin1String("image/"))) {
        QImage picture = thumbnail(pidl, modifiedNs(info), info.st_size, px);
        if (!picture.isNull())
            return picture;
    }
    return themed({type.iconName(), type.genericIconName()}, px);
}

QImage FreedesktopIconSource::launcherIcon(const QByteArray &path, int px)
{
    // Only a launcher the user trusts (executable) chooses its own icon, as only
    // it chooses its own name: a file must not pose as another program.
    if (::access(path.constData(), X_OK) != 0)
        return {};
    const LauncherFile launcher = LauncherFile::read(path, QString());
    if (!launcher.valid || launcher.icon.isEmpty())
        return {};
    if (QDir::isAbsolutePath(launcher.icon))
        return m_theme.readIcon(launcher.icon, px);
    QString name = launcher.icon;
    // Older launchers name the file of a themed icon; the theme knows it without extension.
    for (const char *extension : {".png", ".svg", ".xpm"}) {
        if (name.endsWith(QLatin1String(extension)))
            name.chop(4);
    }
    return m_theme.icon(name, px);
}

QImage FreedesktopIconSource::thumbnail(const QByteArray &path, qint64 modified, qint64 size, int px)
{
    const QByteArray cacheKey = path + '@' + QByteArray::number(px);
    if (const auto cached = m_thumbnails.find(cacheKey); cached != m_thumbnails.end()) {
        if (cached->modified == modified && cached->size == size)
            return cached->image;
        m_thumbnailBytes -= cached->image.sizeInBytes();
        m_thumbnails.erase(cached);
    }
    const QImage picture = readThumbnail(path, px);
    if (m_thumbnailBytes + picture.sizeInBytes() > maxCachedThumbnailBytes) {
        m_thumbnails.clear();
        m_thumbnailBytes = 0;
    }
    m_thumbnails.insert(cacheKey, {modified, size, picture});
    m_thumbnailBytes += picture.sizeInBytes();
    if (++m_addedSinceSweep >= std::max<qsizetype>(minSweepInterval, m_thumbnails.size() / 4))
        sweepThumbnails();
    return picture;
}

// Pictures renamed, rewritten or deleted leave their entries behind: on a
// desktop where downloads come and go the cache would otherwise grow to its
// cap with pictures that are gone. A sweep comes after as many new entries as
// a quarter of the cache, so its stat() calls stay a small share of decoding.
void FreedesktopIconSource::sweepThumbnails()
{
    m_addedSinceSweep = 0;
    for (auto it = m_thumbnails.begin(); it != m_thumbnails.end();) {
        const QByteArray path = it.key().left(it.key().lastIndexOf('@'));
        struct stat info = {};
        const bool current = ::stat(path.constData(), &info) == 0 && info.st_size == it->size &&
                             modifiedNs(info) == it->modified;
        if (current) {
            ++it;
            continue;
        }
        m_thumbnailBytes -= it->image.sizeInBytes();
        it = m_thumbnails.erase(it);
    }
}

QImage FreedesktopIconSource::readThumbnail(const QByteArray &path, int px)
{
    // The file was a regular one when it was listed; it may not be now.
    const SafeFile::Result file = SafeFile::read(path, maxThumbnailBytes);
    // An empty file holds no picture; trying the decoders on it only loads them.
    if (!file.ok() || file.data.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(file.data);
    buffer.open(QIODevice::ReadOnly);
    const std::unique_ptr<QImageReader> reader =
        IconImage::readerFor(&buffer, QFileInfo(QFile::decodeName(path)).suffix().toLower().toLatin1());
    reader->setAutoTransform(true);
    const QSize natural = reader->size();
    // Without a size the cost of decoding cannot be judged beforehand.
    if (!natural.isValid() || natural.isEmpty() ||
        qint64(natural.width()) * natural.height() > maxThumbnailPixels)
        return {};
    const QByteArray format = reader->format();
    if (format == "svg" || format == "svgz" ||
        ((natural.width() > px || natural.height() > px) && IconImage::canShrinkOnRead(*reader)))
        reader->setScaledSize(natural.scaled(px, px, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return centred(reader->read(), px);
}
