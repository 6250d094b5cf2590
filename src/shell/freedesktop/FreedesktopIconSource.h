#pragma once

#include "shell/IconSource.h"
#include "shell/freedesktop/IconTheme.h"

#include <QHash>
#include <QMimeDatabase>
#include <QStringList>

// Item icons from the freedesktop icon theme, read on the icon thread: the
// MIME type's icon (then its generic icon), a trusted launcher's own icon,
// folder, home, computer and trash icons, and for image files the image itself.
class FreedesktopIconSource : public IconSource
{
public:
    // themeName: the user's theme, read on the GUI thread (IconTheme::userThemeName).
    explicit FreedesktopIconSource(const QString &themeName,
                                   const QStringList &searchPaths = IconTheme::defaultSearchPaths());

    QImage image(const QByteArray &pidl, int px) override;

    // Image files larger than this keep their MIME icon.
    static constexpr qint64 maxThumbnailBytes = 50LL * 1024 * 1024;
    static constexpr qint64 maxThumbnailPixels = 50LL * 1000 * 1000;
    // New entries between two sweeps of the pictures that changed or went.
    static constexpr int minSweepInterval = 64;

    int cachedThumbnails() const { return int(m_thumbnails.size()); }

private:
    QImage themed(const QStringList &names, int px);
    QImage launcherIcon(const QByteArray &path, int px);
    // Null when the picture cannot or may not be read; answers are remembered
    // while the file's time and size stay the same.
    QImage thumbnail(const QByteArray &path, qint64 modified, qint64 size, int px);
    static QImage readThumbnail(const QByteArray &path, int px);
    void sweepThumbnails();

    struct Thumbnail
    {
        qint64 modified = 0; // nanoseconds
        qint64 size = 0;
        QImage image;
    };

    IconTheme m_theme;
    QMimeDatabase m_mimeTypes;
    // Every change of the desktop reloads every item; unchanged pictures are
    // not decoded again.
    QHash<QByteArray, Thumbnail> m_thumbnails;
    qint64 m_thumbnailBytes = 0;
    int m_addedSinceSweep = 0;
};
