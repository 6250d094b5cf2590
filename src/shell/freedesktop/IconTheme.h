#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// A freedesktop icon theme with everything it inherits and hicolor last, plus
// the unthemed icons of the search paths. Lookups and images are cached; an
// instance is used by one thread only, and it reads files only (no pixmaps), so
// each thread that needs icons keeps its own.
class IconTheme
{
public:
    // searchPaths: the folders that hold theme folders, most important first.
    explicit IconTheme(const QString &themeName, const QStringList &searchPaths = defaultSearchPaths());

    QString themeName() const { return m_themeName; }

    // The file of the named icon best suited to px device pixels; empty when
    // there is none. An exact size wins, then the nearest larger one (shrinking
    // keeps edges sharp), then the nearest smaller one.
    QString findIcon(const QString &name, int px);

    // That icon as an image of px x px (see readIcon); null when there is none.
    QImage icon(const QString &name, int px);

    // An icon file read for px: vector images drawn at that size, a small icon
    // in the corner of a large canvas cropped, then fitted into the square.
    QImage readIcon(const QString &path, int px);

    // $HOME/.icons, $XDG_DATA_HOME/icons, the icons of $XDG_DATA_DIRS, /usr/share/pixmaps.
    static QStringList defaultSearchPaths();

    // The user's icon theme: Qt's platform theme, the Xfce or GTK settings, else
    // GTK's default. Reads platform state: call it on the GUI thread.
    static QString userThemeName();

private:
    enum class DirType
    {
        Fixed,
        Scalable,
        Threshold,
    };
    struct Directory
    {
        QString name;
        DirType type = DirType::Threshold;
        int size = 0;
        int minSize = 0;
        int maxSize = 0;
        int threshold = 2;
        int scale = 1;
    };
    // The names of the files in one folder as sorted hashes, read when a lookup
    // first reaches the folder: themes hold thousands of icons, and a crowded
    // desktop would otherwise ask the disk about every candidate. A hash is a
    // tenth of the size of a name; a matching one is confirmed on disk, so a
    // collision never answers a lookup.
    struct FolderFiles
    {
        std::vector<quint32> hashes;
        bool listed = false;
    };
    // A name's hash with each of the icon file extensions, in their order.
    using CandidateHashes = std::array<quint32, 3>;
    struct Theme
    {
        QStringList roots; // the theme's folder in each search path that has one
        QList<Directory> directories;
        QHash<int, QList<int>> orderForSize; // directory indexes, best first
        std::vector<FolderFiles> folders;    // directory * roots.size() + root
    };

    // Reads the next theme of the chain; false when there is none.
    bool loadNextTheme();
    bool readTheme(const QString &name, Theme &theme, QStringList &inherits) const;
    const QList<int> &directoryOrder(Theme &theme, int px);
    QString lookupIn(Theme &theme, const QString &name, const CandidateHashes &hashes, int px);
    static QString findIn(FolderFiles &files, const QString &folder, const QString &name,
                          const CandidateHashes &hashes);

    QString m_themeName;
    QStringList m_searchPaths;
    QStringList m_pendingThemes;
    QSet<QString> m_seenThemes;
    QList<Theme> m_themes;
    std::vector<FolderFiles> m_searchPathFiles; // the unthemed icons, per search path
    QHash<QString, QString> m_found;
    QHash<QString, QImage> m_images;
    qint64 m_imageBytes = 0;
};
