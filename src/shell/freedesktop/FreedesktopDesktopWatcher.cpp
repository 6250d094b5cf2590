#include "FreedesktopDesktopWatcher.h"

#include <QFileInfo>

FreedesktopDesktopWatcher::FreedesktopDesktopWatcher(const QString &folder, QObject *parent)
    : DesktopWatcher(parent)
    , m_folder(folder)
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FreedesktopDesktopWatcher::onChanged);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FreedesktopDesktopWatcher::onChanged);
    watchExisting();
}

FreedesktopDesktopWatcher::~FreedesktopDesktopWatcher() = default;

void FreedesktopDesktopWatcher::watchExisting()
{
    // The folder's watch reports ".hidden" appearing or being replaced, but not
    // edits in place; and a replaced file loses its watch. So both are armed
    // again after every change.
    if (m_folder.isEmpty())
        return;
    const QStringList watched = m_watcher.directories() + m_watcher.files();
    const QString hiddenList = m_folder + QLatin1String("/.hidden");
    for (const QString &path : {m_folder, hiddenList}) {
        if (!watched.contains(path) && QFileInfo::exists(path))
            m_watcher.addPath(path);
    }
}

void FreedesktopDesktopWatcher::onChanged()
{
    watchExisting();
    Q_EMIT changed();
}
