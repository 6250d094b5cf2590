#pragma once

#include "shell/DesktopIconSwitch.h"

#include <QVariant>

#include <optional>

// xfdesktop's icon switch: "/desktop-icons/style" of the xfconf channel
// "xfce4-desktop" (0 = no icons). Hiding remembers what was there, so showing
// puts back exactly that, removing the property when it was absent.
class XfconfIconSwitch final : public DesktopIconSwitch
{
public:
    // xfconfd and xfdesktop answer on the session bus (which may be shared with
    // another session: whether xfdesktop runs in this one is asked apart).
    static bool isReachable();

    bool iconsHiddenNow() override;
    bool toggle() override;
    bool showDirectly() override;

private:
    // What the last hide replaced: nullopt before any hide; an invalid QVariant
    // when the property was absent.
    std::optional<QVariant> m_replaced;
};
