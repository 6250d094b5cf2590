#pragma once

#include "shell/CompositorWatch.h"

#include <QByteArray>

#include <cstdint>

class QSocketNotifier;
struct xcb_connection_t;

// Follows the owner of the _NET_WM_CM_S<screen> selection, which a compositing
// manager holds while it runs, through XFixes selection events on a connection
// of its own (so nothing depends on Qt's platform plugin or its event filters).
class FreedesktopCompositorWatch : public CompositorWatch
{
    Q_OBJECT

public:
    // display: an X11 display name such as ":0"; empty when the program does not
    // run on X11, and the watch then stays inactive.
    explicit FreedesktopCompositorWatch(const QByteArray &display, QObject *parent = nullptr);
    ~FreedesktopCompositorWatch() override;

    bool isActive() const override { return m_active; }

private:
    bool connectTo(const QByteArray &display);
    void readEvents();
    void setActive(bool active);

    xcb_connection_t *m_connection = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    uint8_t m_selectionNotify = 0; // XFixes' event code on this connection
    bool m_active = false;
};
