#pragma once

#include "shell/PlatformLook.h"

#include <QList>
#include <QObject>

class AutostartControl;
class DesktopModel;
class PanelSet;
class QAction;
class QActionGroup;
class QMenu;
class QSystemTrayIcon;
class SettingsWindow;
class ShellDesktop;

// The program's handle in the tray while the panels are out of the way: a left
// click puts all panels away or brings them back, the tooltip counts the
// desktop's items, the menu reaches the whole set's commands and the settings
// window, and balloons tell the user what happened behind their back.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    static constexpr int noticeMs = 10000;

    TrayIcon(PanelSet *panels, DesktopModel *model, ShellDesktop *shell, AutostartControl *autostart,
             const PlatformLook &look, QObject *parent = nullptr);
    ~TrayIcon() override;

    // Entries of the "Tools" submenu (to-do list, currency converter); the
    // submenu shows only when there are some.
    void setToolActions(const QList<QAction *> &actions);
    // Checkable entries the panel menus offer too, shown above "Settings…".
    void setSharedActions(const QList<QAction *> &actions);
    // Entries added below "Tidy panels" in the "Layout" submenu (saving and restoring layouts).
    void setLayoutActions(const QList<QAction *> &actions);

    QSystemTrayIcon *tray() const { return m_tray; }
    QMenu *menu() const { return m_menu; }
    SettingsWindow *settingsWindow() const { return m_settings; }

    void updateToolTip(int count);
    void refreshMenu();
    void showSettings();

    void showAutostartNotice();
    // At most once per run: the last panel was closed, the program goes on.
    void showStillRunningNotice();
    void showAutostartFailedNotice();
    void showNotice(const QString &title, const QString &text);

Q_SIGNALS:
    void quitRequested();

private:
    void buildMenu();
    void retranslate();
    QMenu *addSubmenu(QMenu *parent, const char *title);

    PanelSet *m_panels;
    DesktopModel *m_model;
    ShellDesktop *m_shell;
    AutostartControl *m_autostart;
    PlatformLook m_look;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_toggleAction = nullptr;
    QMenu *m_toolsMenu = nullptr;
    QAction *m_lockAction = nullptr;
    QAction *m_tidyAction = nullptr;
    QMenu *m_layoutMenu = nullptr;
    QAction *m_layoutSeparator = nullptr;
    QList<QAction *> m_layoutActions;
    QActionGroup *m_iconSizes = nullptr;
    QAction *m_settingsAction = nullptr;
    QList<QAction *> m_sharedActions;
    SettingsWindow *m_settings = nullptr;
    bool m_stillRunningShown = false;
};
