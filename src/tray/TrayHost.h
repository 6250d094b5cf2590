#pragma once

#include "shell/PlatformLook.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class AutostartControl;
class DesktopModel;
class PanelSet;
class QAction;
class QTimer;
class ShellDesktop;
class TrayIcon;

// Keeps the tray icon while the session offers a tray, and decides what
// closing the last panel means: with a tray the program goes on in the tray,
// without one (none at start, or its host went away) it asks to end. A tray
// that appears later gets the icon then.
class TrayHost : public QObject
{
    Q_OBJECT

public:
    static constexpr int checkIntervalMs = 2000;

    TrayHost(PanelSet *panels, DesktopModel *model, ShellDesktop *shell, AutostartControl *autostart,
             const PlatformLook &look, QObject *parent = nullptr);
    ~TrayHost() override;

    // Where the tray's availability is read (the system's by default).
    void setAvailabilityCheck(std::function<bool()> check);
    void setToolActions(const QList<QAction *> &actions);
    void setSharedActions(const QList<QAction *> &actions);
    void setLayoutActions(const QList<QAction *> &actions);
    // Shows the first-run notice, now or when a tray first appears.
    void announceAutostart();

    // The program was started again: panels put away come back, and the
    // settings window comes forward (the panels, when there is no tray icon).
    void showProgram();

    // Looks at the tray now and keeps looking.
    void start();
    bool hasTray() const { return m_available; }
    TrayIcon *trayIcon() const { return m_icon.get(); }

Q_SIGNALS:
    void quitRequested();

private:
    void check();

    PanelSet *m_panels;
    DesktopModel *m_model;
    ShellDesktop *m_shell;
    AutostartControl *m_autostart;
    PlatformLook m_look;
    std::function<bool()> m_isAvailable;
    std::unique_ptr<TrayIcon> m_icon;
    QList<QAction *> m_toolActions;
    QList<QAction *> m_sharedActions;
    QList<QAction *> m_layoutActions;
    QTimer *m_timer;
    bool m_looked = false;
    bool m_available = false;
    bool m_announce = false;
};
