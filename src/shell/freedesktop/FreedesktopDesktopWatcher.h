#pragma once

#include "shell/DesktopWatcher.h"

#include <QByteArray>
#include <QHash>

class QSocketNotifier;

// Watches a folder (the desktop's, or a folder panel's) through inotify: entries appearing, going away or
// being renamed, files written in place (a launcher edited, a picture
// overwritten, the ".hidden" list changed) and attribute changes (a launcher
// made executable). While the folder does not exist, its nearest existing
// parent is watched, and the folder's watch is armed again when it appears.
class FreedesktopDesktopWatcher : public DesktopWatcher
{
    Q_OBJECT

public:
    // The folder by its exact bytes, which need not be valid text.
    explicit FreedesktopDesktopWatcher(const QByteArray &folder, QObject *parent = nullptr);
    ~FreedesktopDesktopWatcher() override;

private:
    void arm();
    void disarm();
    void readEvents();

    QByteArray m_folder;
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    // The watch on the folder itself, or -1 while a parent stands in for it.
    int m_folderWatch = -1;
    // The parent being watched, and the name in it that leads to the folder.
    int m_parentWatch = -1;
    QByteArray m_awaitedName;
};
