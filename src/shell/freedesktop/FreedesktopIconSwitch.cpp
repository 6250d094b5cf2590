#include "shell/freedesktop/FreedesktopIconSwitch.h"

#include "shell/freedesktop/GSettingsIconSwitch.h"
#include "shell/freedesktop/PcmanfmIconSwitch.h"
#include "shell/freedesktop/XfconfIconSwitch.h"

FreedesktopIconSwitch::FreedesktopIconSwitch(std::vector<Desktop> desktops, ProcessTable processes,
                                             SessionProcesses::Environment own)
    : m_desktops(std::move(desktops))
    , m_processes(std::move(processes))
    , m_own(std::move(own))
{}

std::unique_ptr<FreedesktopIconSwitch> FreedesktopIconSwitch::forThisSession()
{
    std::vector<Desktop> desktops;
    desktops.push_back({std::make_unique<XfconfIconSwitch>(), QString(), &XfconfIconSwitch::isReachable});
    const std::pair<const char *, const char *> gsettings[] = {
        {"org.nemo.desktop", "nemo-desktop"},
        {"org.mate.background", "caja"},
        {"org.gnome.desktop.background", "nautilus"},
    };
    for (const auto &[schema, process] : gsettings) {
        auto iconSwitch = std::make_unique<GSettingsIconSwitch>(QLatin1StringView(schema));
        const GSettingsIconSwitch *installed = iconSwitch.get();
        desktops.push_back({std::move(iconSwitch), QLatin1StringView(process), [installed] {
                                return installed->isInstalled();
                            }});
    }
    desktops.push_back({std::make_unique<PcmanfmIconSwitch>(), QString(), &PcmanfmIconSwitch::isReachable});
    return std::make_unique<FreedesktopIconSwitch>(std::move(desktops), &SessionProcesses::read,
                                                   SessionProcesses::own());
}

DesktopIconSwitch *FreedesktopIconSwitch::reachable()
{
    // The process table is read only when a desktop needs it, once per look.
    std::optional<QSet<QString>> inSession;
    for (Desktop &desktop : m_desktops) {
        if (!desktop.process.isEmpty()) {
            if (!inSession) {
                QSet<QString> names;
                for (const Desktop &other : m_desktops)
                    names.insert(other.process);
                inSession = SessionProcesses::namesInSession(m_processes(names), m_own);
            }
            if (!inSession->contains(desktop.process))
                continue;
        }
        if (!desktop.reachable || desktop.reachable())
            return desktop.iconSwitch.get();
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
