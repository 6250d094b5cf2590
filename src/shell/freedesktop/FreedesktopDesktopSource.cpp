#include "FreedesktopDesktopSource.h"

#include "base/FileNotice.h"
#include "base/SafeFile.h"
#include "base/VirtualItem.h"
#include "base/l10n/L10nText.h"
#include "shell/IconImage.h"
#include "shell/freedesktop/FreedesktopDesktopWatcher.h"
#include "shell/freedesktop/IconTheme.h"
#include "shell/freedesktop/LauncherFile.h"
#include "shell/freedesktop/Xfconf.h"
#include "shell/freedesktop/XfconfWatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPixmap>
#include <QStandardPaths>

#include <unistd.h>

namespace {

const QString desktopChannel = QStringLiteral("xfce4-desktop");
const QString fileManagerChannel = QStringLiteral("thunar");
const QString showHiddenProperty = QStringLiteral("/last-show-hidden");

// The desktop's switches for the virtual items, by their parsing names.
struct VirtualItemSwitch
{
    QString property;
    QString parsingName;
};

QList<VirtualItemSwitch> virtualItemSwitches()
{
    return {
        {QStringLiteral("/desktop-icons/file-icons/show-home"), FreedesktopDesktopSource::homeParsingName()},
        {QStringLiteral("/desktop-icons/file-icons/show-filesystem"),
         FreedesktopDesktopSource::computerParsingName()},
        {QStringLiteral("/desktop-icons/file-icons/show-trash"),
         FreedesktopDesktopSource::trashParsingName()},
    };
}

bool flag(const XfconfWatch *xfconf, const QString &channel, const QString &property, bool fallback)
{
    const std::optional<QVariant> value = xfconf ? xfconf->value(channel, property) : std::nullopt;
    return value && value->canConvert<bool>() ? value->toBool() : fallback;
}

// Names listed in the folder's ".hidden" file, one per line, as file managers keep them.
QSet<QString> hiddenNames(const QByteArray &folder)
{
    QSet<QString> names;
    const SafeFile::Result file = SafeFile::read(folder + "/.hidden", SafeFile::textCap);
    if (!file.ok())
        return names;
    const QList<QByteArray> lines = file.data.split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            names.insert(QFile::decodeName(line));
    }
    return names;
}

} // namespace

FreedesktopDesktopSource::FreedesktopDesktopSource(const QString &desktopFolder)
    : m_desktopFolder(desktopFolder)
{
    // Never start a bus of our own just to find no Xfce there.
    if (Xfconf::sessionBusConfigured())
        m_bus = QDBusConnection::sessionBus();
}

FreedesktopDesktopSource::FreedesktopDesktopSource(const QString &desktopFolder, const QDBusConnection &bus)
    : m_desktopFolder(desktopFolder)
    , m_bus(bus)
{}

XfconfWatch *FreedesktopDesktopSource::xfconf() const
{
    if (!m_xfconf && m_bus) {
        QList<XfconfWatch::Key> keys{{fileManagerChannel, showHiddenProperty}};
        const QList<VirtualItemSwitch> switches = virtualItemSwitches();
        for (const VirtualItemSwitch &entry : switches)
            keys.append({desktopChannel, entry.property});
        m_xfconf = std::make_unique<XfconfWatch>(*m_bus, keys);
    }
    return m_xfconf.get();
}

FreedesktopDesktopSource::~FreedesktopDesktopSource() = default;

std::unique_ptr<FreedesktopDesktopSource> FreedesktopDesktopSource::forFolder(const QByteArray &folder)
{
    auto source = std::make_unique<FreedesktopDesktopSource>(QFile::decodeName(folder));
    source->m_otherFolder = folder;
    return source;
}

QByteArray FreedesktopDesktopSource::folderPath() const
{
    return m_otherFolder.isEmpty() ? QFile::encodeName(desktopFolder()) : m_otherFolder;
}

QString FreedesktopDesktopSource::desktopFolder() const
{
    return m_desktopFolder.isEmpty() ? userDesktopFolder() : m_desktopFolder;
}

QString FreedesktopDesktopSource::userDesktopFolder()
{
    const QString userDirs = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                             QLatin1String("/user-dirs.dirs");
    const QFileInfo info(userDirs);
    if ((info.exists() || info.isSymLink()) && !SafeFile::isRegularFile(userDirs)) {
        FileNotice::ignored(userDirs,
                            QStringLiteral("it is not a regular file; the desktop folder is ~/Desktop"));
        return QDir::homePath() + QLatin1String("/Desktop");
    }
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString FreedesktopDesktopSource::parsingName(const QByteArray &path)
{
    const QString decoded = QFile::decodeName(path);
    if (QFile::encodeName(decoded) == path)
        return decoded;
    // Decoding turns every byte that is not UTF-8 into U+FFFD, so two such names
    // would share one key. This form keeps the bytes: segments that are text stay
    // readable (with "%" escaped), the others are percent-encoded, and a prefix
    // no path or virtual item starts with keeps it apart from them all.
    QString result = QStringLiteral("::raw:");
    const QList<QByteArray> segments = path.split('/');
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (i > 0)
            result += QLatin1Char('/');
        const QByteArray &segment = segments.at(i);
        const QString text = QFile::decodeName(segment);
        if (QFile::encodeName(text) == segment)
            result += QString(text).replace(QLatin1Char('%'), QLatin1String("%25"));
        else
            result += QString::fromLatin1(segment.toPercentEncoding());
    }
    return result;
}

QString FreedesktopDesktopSource::homeParsingName()
{
    return QStringLiteral("::{59031A47-3F72-44A7-89C5-5595FE6B30EE}");
}

