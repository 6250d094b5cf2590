#include "IconTheme.h"

#include "base/SafeFile.h"
#include "shell/IconImage.h"
#include "shell/freedesktop/Xfconf.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>

#include <algorithm>
#include <tuple>

namespace {

const QString hicolor = QStringLiteral("hicolor");
const QLatin1String extensions[] = {QLatin1String(".png"), QLatin1String(".svg"), QLatin1String(".xpm")};

// Inheritance chains are short; a longer one is a loop the visited set missed
// through differently spelled names, or a hostile theme.
constexpr int maxThemes = 32;
// Decoded icons kept per instance; far more than a desktop's distinct icons.
constexpr qint64 maxCachedImageBytes = 32 * 1024 * 1024;
// index.theme of hicolor is some 30 kB; a file far larger is not a theme index.
constexpr qint64 maxIndexBytes = 1024 * 1024;

// A group's keys in file order. Groups hold a handful of keys, and a hash for
// each of hicolor's hundreds of folders took some kilobytes apiece.
using IniGroup = QList<std::pair<QString, QString>>;
using IniGroups = QHash<QString, IniGroup>;

// A key given twice counts as its last line says.
QString iniValue(const IniGroup &group, QLatin1StringView key)
{
    for (auto it = group.crbegin(); it != group.crend(); ++it) {
        if (it->first == key)
            return it->second;
    }
    return {};
}

// The key files of icon themes and GTK settings: groups of key=value lines.
IniGroups readIni(const QString &path)
{
    IniGroups groups;
    const SafeFile::Result file = SafeFile::read(path, maxIndexBytes);
    if (!file.ok())
        return groups;
    const QByteArrayView data(file.data);
    QString group;
    for (qsizetype start = 0; start <= data.size();) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        const QString line = QString::fromUtf8(data.sliced(start, end - start)).trimmed();
        start = end + 1;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            groups[group].append({line.left(eq).trimmed(), line.mid(eq + 1).trimmed()});
    }
    return groups;
}

QStringList listValue(const QString &value)
{
    QStringList items = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString &item : items)
        item = item.trimmed();
    items.removeAll(QString());
    return items;
}

// Theme files are anyone's text. Every number read from them is kept within
// what an icon can sensibly be, so sums and products of them never overflow.
constexpr int maxThemeNumber = 1 << 16;
constexpr int maxThemeScale = 16;

int intValue(const IniGroup &group, QLatin1StringView key, int fallback, int low, int high)
{
    bool ok = false;
    const qlonglong value = iniValue(group, key).toLongLong(&ok);
    return ok ? int(std::clamp<qlonglong>(value, low, high)) : fallback;
}

// Formats without a signature (XPM is C source, SVG may be compressed) are
// found by their suffix, as a reader given the path would.
QByteArray formatHint(const QString &path)
{
    return QFileInfo(path).suffix().toLower().toLatin1();
}

// FNV-1a over UTF-16 code units; a name's hash can be continued with an
// extension without joining the two.
constexpr quint32 fnvBasis = 2166136261u;
constexpr quint32 fnvPrime = 16777619u;

quint32 nameHash(QStringView text, quint32 hash = fnvBasis)
{
    for (const QChar c : text)
        hash = (hash ^ c.unicode()) * fnvPrime;
    return hash;
}

quint32 nameHash(QLatin1StringView text, quint32 hash)
{
    for (const char c : text)
        hash = (hash ^ uchar(c)) * fnvPrime;
    return hash;
}

bool isVectorFormat(const QByteArray &format)
{
    return format == "svg" || format == "svgz";
}

} // namespace

IconTheme::IconTheme(const QString &themeName, const QStringList &searchPaths)
    : m_themeName(themeName)
    , m_searchPaths(searchPaths)
    , m_pendingThemes{themeName}
    , m_searchPathFiles(size_t(searchPaths.size()))
{}

QStringList IconTheme::defaultSearchPaths()
{
    const QString home = QDir::homePath();
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = home + QLatin1String("/.local/share");
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");

    QStringList paths{home + QLatin1String("/.icons"), dataHome + QLatin1String("/icons")};
    const QStringList dirs = dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &dir : dirs)
        paths.append(dir + QLatin1String("/icons"));
    paths.append(QStringLiteral("/usr/share/pixmaps"));
    paths.removeDuplicates();
    return paths;
}

