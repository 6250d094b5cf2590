#include "tray/TrayIcon.h"

#include "base/l10n/L10n.h"
#include "look/AppStyle.h"
#include "panels/PanelMetrics.h"
#include "panelset/PanelSet.h"
#include "shell/DesktopModel.h"
#include "shell/ShellDesktop.h"
#include "tray/AppIcon.h"
#include "tray/AutostartControl.h"
#include "tray/SettingsWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QLocale>
#include <QMenu>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(PanelSet *panels, DesktopModel *model, ShellDesktop *shell, AutostartControl *autostart,
                   const PlatformLook &look, QObject *parent)
    : QObject(parent)
    , m_panels(panels)
    , m_model(model)
    , m_shell(shell)
    , m_autostart(autostart)
    , m_look(look)
{
    m_tray = new QSystemTrayIcon(trayAppIcon(), this);
    updateToolTip(m_panels->itemCount());
    buildMenu();
    L10n::onLanguageChanged(this, [this] { retranslate(); });
    m_tray->setContextMenu(m_menu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // Only a single left click; a right click opens the menu by itself.
        if (reason == QSystemTrayIcon::Trigger)
            m_panels->toggleAll();
    });
    connect(m_panels, &PanelSet::contentsChanged, this, &TrayIcon::updateToolTip);
    connect(m_panels, &PanelSet::allHidden, this, &TrayIcon::showStillRunningNotice);
    connect(m_panels, &PanelSet::layoutLockChanged, this, &TrayIcon::refreshMenu);
    connect(m_autostart, &AutostartControl::changeFailed, this, &TrayIcon::showAutostartFailedNotice);
    m_tray->setVisible(true);
}

TrayIcon::~TrayIcon()
{
    delete m_settings;
    delete m_menu;
}

QMenu *TrayIcon::addSubmenu(QMenu *parent, const char *title)
{
    QMenu *submenu = parent->addMenu(QString());
    L10n::bind(submenu, "title", title);
    submenu->setStyleSheet(AppStyle::menuStyleSheet());
    return submenu;
}

void TrayIcon::buildMenu()
{
    m_menu = new QMenu;
    m_menu->setStyleSheet(AppStyle::menuStyleSheet());

    // Its text says what a click does; refreshMenu keeps it current.
    m_toggleAction = m_menu->addAction(QString());
    connect(m_toggleAction, &QAction::triggered, m_panels, &PanelSet::toggleAll);

    m_toolsMenu = addSubmenu(m_menu, "Tools");
    m_toolsMenu->menuAction()->setVisible(false);
    m_menu->addSeparator();

    QMenu *layout = m_layoutMenu = addSubmenu(m_menu, "Layout");
    m_lockAction = layout->addAction(QString());
    L10n::bind(m_lockAction, "text", "Lock layout");
    m_lockAction->setCheckable(true);
    connect(m_lockAction, &QAction::triggered, m_panels, &PanelSet::setLayoutLocked);
    m_tidyAction = layout->addAction(QString());
    L10n::bind(m_tidyAction, "text", "Tidy panels");
    connect(m_tidyAction, &QAction::triggered, m_panels, &PanelSet::tidy);

    QMenu *appearance = addSubmenu(m_menu, "Appearance");
    QMenu *sizes = addSubmenu(appearance, "Icon size");
    m_iconSizes = new QActionGroup(sizes);
    for (const PanelMetrics::IconSizeChoice &choice : PanelMetrics::iconSizeChoices) {
        QAction *action = sizes->addAction(L10n::text(choice.name));
        action->setCheckable(true);
        action->setData(choice.pixels);
        m_iconSizes->addAction(action);
        const int pixels = choice.pixels;
        connect(action, &QAction::triggered, m_panels, [this, pixels] { m_panels->setIconSize(pixels); });
    }
    m_menu->addSeparator();

    QAction *reload = m_menu->addAction(QString());
    L10n::bind(reload, "text", "Refresh desktop icons");
    connect(reload, &QAction::triggered, m_model, &DesktopModel::reload);
    m_settingsAction = m_menu->addAction(QString());
    L10n::bind(m_settingsAction, "text", "Settings…");
    connect(m_settingsAction, &QAction::triggered, this, &TrayIcon::showSettings);
    m_menu->addSeparator();
    QAction *quit = m_menu->addAction(QString());
    L10n::bind(quit, "text", "Quit");
    connect(quit, &QAction::triggered, this, &TrayIcon::quitRequested);

    connect(m_menu, &QMenu::aboutToShow, this, &TrayIcon::refreshMenu);
    connect(m_toolsMenu, &QMenu::aboutToShow, this, &TrayIcon::refreshMenu);
    refreshMenu();
}

