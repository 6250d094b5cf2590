#include "categories/CategoryRules.h"

#include "base/AppIdentity.h"
#include "base/AtomicSave.h"
#include "base/FileNotice.h"
#include "base/FileSuffix.h"
#include "base/SafeFile.h"
#include "base/StartupHold.h"
#include "base/VirtualItem.h"
#include "base/l10n/L10nText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QtDebug>

namespace {

struct CategoryInfo
{
    const char *id;
    const char *title;
};

constexpr CategoryInfo categoryInfos[categoryCount] = {
    {"system", QT_TRANSLATE_NOOP("Brimvale", "System")},
    {"folders", QT_TRANSLATE_NOOP("Brimvale", "Folders")},
    {"apps", QT_TRANSLATE_NOOP("Brimvale", "Apps & Shortcuts")},
    {"documents", QT_TRANSLATE_NOOP("Brimvale", "Documents")},
    {"images", QT_TRANSLATE_NOOP("Brimvale", "Images")},
    {"audio", QT_TRANSLATE_NOOP("Brimvale", "Audio")},
    {"video", QT_TRANSLATE_NOOP("Brimvale", "Video")},
    {"archives", QT_TRANSLATE_NOOP("Brimvale", "Archives")},
    {"code", QT_TRANSLATE_NOOP("Brimvale", "Code")},
    {"other", QT_TRANSLATE_NOOP("Brimvale", "Other")},
};

const QHash<QString, int> &builtinExtensions()
{
    static const QHash<QString, int> table = [] {
        const struct
        {
            int category;
            const char *extensions;
        } rows[] = {
            // "desktop" is the launcher of freedesktop desktops, the shortcut of this platform.
            {AppsCategory, "exe lnk url appref-ms msi bat cmd com desktop"},
            {DocumentsCategory, "txt md rtf pdf doc docx odt xls xlsx csv ppt pptx epub one"},
            {ImagesCategory, "png jpg jpeg gif bmp webp svg ico tif tiff heic psd"},
            {AudioCategory, "mp3 wav flac m4a aac ogg wma"},
            {VideoCategory, "mp4 mkv avi mov wmv flv webm m4v"},
            {ArchivesCategory, "zip rar 7z tar gz bz2 xz iso cab"},
            {CodeCategory,
             "c h cpp hpp cs java py js ts go rs rb php pas ps1 sh json xml yml yaml html css sql"},
        };
        QHash<QString, int> hash;
        for (const auto &row : rows) {
            const QStringList extensions = QString::fromLatin1(row.extensions).split(QLatin1Char(' '));
            for (const QString &extension : extensions)
                hash.insert(extension, row.category);
        }
        return hash;
    }();
    return table;
}

struct CustomRules
{
    QHash<QString, int> extensions;
    bool loaded = false;
};

CustomRules &customRules()
{
    static CustomRules rules;
    return rules;
}

} // namespace

int categorize(bool isFolder, const QString &parsingName)
{
    CustomRules &rules = customRules();
    if (!rules.loaded)
        loadCategoryRules();
    if (VirtualItem::isVirtual(parsingName))
        return SystemCategory;
    const QString suffix = fileSuffix(parsingName);
    if (!suffix.isEmpty()) {
        if (const auto it = rules.extensions.constFind(suffix); it != rules.extensions.constEnd())
            return it.value();
        const QHash<QString, int> &builtin = builtinExtensions();
        if (const auto it = builtin.constFind(suffix); it != builtin.constEnd())
            return it.value();
    }
    return isFolder ? FoldersCategory : OtherCategory;
}

QString categoryId(int category)
{
    // Asked once per item at every reload: hand out shared strings, not new ones.
    static const QList<QString> ids = [] {
        QList<QString> list;
        for (const CategoryInfo &info : categoryInfos)
            list.append(QString::fromLatin1(info.id));
        return list;
    }();
    if (category < 0 || category >= categoryCount)
        category = OtherCategory;
    return ids.at(category);
}

QString categoryTitle(int category)
{
    if (category < 0 || category >= categoryCount)
        category = OtherCategory;
    return L10n::text(categoryInfos[category].title);
}

int categoryFromId(const QString &id, bool *ok)
{
    const QString wanted = id.trimmed().toLower();
    for (int category = 0; category < categoryCount; ++category) {
        if (wanted == QLatin1String(categoryInfos[category].id)) {
            if (ok)
                *ok = true;
            return category;
        }
    }
    if (ok)
        *ok = false;
    return OtherCategory;
}

QList<int> allCategories()
{
    QList<int> categories;
    for (int category = 0; category < categoryCount; ++category)
        categories.append(category);
    return categories;
}

QString categoriesFilePath()
{
    return AppIdentity::dataFile(QStringLiteral("categories.ini"));
}

QByteArray categoriesTemplate()
{
    return QByteArrayLiteral("; Larkspan - which panel a file lands in.\n"
                             ";\n"
                             "; Anything here wins over the built-in rules. Sections are panel names,\n"
                             "; extensions are comma separated and written without the dot.\n"
                             ";\n"
                             "; [images]\n"
                             "; extensions=psd, xcf\n"
                             ";\n"
                             "; [apps]\n"
                             "; extensions=jar\n"
                             ";\n"
                             "; Panels: system, folders, apps, documents, images, audio, video,\n"
                             ";         archives, code, other\n");
}

void loadCategoryRules()
{
    CustomRules &rules = customRules();
    rules.extensions.clear();
    rules.loaded = true;

    const QString path = categoriesFilePath();
    const QFileInfo info(path);
    if (info.exists()) {
        // A directory or an unreadable file simply has no rules; QSettings would
        // otherwise treat it as empty and we never write over what the user has.
        // A FIFO or device would block QSettings' read for good.
        if (!SafeFile::isRegularFile(path) || !info.isReadable()) {
            FileNotice::ignored(path, QStringLiteral("it is not a regular file or cannot be read;"
                                                     " only the built-in rules apply"));
            return;
        }
        QSettings ini(path, QSettings::IniFormat);
        const QStringList sections = ini.childGroups();
        for (const QString &section : sections) {
            bool ok = false;
            const int category = categoryFromId(section, &ok);
            if (!ok)
                continue;
            const QVariant value = ini.value(section + QLatin1String("/extensions"));
            const QStringList entries = value.typeId() == QMetaType::QStringList
                                            ? value.toStringList()
                                            : value.toString().split(QLatin1Char(','));
            for (const QString &entry : entries) {
                QString extension = entry.trimmed().toLower();
                extension.remove(QLatin1Char('.'));
                if (!extension.isEmpty())
                    rules.extensions.insert(extension, category);
            }
        }
        return;
    }

    // The template is for the user to find and edit; a start does not wait for
    // the disk to have it.
    StartupHold::whenReleased(nullptr, [path] {
        const QFileInfo now(path);
        // A link whose target is gone is the user's to mend, not ours to replace.
        if (now.exists() || now.isSymLink())
            return;
        const AtomicSave::Result saved = AtomicSave::save(path, categoriesTemplate());
        if (!saved)
            qWarning().noquote()
                << QStringLiteral("Cannot write the category rules template: %1").arg(saved.error);
    });
}