QString IconTheme::userThemeName()
{
    // Qt knows the theme under KDE and with a GTK platform theme; without one it
    // only reports the hicolor fallback, which every theme ends in anyway.
    const QString qtTheme = QIcon::themeName();
    if (!qtTheme.isEmpty() && qtTheme != hicolor)
        return qtTheme;
    if (const auto xfce =
            Xfconf::property(QStringLiteral("xsettings"), QStringLiteral("/Net/IconThemeName"))) {
        if (!xfce->toString().isEmpty())
            return xfce->toString();
    }
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty())
        configHome = QDir::homePath() + QLatin1String("/.config");
    for (const char *gtk : {"gtk-4.0", "gtk-3.0"}) {
        const IniGroups settings =
            readIni(configHome + QLatin1Char('/') + QLatin1String(gtk) + QLatin1String("/settings.ini"));
        const QString name =
            iniValue(settings.value(QStringLiteral("Settings")), QLatin1String("gtk-icon-theme-name"));
        if (!name.isEmpty())
            return name;
    }
    // What GTK programs on the same desktop show when nothing is set.
    return QStringLiteral("Adwaita");
}

bool IconTheme::readTheme(const QString &name, Theme &theme, QStringList &inherits) const
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..") ||
        name == QLatin1String("."))
        return false;
    QString index;
    for (const QString &base : m_searchPaths) {
        const QString root = base + QLatin1Char('/') + name;
        if (!QFileInfo(root).isDir())
            continue;
        theme.roots.append(root);
        if (index.isEmpty() && QFileInfo::exists(root + QLatin1String("/index.theme")))
            index = root + QLatin1String("/index.theme");
    }
    if (index.isEmpty())
        return false;

    const IniGroups groups = readIni(index);
    const IniGroup header = groups.value(QStringLiteral("Icon Theme"));
    inherits = listValue(iniValue(header, QLatin1String("Inherits")));
    QStringList names = listValue(iniValue(header, QLatin1String("Directories")));
    names += listValue(iniValue(header, QLatin1String("ScaledDirectories")));
    names.removeDuplicates();
    // Kept for the life of the program: hicolor alone lists hundreds of folders.
    theme.directories.reserve(names.size());
    for (const QString &dirName : std::as_const(names)) {
        const auto found = groups.constFind(dirName);
        if (found == groups.constEnd() || dirName.contains(QLatin1String("..")))
            continue;
        Directory dir;
        dir.name = dirName;
        dir.size = intValue(*found, QLatin1String("Size"), 0, 0, maxThemeNumber);
        if (dir.size <= 0)
            continue;
        const QString type = iniValue(*found, QLatin1String("Type"));
        if (type == QLatin1String("Fixed"))
            dir.type = DirType::Fixed;
        else if (type == QLatin1String("Scalable"))
            dir.type = DirType::Scalable;
        dir.minSize = intValue(*found, QLatin1String("MinSize"), dir.size, 0, maxThemeNumber);
        dir.maxSize = intValue(*found, QLatin1String("MaxSize"), dir.size, 0, maxThemeNumber);
        dir.threshold = intValue(*found, QLatin1String("Threshold"), 2, 0, maxThemeNumber);
        dir.scale = intValue(*found, QLatin1String("Scale"), 1, 1, maxThemeScale);
        theme.directories.append(dir);
    }
    theme.folders.resize(size_t(theme.directories.size() * theme.roots.size()));
    return true;
}

bool IconTheme::loadNextTheme()
{
    // Depth first through Inherits, each theme once, and hicolor after all of
    // them. Themes are read only when a lookup gets that far: most icons are
    // found in the first, and hicolor's index alone lists hundreds of folders.
    while (!m_pendingThemes.isEmpty() && m_themes.size() < maxThemes) {
        const QString name = m_pendingThemes.takeFirst();
        if (name == hicolor || m_seenThemes.contains(name))
            continue;
        m_seenThemes.insert(name);
        Theme theme;
        QStringList inherits;
        if (!readTheme(name, theme, inherits))
            continue;
        m_themes.append(std::move(theme));
        m_pendingThemes = inherits + m_pendingThemes;
        return true;
    }
    m_pendingThemes.clear();
    if (m_seenThemes.contains(hicolor))
        return false;
    m_seenThemes.insert(hicolor);
    Theme last;
    QStringList ignored;
    if (!readTheme(hicolor, last, ignored))
        return false;
    m_themes.append(std::move(last));
    return true;
}

const QList<int> &IconTheme::directoryOrder(Theme &theme, int px)
{
    auto found = theme.orderForSize.find(px);
    if (found != theme.orderForSize.end())
        return *found;

    // (class, distance, position): exact sizes first, then larger, then smaller.
    std::vector<std::tuple<int, int, int>> ranked;
    ranked.reserve(theme.directories.size());
    for (int i = 0; i < theme.directories.size(); ++i) {
        const Directory &dir = theme.directories.at(i);
        int low = dir.size;
        int high = dir.size;
        if (dir.type == DirType::Scalable) {
            low = dir.minSize;
            high = dir.maxSize;
        } else if (dir.type == DirType::Threshold) {
            low = dir.size - dir.threshold;
            high = dir.size + dir.threshold;
        }
        low *= dir.scale;
        high *= dir.scale;
        if (px >= low && px <= high) {
            ranked.emplace_back(0, 0, i);
            continue;
        }
        const int available = dir.type == DirType::Scalable ? (px < low ? low : high) : dir.size * dir.scale;
        if (available >= px)
            ranked.emplace_back(1, available - px, i);
        else
            ranked.emplace_back(2, px - available, i);
    }
    std::sort(ranked.begin(), ranked.end());
    QList<int> order;
    order.reserve(qsizetype(ranked.size()));
    for (const auto &entry : ranked)
        order.append(std::get<2>(entry));
    return *theme.orderForSize.insert(px, order);
}

