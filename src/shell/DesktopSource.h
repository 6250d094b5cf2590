#pragma once

#include "shell/DesktopWatcher.h"

#include <QByteArray>
#include <QFile>
#include <QIcon>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>

// One entry of the desktop as the platform lists it.
struct DesktopEntry
{
    // Opaque handle that names the item for the icon worker and item actions;
    // read it through handle().
    QByteArray pidl;
    // Names the item for good and is its key: a path, or "::{CLSID}" for a
    // virtual item. Distinct items have distinct parsing names, also when their
    // file names are not valid text (the platform then chooses a form that
    // cannot be mistaken for a path).
    QString parsingName;
    // The name the desktop shows; may be empty.
    QString displayName;
    // File-system path, for showing and suffixes; empty for virtual items.
    QString path;
    bool isFolder = false;
    // The handle is the path's own bytes, and pidl is left empty: a crowded
    // desktop then holds each path once rather than twice.
    bool handleIsPath = false;

    QByteArray handle() const { return handleOf(pidl, handleIsPath, path); }
    // The rule for every holder of the three fields.
    static QByteArray handleOf(const QByteArray &pidl, bool handleIsPath, const QString &path)
    {
        return handleIsPath ? QFile::encodeName(path) : pidl;
    }
};

// Where the desktop's items come from: the platform's desktop namespace.
class DesktopSource
{
public:
    virtual ~DesktopSource() = default;

    // Whether the user's file manager shows hidden files.
    virtual bool showsHiddenFiles() const = 0;

    // Upper-cased "{CLSID}" texts of virtual items the desktop is set to hide.
    virtual QSet<QString> hiddenVirtualItems() const = 0;

    // Appends every desktop item to out. False when the desktop folder cannot be
    // read; entries listed until then stay in out.
    virtual bool enumerate(bool includeHidden, QList<DesktopEntry> &out) = 0;

    // The generic folder or file icon at size x ratio device pixels; null when none.
    virtual QIcon genericIcon(bool folder, int size, qreal ratio) const = 0;

    // Reports changes of what enumerate lists; none when the platform cannot
    // tell, and the desktop then changes only on explicit reloads.
    virtual std::unique_ptr<DesktopWatcher> createWatcher() const { return nullptr; }

    // The folder whose files are listed, by its exact bytes; empty where none is.
    virtual QByteArray folderPath() const { return {}; }
};
