#pragma once

#include "shell/DesktopWatcher.h"

#include <QFileSystemWatcher>

// Watches the desktop folder and its ".hidden" file through inotify.
class FreedesktopDesktopWatcher : public DesktopWatcher
{
    Q_OBJECT

public:
    explicit FreedesktopDesktopWatcher(const QString &folder, QObject *parent = nullptr);
    ~FreedesktopDesktopWatcher() override;

private:
    void watchExisting();
    void onChanged();

    QString m_folder;
    QFileSystemWatcher m_watcher;
};