void TrayIcon::setToolActions(const QList<QAction *> &actions)
{
    m_toolsMenu->clear();
    m_toolsMenu->addActions(actions);
    m_toolsMenu->menuAction()->setVisible(!actions.isEmpty());
}

void TrayIcon::setSharedActions(const QList<QAction *> &actions)
{
    for (QAction *action : std::as_const(m_sharedActions))
        m_menu->removeAction(action);
    m_sharedActions = actions;
    m_menu->insertActions(m_settingsAction, actions);
}

void TrayIcon::setLayoutActions(const QList<QAction *> &actions)
{
    for (QAction *action : std::as_const(m_layoutActions))
        m_layoutMenu->removeAction(action);
    if (!m_layoutSeparator)
        m_layoutSeparator = m_layoutMenu->addSeparator();
    m_layoutActions = actions;
    m_layoutMenu->addActions(actions);
}

void TrayIcon::refreshMenu()
{
    m_toggleAction->setText(L10n::text(m_panels->anyPanelVisible() ? "Hide all panels" : "Show all panels"));
    const bool locked = m_panels->isLayoutLocked();
    m_lockAction->setChecked(locked);
    m_tidyAction->setEnabled(!locked);
    // A size none of the choices names leaves them all unchecked.
    m_iconSizes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction *action : m_iconSizes->actions())
        action->setChecked(action->data().toInt() == m_panels->iconSize());
    m_iconSizes->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    m_autostart->refresh();
}

void TrayIcon::retranslate()
{
    refreshMenu();
    updateToolTip(m_panels->itemCount());
    for (QAction *action : m_iconSizes->actions()) {
        for (const PanelMetrics::IconSizeChoice &choice : PanelMetrics::iconSizeChoices) {
            if (choice.pixels == action->data().toInt())
                action->setText(L10n::text(choice.name));
        }
    }
}

void TrayIcon::updateToolTip(int count)
{
    m_tray->setToolTip(L10n::text("Larkspan — Items: %1").arg(QLocale().toString(count)));
}

void TrayIcon::showSettings()
{
    if (!m_settings)
        m_settings = new SettingsWindow(m_shell, m_autostart, m_look);
    m_settings->refresh();
    m_settings->show();
    m_settings->raise();
    m_settings->activateWindow();
}

void TrayIcon::showNotice(const QString &title, const QString &text)
{
    m_tray->showMessage(title, text, m_tray->icon(), noticeMs);
}

void TrayIcon::showAutostartNotice()
{
    showNotice(L10n::text(m_look.words.startsAtSignInTitle),
               L10n::text("It will open at every sign-in. Right-click this icon to turn that off."));
}

void TrayIcon::showStillRunningNotice()
{
    if (m_stillRunningShown)
        return;
    m_stillRunningShown = true;
    showNotice(L10n::text("Larkspan is still running"),
               m_shell->isHidden()
                   ? L10n::text("The desktop icons are still hidden. Click the tray icon to bring "
                                "the panels back, or right-click it to quit.")
                   : L10n::text("Click the tray icon to bring the panels back, or right-click it to "
                                "quit."));
}

void TrayIcon::showAutostartFailedNotice()
{
    showNotice(L10n::text(m_look.words.autostartFailedTitle), L10n::text(m_look.words.autostartFailedText));
}
