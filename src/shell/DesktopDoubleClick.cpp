#include "shell/DesktopDoubleClick.h"

#include <cstdlib>

bool DesktopDoubleClick::isOnBareDesktop(const DesktopPress &press, bool desktopIconsShown)
{
    return press.button == 1 && (press.target == DesktopPress::Target::Root ||
                                 (press.target == DesktopPress::Target::Desktop && !desktopIconsShown));
}

bool DesktopDoubleClick::press(const DesktopPress &press, bool desktopIconsShown, int intervalMs,
                               int distance)
{
    if (!isOnBareDesktop(press, desktopIconsShown)) {
        m_first.reset();
        return false;
    }
    // Unsigned: a time stamp that wrapped around between the presses still
    // gives their distance, and one that went back gives a huge one.
    const bool completes = m_first && press.timeMs - m_first->timeMs < uint32_t(intervalMs) &&
                           std::abs(press.position.x() - m_first->position.x()) <= distance &&
                           std::abs(press.position.y() - m_first->position.y()) <= distance;
    if (completes)
        m_first.reset();
    else
        m_first = press;
    return completes;
}
