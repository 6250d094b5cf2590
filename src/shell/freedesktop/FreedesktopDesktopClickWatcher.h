#pragma once

#include "shell/DesktopClickWatcher.h"
#include "shell/DesktopDoubleClick.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

class QSocketNotifier;
struct xcb_connection_t;

// Hears every press of a mouse button as an XInput 2 raw event on the root
// window, over a connection of its own: raw events are only copies, so the
// desktop and the applications still get their clicks, and nothing is
// grabbed. The window under the pointer is then looked up down the window
// tree; the desktop's is the one of type _NET_WM_WINDOW_TYPE_DESKTOP.
class FreedesktopDesktopClickWatcher : public DesktopClickWatcher
{
    Q_OBJECT

public:
    // display: an X11 display name such as ":0"; empty when the program does not
    // run on X11, and no double-click is ever told of then.
    explicit FreedesktopDesktopClickWatcher(const QByteArray &display, QObject *parent = nullptr);
    ~FreedesktopDesktopClickWatcher() override;

    void setWatching(bool watching) override;

private:
    bool connectTo(const QByteArray &display);
    // The pointer mapping: the logical button of each physical one.
    void readButtonMap();
    void readEvents();
    void pressed(uint32_t time, uint32_t physicalButton);
    DesktopPress::Target targetUnderPointer(uint32_t window) const;
    bool isDesktopWindow(uint32_t window, bool *isClient) const;

    xcb_connection_t *m_connection = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    uint32_t m_root = 0;
    uint8_t m_inputOpcode = 0; // XInput's major opcode on this connection
    uint32_t m_windowType = 0;
    uint32_t m_typeDesktop = 0;
    uint32_t m_wmState = 0;
    QList<uint8_t> m_buttonMap;
    bool m_watching = false;
    DesktopDoubleClick m_clicks;
};
