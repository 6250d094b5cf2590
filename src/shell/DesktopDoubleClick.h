#pragma once

#include <QPoint>

#include <cstdint>
#include <optional>

// One button press anywhere on the screen, as a desktop click watcher sees it.
struct DesktopPress
{
    // What lies under the pointer.
    enum class Target
    {
        Root,    // the root window itself: no desktop program draws there
        Desktop, // the desktop program's window
        Other,   // an application's window, or one of this program's
    };

    uint32_t timeMs = 0; // the window system's time stamp, which wraps around
    QPoint position;     // on the screen
    Target target = Target::Other;
    int button = 1; // 1: the primary button
};

// Tells a double-click on the bare desktop from a stream of presses: two
// presses of the primary button on it, within the platform's double-click
// interval and distance. The press that completes one starts nothing new, so
// a triple click is one double-click.
class DesktopDoubleClick
{
public:
    // Whether a press lands on the bare desktop: the root, or the desktop's
    // window unless it draws icons (a double-click there opens one of them).
    static bool isOnBareDesktop(const DesktopPress &press, bool desktopIconsShown);

    // Takes the next press; true when it completes a double-click.
    bool press(const DesktopPress &press, bool desktopIconsShown, int intervalMs, int distance);

private:
    std::optional<DesktopPress> m_first;
};
