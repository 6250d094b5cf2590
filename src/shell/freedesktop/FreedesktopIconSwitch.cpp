#include "shell/freedesktop/FreedesktopIconSwitch.h"

FreedesktopIconSwitch::FreedesktopIconSwitch()
{
    m_gsettings.emplace_back(QStringLiteral("org.nemo.desktop"), QStringLiteral("nemo-desktop"));
    m_gsettings.emplace_back(QStringLiteral("org.mate.background"), QStringLiteral("caja"));
    m_gsettings.emplace_back(QStringLiteral("org.gnome.desktop.background"), QStringLiteral("nautilus"));
}

DesktopIconSwitch *FreedesktopIconSwitch::reachable()
{
    if (XfconfIconSwitch::isReachable())
        return &m_xfconf;
    const QSet<QString> running = GSettingsIconSwitch::runningProcesses();
    for (GSettingsIconSwitch &candidate : m_gsettings) {
        if (candidate.isReachable(running))
            return &candidate;
    }
    return nullptr;
}

bool FreedesktopIconSwitch::iconsHiddenNow()
{
    DesktopIconSwitch *target = m_used ? m_used : reachable();
    return target && target->iconsHiddenNow();
}

bool FreedesktopIconSwitch::toggle()
{
    DesktopIconSwitch *target = m_used ? m_used : reachable();
    if (!target || !target->toggle())
        return false;
    m_used = target->iconsHiddenNow() ? target : nullptr;
    return true;
}

bool FreedesktopIconSwitch::showDirectly()
{
    DesktopIconSwitch *target = m_used ? m_used : reachable();
    m_used = nullptr;
    return target && target->showDirectly();
}