QString IconTheme::findIn(FolderFiles &files, const QString &folder, const QString &name,
                          const CandidateHashes &hashes)
{
    if (!files.listed) {
        files.listed = true;
        QDirIterator it(folder, QDir::Files);
        while (it.hasNext()) {
            it.next();
            files.hashes.push_back(nameHash(it.fileName()));
        }
        std::sort(files.hashes.begin(), files.hashes.end());
        files.hashes.shrink_to_fit();
    }
    if (files.hashes.empty())
        return {};
    for (size_t i = 0; i < hashes.size(); ++i) {
        if (!std::binary_search(files.hashes.cbegin(), files.hashes.cend(), hashes[i]))
            continue;
        // What the listing counted: a file, or a link to one.
        const QString path = folder + QLatin1Char('/') + name + extensions[i];
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString IconTheme::lookupIn(Theme &theme, const QString &name, const CandidateHashes &hashes, int px)
{
    const QList<int> &order = directoryOrder(theme, px);
    const qsizetype roots = theme.roots.size();
    for (int index : order) {
        const QString &dirName = theme.directories.at(index).name;
        for (qsizetype root = 0; root < roots; ++root) {
            FolderFiles &files = theme.folders[size_t(index * roots + root)];
            if (files.listed && files.hashes.empty())
                continue;
            const QString path =
                findIn(files, theme.roots.at(root) + QLatin1Char('/') + dirName, name, hashes);
            if (!path.isEmpty())
                return path;
        }
    }
    return {};
}

QString IconTheme::findIcon(const QString &name, int px)
{
    // A name is a file name without folders; anything else could reach outside the themes.
    if (name.isEmpty() || px < 1 || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
        return {};
    const QString cacheKey = name + QLatin1Char('@') + QString::number(px);
    if (const auto cached = m_found.constFind(cacheKey); cached != m_found.constEnd())
        return *cached;
    static_assert(std::size(extensions) == std::tuple_size_v<CandidateHashes>);
    const quint32 stem = nameHash(name);
    const CandidateHashes hashes{nameHash(extensions[0], stem), nameHash(extensions[1], stem),
                                 nameHash(extensions[2], stem)};
    QString path;
    for (qsizetype i = 0; path.isEmpty() && (i < m_themes.size() || loadNextTheme()); ++i)
        path = lookupIn(m_themes[i], name, hashes, px);
    // Unthemed icons lie directly in the search paths (/usr/share/pixmaps).
    for (qsizetype i = 0; path.isEmpty() && i < m_searchPaths.size(); ++i)
        path = findIn(m_searchPathFiles[size_t(i)], m_searchPaths.at(i), name, hashes);
    m_found.insert(cacheKey, path);
    return path;
}

QImage IconTheme::icon(const QString &name, int px)
{
    const QString path = findIcon(name, px);
    return path.isEmpty() ? QImage() : readIcon(path, px);
}

QImage IconTheme::readIcon(const QString &path, int px)
{
    if (path.isEmpty() || px < 1)
        return {};
    const QString cacheKey = path + QLatin1Char('@') + QString::number(px);
    if (const auto cached = m_images.constFind(cacheKey); cached != m_images.constEnd())
        return *cached;

    // Icon paths come from launchers too, and a launcher may name a FIFO.
    const SafeFile::Result file = SafeFile::read(path, SafeFile::imageCap);
    QBuffer buffer;
    buffer.setData(file.data);
    buffer.open(QIODevice::ReadOnly);
    const std::unique_ptr<QImageReader> reader = IconImage::readerFor(&buffer, formatHint(path));
    if (isVectorFormat(reader->format())) {
        const QSize natural = reader->size();
        if (natural.isValid() && !natural.isEmpty())
            reader->setScaledSize(natural.scaled(px, px, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    const QImage image = IconImage::fitToSquare(IconImage::cropCornerIcon(reader->read()), px);

    if (m_imageBytes + image.sizeInBytes() > maxCachedImageBytes) {
        m_images.clear();
        m_imageBytes = 0;
    }
    m_images.insert(cacheKey, image);
    m_imageBytes += image.sizeInBytes();
    return image;
}
