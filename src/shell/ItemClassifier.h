#pragma once

#include <QString>

// Which kind an item is and which panel shows it. The model asks this while it
// reloads; the rules behind the answers (category table, user rules, the
// stored layout) belong to higher layers, which hand an implementation in.
class ItemClassifier
{
public:
    virtual ~ItemClassifier() = default;

    // Called once at the start of every reload, before the first item is
    // classified, so that rules edited on disk take effect.
    virtual void prepare() = 0;
    // Category number (0 or more) from the folder flag and the parsing name (a
    // path, or "::{CLSID}" for a virtual item).
    virtual int category(bool isFolder, const QString &parsingName) const = 0;
    // Panel id of an item with this key and category.
    virtual QString panelId(const QString &key, int category) const = 0;
};