QString FreedesktopDesktopSource::computerParsingName()
{
    return QStringLiteral("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
}

QString FreedesktopDesktopSource::trashParsingName()
{
    return QStringLiteral("::{645FF040-5081-101B-9F08-00AA002F954E}");
}

QString FreedesktopDesktopSource::trashFilesFolder()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QLatin1String("/.local/share");
    return dataHome + QLatin1String("/Trash/files");
}

bool FreedesktopDesktopSource::showsHiddenFiles() const
{
    return flag(xfconf(), fileManagerChannel, showHiddenProperty, false);
}

QSet<QString> FreedesktopDesktopSource::hiddenVirtualItems() const
{
    QSet<QString> hidden;
    const XfconfWatch *settings = xfconf();
    if (!settings || !settings->isRunning())
        return hidden;
    const QList<VirtualItemSwitch> switches = virtualItemSwitches();
    for (const VirtualItemSwitch &entry : switches) {
        if (!flag(settings, desktopChannel, entry.property, true))
            hidden.insert(VirtualItem::clsid(entry.parsingName));
    }
    return hidden;
}

bool FreedesktopDesktopSource::enumerate(bool includeHidden, QList<DesktopEntry> &out)
{
    const QByteArray folder = folderPath();
    // The folder read early is used once, and only while it still holds what was read.
    FolderListing listing;
    if (m_early.valid()) {
        listing = m_early.get();
        if (listing.folder != folder || !DesktopFolderReader::isCurrent(listing))
            listing = {};
    }
    if (!listing.ok && !folder.isEmpty())
        listing = DesktopFolderReader::read(folder);

    QList<DesktopEntry> &entries = listing.entries;
    if (listing.ok && !includeHidden) {
        const QSet<QString> hidden = hiddenNames(listing.folder);
        entries.removeIf([&hidden](const DesktopEntry &entry) {
            return entry.displayName.startsWith(QLatin1Char('.')) || hidden.contains(entry.displayName);
        });
    }
    const QString localeName = QLocale().name();
    for (DesktopEntry &entry : entries) {
        // Only a launcher the user trusts (executable) may choose its own name;
        // others show their file name, so a file cannot pose as another.
        if (entry.isFolder || !entry.displayName.endsWith(QLatin1String(".desktop")))
            continue;
        const QByteArray file = entry.handle();
        if (::access(file.constData(), X_OK) == 0) {
            const LauncherFile launcher = LauncherFile::read(file, localeName);
            if (launcher.valid)
                entry.displayName = launcher.name;
        }
    }
    // A crowded desktop's list is handed over whole rather than copied.
    if (out.isEmpty()) {
        out = std::move(entries);
    } else {
        out.reserve(out.size() + entries.size());
        for (DesktopEntry &entry : entries)
            out.append(std::move(entry));
    }
    if (!m_otherFolder.isEmpty())
        return listing.ok;

    // Named in the program's own language, so that they follow a change of it
    // like every other text. Asking GVfs instead gave the session's language,
    // and loaded GIO's modules and woke its daemons at every start.
    const QString computer = L10n::text(QT_TRANSLATE_NOOP("Brimvale", "Computer"));
    const QString trash = L10n::text(QT_TRANSLATE_NOOP("Brimvale", "Trash"));
    out.append({homeParsingName().toUtf8(), homeParsingName(),
                L10n::text(QT_TRANSLATE_NOOP("Brimvale", "Home")), QString(), true});
    out.append({computerParsingName().toUtf8(), computerParsingName(), computer, QString(), true});
    out.append({trashParsingName().toUtf8(), trashParsingName(), trash, QString(), true});
    return listing.ok;
}

void FreedesktopDesktopSource::useEarlyListing(std::future<FolderListing> listing)
{
    m_early = std::move(listing);
}

QIcon FreedesktopDesktopSource::genericIcon(bool folder, int size, qreal ratio) const
{
    const int px = IconImage::pixelSize(size, ratio);
    if (px < 1)
        return {};
    // The theme is chosen once, so the same question has the same answer.
    for (const GenericIcon &known : std::as_const(m_genericIcons)) {
        if (known.folder == folder && known.px == px && known.ratio == ratio)
            return known.icon;
    }
    if (!m_iconTheme)
        m_iconTheme = std::make_unique<IconTheme>(IconTheme::userThemeName());
    QImage image =
        m_iconTheme->icon(folder ? QStringLiteral("folder") : QStringLiteral("text-x-generic"), px);
    if (image.isNull() && !folder)
        image = m_iconTheme->icon(QStringLiteral("unknown"), px);
    QIcon icon;
    if (!image.isNull()) {
        QPixmap pixmap = QPixmap::fromImage(image);
        pixmap.setDevicePixelRatio(ratio);
        icon = QIcon(pixmap);
    }
    // Only the sizes of the last reloads are kept: a folder and a file icon each.
    if (m_genericIcons.size() >= 4)
        m_genericIcons.removeFirst();
    m_genericIcons.append({folder, px, ratio, icon});
    return icon;
}

std::unique_ptr<DesktopWatcher> FreedesktopDesktopSource::createWatcher() const
{
    auto watcher = std::make_unique<FreedesktopDesktopWatcher>(
        m_otherFolder.isEmpty() ? QFile::encodeName(QDir::cleanPath(desktopFolder())) : m_otherFolder);
    // The desktop's own switches for hidden files and virtual items change what is listed.
    if (XfconfWatch *settings = xfconf())
        QObject::connect(settings, &XfconfWatch::changed, watcher.get(), &DesktopWatcher::changed);
    return watcher;
}
