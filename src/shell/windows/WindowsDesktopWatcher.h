#pragma once

#include "shell/DesktopWatcher.h"

#include <QStringList>

#include <windows.h>

// Follows the shell's change notifications for the desktop (or a folder) with
// a message-only window that the shell posts to, on the thread that made it.
// The desktop's two folders on disk are watched by the file system as well.
class QFileSystemWatcher;

class WindowsDesktopWatcher : public DesktopWatcher
{
    Q_OBJECT

public:
    // The folders by their paths in the shell's form; none means the desktop,
    // whose user and public folders are then watched besides the namespace.
    explicit WindowsDesktopWatcher(const QStringList &folders, QObject *parent = nullptr);
    ~WindowsDesktopWatcher() override;

    // Whether the shell accepted the registration.
    bool isWatching() const { return m_registration != 0; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    QFileSystemWatcher *m_folders = nullptr;
    HWND m_window = nullptr;
    ULONG m_registration = 0;
};
