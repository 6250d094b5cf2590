#pragma once

#include <QObject>

// Looks for double-clicks on the bare desktop without taking any click from
// the desktop itself, whose own menus and selections keep working. Where the
// platform cannot see such clicks (no X11 display) it simply never tells of one.
class DesktopClickWatcher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~DesktopClickWatcher() override = default;

    // Whether clicks are looked at at all; off, the watch costs nothing.
    virtual void setWatching(bool watching) = 0;
    // While the desktop draws its own icons, a double-click on its window is
    // meant for one of them; only the root window without a desktop counts then.
    void setDesktopIconsShown(bool shown) { m_desktopIconsShown = shown; }
    bool desktopIconsShown() const { return m_desktopIconsShown; }

Q_SIGNALS:
    void desktopDoubleClicked();

private:
    bool m_desktopIconsShown = false;
};
