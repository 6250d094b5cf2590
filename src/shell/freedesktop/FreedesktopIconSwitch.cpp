#include "shell/freedesktop/FreedesktopIconSwitch.h"

#include "shell/freedesktop/GSettingsIconSwitch.h"
#include "shell/freedesktop/GnomeExtensionIconSwitch.h"
#include "shell/freedesktop/OwnEnvironment.h"
#include "shell/freedesktop/PcmanfmIconSwitch.h"
#include "shell/freedesktop/PlasmaIconSwitch.h"
#include "shell/freedesktop/XfconfIconSwitch.h"

#include <QProcess>

namespace {

// Caja's desktop with the user's environment, detached: it outlives this program.
void startCajaDesktop()
{
    QProcess caja;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const OwnEnvironment::UserValue &each : OwnEnvironment::userValues()) {
        if (each.wasSet)
            environment.insert(QString::fromLocal8Bit(each.name), QString::fromLocal8Bit(each.value));
        else
            environment.remove(QString::fromLocal8Bit(each.name));
    }
    caja.setProcessEnvironment(environment);
    caja.setProgram(QStringLiteral("caja"));
    // Outside a MATE session Caja draws the desktop only when told to.
    caja.setArguments({QStringLiteral("--no-default-window"), QStringLiteral("--force-desktop")});
    caja.setStandardOutputFile(QProcess::nullDevice());
    caja.setStandardErrorFile(QProcess::nullDevice());
    caja.startDetached();
}

} // namespace

FreedesktopIconSwitch::FreedesktopIconSwitch(std::vector<Desktop> desktops, ProcessTable processes,
                                             SessionProcesses::Environment own)
    : m_desktops(std::move(desktops))
    , m_processes(std::move(processes))
    , m_own(std::move(own))
{}

std::unique_ptr<FreedesktopIconSwitch>
FreedesktopIconSwitch::forThisSession(ProcessTable processes, SessionProcesses::Environment session)
{
    std::vector<Desktop> desktops;
    // xfconfd and xfdesktop's bus name may belong to another session of the
    // user's on a shared bus: only an xfdesktop of this session draws these icons.
    desktops.push_back({std::make_unique<XfconfIconSwitch>(),
                        QStringLiteral("xfdesktop"),
                        &XfconfIconSwitch::isReachable,
                        {},
                        {}});
    const QString showKey = QStringLiteral("show-desktop-icons");
    auto add = [&desktops](std::unique_ptr<GSettingsIconSwitch> iconSwitch, const char *process,
                           std::function<void()> restart) {
        GSettingsIconSwitch *own = iconSwitch.get();
        std::function<bool()> stoppedByUs;
        if (restart)
            stoppedByUs = [own] {
                return own->hidByUs();
            };
        desktops.push_back({std::move(iconSwitch), QLatin1StringView(process),
                            [own] { return own->isInstalled(); }, std::move(stoppedByUs),
                            std::move(restart)});
    };
    // Nemo hides its icons, and keeps its desktop window, with no icons on any monitor.
    add(std::make_unique<GSettingsIconSwitch>(QStringLiteral("org.nemo.desktop"),
                                              QStringLiteral("desktop-layout"),
                                              QStringLiteral("false::false")),
        "nemo-desktop", {});
    // Caja ends when its icons are hidden, and showing them does not bring it back.
    add(std::make_unique<GSettingsIconSwitch>(QStringLiteral("org.mate.background"), showKey), "caja",
        &startCajaDesktop);
    // GNOME Shell draws the icons through an extension since 3.28; Nautilus before that.
    auto gnome = std::make_unique<GnomeExtensionIconSwitch>();
    GnomeExtensionIconSwitch *gnomeSwitch = gnome.get();
    desktops.push_back({std::move(gnome),
                        QStringLiteral("gnome-shell"),
                        [gnomeSwitch] { return gnomeSwitch->isReachable(); },
                        {},
                        {}});
    add(std::make_unique<GSettingsIconSwitch>(QStringLiteral("org.gnome.desktop.background"), showKey),
        "nautilus", {});
    auto plasma = std::make_unique<PlasmaIconSwitch>();
    PlasmaIconSwitch *plasmaSwitch = plasma.get();
    desktops.push_back({std::move(plasma),
                        QStringLiteral("plasmashell"),
                        [plasmaSwitch] { return plasmaSwitch->isReachable(); },
                        {},
                        {}});
    desktops.push_back(
        {std::make_unique<PcmanfmIconSwitch>(), QString(), &PcmanfmIconSwitch::isReachable, {}, {}});
    return std::make_unique<FreedesktopIconSwitch>(std::move(desktops), std::move(processes),
                                                   std::move(session));
}

QSet<QString> FreedesktopIconSwitch::namesInSession() const
{
    QSet<QString> names;
    for (const Desktop &desktop : m_desktops)
        names.insert(desktop.process);
    return SessionProcesses::namesInSession(m_processes(names), m_own);
}

FreedesktopIconSwitch::Desktop *FreedesktopIconSwitch::reachable()
{
    // The process table is read only when a desktop needs it, once per look.
    std::optional<QSet<QString>> inSession;
    for (Desktop &desktop : m_desktops) {
        if (!desktop.process.isEmpty()) {
            if (!inSession)
                inSession = namesInSession();
            if (!inSession->contains(desktop.process) && !(desktop.stoppedByUs && desktop.stoppedByUs()))
                continue;
        }
        if (!desktop.reachable || desktop.reachable())
            return &desktop;
    }
    return nullptr;
}

void FreedesktopIconSwitch::restartIfGone(Desktop *desktop) const
{
    if (desktop && desktop->restart && !namesInSession().contains(desktop->process))
        desktop->restart();
}

bool FreedesktopIconSwitch::iconsHiddenNow()
{
    Desktop *target = m_used ? m_used : reachable();
    return target && target->iconSwitch->iconsHiddenNow();
}

void FreedesktopIconSwitch::toggled(Desktop *target)
{
    const bool hidden = target->iconSwitch->iconsHiddenNow();
    m_used = hidden ? target : nullptr;
    if (!hidden)
        restartIfGone(target);
}

bool FreedesktopIconSwitch::toggle()
{
    Desktop *target = m_used ? m_used : reachable();
    if (!target || !target->iconSwitch->toggle())
        return false;
    toggled(target);
    return true;
}

void FreedesktopIconSwitch::toggleLater(Done done)
{
    Desktop *target = m_used ? m_used : reachable();
    if (!target)
        return done(false);
    target->iconSwitch->toggleLater([this, target, done = std::move(done)](bool ok) {
        if (ok)
            toggled(target);
        done(ok);
    });
}

void FreedesktopIconSwitch::finish(QDeadlineTimer deadline)
{
    for (Desktop &desktop : m_desktops)
        desktop.iconSwitch->finish(deadline);
}

bool FreedesktopIconSwitch::showDirectly()
{
    Desktop *target = m_used ? m_used : reachable();
    m_used = nullptr;
    if (!target || !target->iconSwitch->showDirectly())
        return false;
    restartIfGone(target);
    return true;
}

bool FreedesktopIconSwitch::found()
{
    return m_used || reachable();
}
