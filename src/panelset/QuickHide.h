#pragma once

#include <QObject>

class DesktopClickWatcher;
class PanelSet;
class ShellDesktop;

// A double-click on the bare desktop puts every panel and loose item away,
// and the next one brings them back, as a click on the tray icon does; while
// the user's switch is on. The watcher is told when the desktop draws its own
// icons, which then keep their double-clicks.
class QuickHide : public QObject
{
    Q_OBJECT

public:
    // Neither the watcher, the panels nor the shell are owned; all must outlive this.
    QuickHide(DesktopClickWatcher *watcher, PanelSet *panels, ShellDesktop *shell, QObject *parent = nullptr);

private:
    void follow();

    DesktopClickWatcher *m_watcher;
    ShellDesktop *m_shell;
};
