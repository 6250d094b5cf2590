#include "panelset/QuickHide.h"

#include "base/Settings.h"
#include "panelset/PanelSet.h"
#include "shell/DesktopClickWatcher.h"
#include "shell/ShellDesktop.h"

QuickHide::QuickHide(DesktopClickWatcher *watcher, PanelSet *panels, ShellDesktop *shell, QObject *parent)
    : QObject(parent)
    , m_watcher(watcher)
    , m_shell(shell)
{
    connect(m_watcher, &DesktopClickWatcher::desktopDoubleClicked, panels, &PanelSet::toggleAll);
    connect(m_shell, &ShellDesktop::hiddenChanged, this, &QuickHide::follow);
    connect(Settings::instance(), &Settings::changed, this, [this](const QString &key) {
        if (key == SettingsKeys::desktopQuickHide)
            follow();
    });
    follow();
}

void QuickHide::follow()
{
    m_watcher->setDesktopIconsShown(!m_shell->isHidden());
    m_watcher->setWatching(Settings::instance()->value(SettingsKeys::desktopQuickHide).toBool());
}
