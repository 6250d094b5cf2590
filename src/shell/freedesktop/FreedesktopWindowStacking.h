#pragma once

#include "shell/WindowStacking.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>

#include <cstdint>

class QSocketNotifier;
struct xcb_connection_t;

// The stacking of an EWMH window manager, over a connection of its own:
// the order read from _NET_CLIENT_LIST_STACKING, layers switched with
// _NET_WM_STATE messages (never through Qt's window flags, which would make Qt
// re-create the native window), restacking through _NET_RESTACK_WINDOW, and
// foreground changes from _NET_ACTIVE_WINDOW on the root window. Answers of
// the X server are remembered until any event says that something changed, so
// the desktop layer's steady checks cost no round trips while nothing happens.
class FreedesktopWindowStacking : public WindowStacking
{
    Q_OBJECT

public:
    // display: an X11 display name such as ":0"; empty when the program does not
    // run on X11, and nothing is ever available then.
    explicit FreedesktopWindowStacking(const QByteArray &display, QObject *parent = nullptr);
    ~FreedesktopWindowStacking() override;

    bool isAvailable() const override;
    bool keepsLayers() const override;
    bool knowsWindowPositions() const override;
    QList<WId> stackingOrder() const override;
    WId desktopWindow() const override;
    bool isShown(WId window) const override;
    Layer layer(WId window) const override;
    bool isOwnWindowActive() const override;
    void setLayer(WId window, Layer layer) override;
    void restackAbove(WId window, WId sibling) override;
    void preparePanel(WId window, Layer layer) override;
    void waitForWindowManager() override;

private:
    enum Atom : int;
    bool connectTo(const QByteArray &display);
    uint32_t atom(Atom name) const;
    QList<uint32_t> property(uint32_t window, Atom name, uint32_t type) const;
    uint8_t mapState(uint32_t window) const;
    bool isMapped(uint32_t window) const;
    // Asks for the events that tell of changes to a window's properties and
    // mapping, once per window; then its remembered answers can be trusted.
    void watch(uint32_t window) const;
    // Handles the events that arrived while waiting for replies.
    void readQueuedEvents() const;
    void forgetAnswers() const;
    bool isOurs(uint32_t window) const;
    bool isDesktop(uint32_t window) const;
    void sendToRoot(uint32_t window, Atom message, const QList<uint32_t> &data);
    void changeState(uint32_t window, bool add, Atom first, Atom second);
    void writeStateProperty(uint32_t window, Layer layer);
    void readEvents();
    // Handles one event; true when it is the window manager's answer to a wait.
    bool handleEvent(const void *event);

    xcb_connection_t *m_connection = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    uint32_t m_root = 0;
    // An unmapped window of ours the window manager answers on when asked to
    // wait for it.
    uint32_t m_echoWindow = 0;
    QList<uint32_t> m_atoms;
    uint32_t m_lastActive = 0;
    mutable uint32_t m_managerWindow = 0;
    mutable bool m_restackSupported = false;
    mutable bool m_layersSupported = false;
    mutable bool m_managerAnswers = true;
    // Remembered answers: properties by window and atom, and map states.
    mutable QHash<quint64, QList<uint32_t>> m_properties;
    mutable QHash<uint32_t, uint8_t> m_mapStates;
    mutable QSet<uint32_t> m_watched;
    // Windows given their hints while unmapped, and the layer, until the
    // window manager maps, reparents or forgets them: a native window made and
    // then shown is prepared once, not twice.
    QHash<uint32_t, Layer> m_preparedUnmapped;
    mutable bool m_readingEvents = false;
};
