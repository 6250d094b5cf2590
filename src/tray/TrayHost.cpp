#include "tray/TrayHost.h"

#include "panelset/PanelSet.h"
#include "tray/TrayIcon.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>

TrayHost::TrayHost(PanelSet *panels, DesktopModel *model, ShellDesktop *shell, AutostartControl *autostart,
                   const PlatformLook &look, QObject *parent)
    : QObject(parent)
    , m_panels(panels)
    , m_model(model)
    , m_shell(shell)
    , m_autostart(autostart)
    , m_look(look)
    , m_isAvailable(&QSystemTrayIcon::isSystemTrayAvailable)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(checkIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &TrayHost::check);
    // Panels hide to the tray only while there is one; a host that went away
    // since the last look must not leave the program running unseen.
    connect(m_panels, &PanelSet::allHidden, this, [this] {
        check();
        if (!m_available)
            Q_EMIT quitRequested();
    });
}

TrayHost::~TrayHost() = default;

void TrayHost::setAvailabilityCheck(std::function<bool()> check)
{
    m_isAvailable = std::move(check);
}

void TrayHost::setToolActions(const QList<QAction *> &actions)
{
    m_toolActions = actions;
    if (m_icon)
        m_icon->setToolActions(actions);
}

void TrayHost::setSharedActions(const QList<QAction *> &actions)
{
    m_sharedActions = actions;
    if (m_icon)
        m_icon->setSharedActions(actions);
}

void TrayHost::setLayoutActions(const QList<QAction *> &actions)
{
    m_layoutActions = actions;
    if (m_icon)
        m_icon->setLayoutActions(actions);
}

void TrayHost::announceAutostart()
{
    m_announce = true;
    check();
}

void TrayHost::showProgram()
{
    if (!m_panels->anyPanelVisible())
        m_panels->showAll(true);
    if (m_icon)
        m_icon->showSettings();
    else
        m_panels->showAll(true);
}

void TrayHost::start()
{
    check();
    m_timer->start();
}

void TrayHost::check()
{
    const bool available = m_isAvailable();
    if (available && !m_icon) {
        m_icon = std::make_unique<TrayIcon>(m_panels, m_model, m_shell, m_autostart, m_look);
        m_icon->setToolActions(m_toolActions);
        m_icon->setSharedActions(m_sharedActions);
        m_icon->setLayoutActions(m_layoutActions);
        connect(m_icon.get(), &TrayIcon::quitRequested, this, &TrayHost::quitRequested);
    }
    if (available && m_announce) {
        m_announce = false;
        m_icon->showAutostartNotice();
    }
    if (m_looked && available == m_available)
        return;
    m_looked = true;
    m_available = available;
    // The icon itself stays: Qt docks it again when a tray comes back.
    m_panels->setHideToTray(available);
    QApplication::setQuitOnLastWindowClosed(!available);
}
