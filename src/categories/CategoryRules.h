#pragma once

#include <QList>
#include <QString>

// The ten kinds of desktop item; each is also a built-in panel.
enum Category : int
{
    SystemCategory = 0,
    FoldersCategory = 1,
    AppsCategory = 2,
    DocumentsCategory = 3,
    ImagesCategory = 4,
    AudioCategory = 5,
    VideoCategory = 6,
    ArchivesCategory = 7,
    CodeCategory = 8,
    OtherCategory = 9,
};

inline constexpr int categoryCount = 10;

// Category of an item from its folder flag and parsing name (a path, or "::{CLSID}"
// for a virtual item). User rules from categories.ini win over the built-in table.
int categorize(bool isFolder, const QString &parsingName);

// Stable id ("documents"); numbers outside 0-9 give "other".
QString categoryId(int category);

// Translated title ("Documents"); numbers outside 0-9 give Other's title.
QString categoryTitle(int category);

// Number of an id; the text is trimmed and lower-cased. Unknown ids give Other with *ok false.
int categoryFromId(const QString &id, bool *ok = nullptr);

// Re-reads categories.ini, writing the commented template when it is missing.
void loadCategoryRules();

QString categoriesFilePath();

// The categories 0-9 in their canonical order.
QList<int> allCategories();

// The text written as categories.ini when the file does not exist.
QByteArray categoriesTemplate();
