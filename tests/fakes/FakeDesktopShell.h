#pragma once

#include "shell/windows/DesktopShell.h"

#include <QHash>
#include <QStringList>

// A made-up window tree and z-order for the Windows backend's policies: the
// top-level windows from the top down, each window's class and children, and
// the shell's icon switch, which flips when its view window gets the command
// (unless the test made the shell deaf to it) and hides the icons' list view.
class FakeDesktopShell final : public DesktopShell
{
public:
    QList<WId> zOrder; // top-level windows, top first
    QHash<WId, QString> classes;
    QHash<WId, QList<WId>> children;
    QList<WId> hidden;  // not shown (invisible, minimised or cloaked)
    QList<WId> topmost; // WS_EX_TOPMOST
    WId shell = 0;
    WId root = 0;
    QHash<int, WId> under; // the top-level window at each x of the screen
    bool iconsHidden = false;
    bool ignoresCommand = false;
    bool refusesWrite = false;
    QStringList log;

    WId add(WId window, const QString &className, WId parent = 0)
    {
        classes.insert(window, className);
        if (parent)
            children[parent].append(window);
        else
            zOrder.append(window);
        return window;
    }

    WId shellWindow() const override { return shell; }
    QList<WId> topLevelWindows() const override { return zOrder; }
    QList<WId> childWindows(WId parent) const override { return children.value(parent); }
    QString className(WId window) const override { return classes.value(window); }
    bool isShown(WId window) const override
    {
        return !hidden.contains(window) &&
               !(iconsHidden && classes.value(window) == QLatin1String("SysListView32"));
    }
    bool isTopmost(WId window) const override { return topmost.contains(window); }
    WId windowAbove(WId window) const override
    {
        const qsizetype at = zOrder.indexOf(window);
        return at > 0 ? zOrder.at(at - 1) : 0;
    }
    bool isOwnForeground() const override { return false; }
    WId topLevelAt(const QPoint &point) const override { return under.value(point.x()); }
    WId rootWindow() const override { return root; }

    void setTopmost(WId window, bool on) override
    {
        topmost.removeAll(window);
        zOrder.removeAll(window);
        if (on) {
            topmost.append(window);
            zOrder.prepend(window);
        } else {
            zOrder.insert(topmost.size(), window);
        }
    }
    void placeBelow(WId window, WId other) override
    {
        zOrder.removeAll(window);
        zOrder.insert(other ? zOrder.indexOf(other) + 1 : topmost.size(), window);
    }
    void placeAtBottom(WId window) override
    {
        zOrder.removeAll(window);
        zOrder.append(window);
    }
    void sendCommand(WId window, int command) override
    {
        log.append(QStringLiteral("command %1 to %2").arg(command, 0, 16).arg(window));
        if (!ignoresCommand)
            iconsHidden = !iconsHidden;
    }
    bool iconsHiddenSetting() const override { return iconsHidden; }
    void writeIconsHiddenSetting(bool on) override
    {
        log.append(QStringLiteral("write %1").arg(on));
        if (!refusesWrite)
            iconsHidden = on;
    }
};
