#include "FreedesktopWindowStacking.h"

#include "EwmhAtoms.h"
#include "XcbRoot.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWindow>

#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <xcb/xcb.h>

namespace {

// _NET_WM_DESKTOP of a window shown on every workspace.
constexpr uint32_t allDesktops = 0xFFFFFFFF;
// EWMH message details: remove and add a state; restack above a sibling or
// lower; a request on behalf of a pager-like tool, which window managers obey.
constexpr uint32_t stateRemove = 0;
constexpr uint32_t stateAdd = 1;
constexpr uint32_t stackAbove = 0;
constexpr uint32_t stackBelow = 1;
constexpr uint32_t sourcePager = 2;
// How long a repair waits for the window manager before reading the order back.
constexpr int windowManagerAnswerMs = 100;

} // namespace

FreedesktopWindowStacking::FreedesktopWindowStacking(const QByteArray &display, QObject *parent)
    : WindowStacking(parent)
{
    if (display.isEmpty() || connectTo(display))
        return;
    // No X server to ask: nothing is ever available.
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
}

FreedesktopWindowStacking::~FreedesktopWindowStacking()
{
    delete m_notifier;
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool FreedesktopWindowStacking::connectTo(const QByteArray &display)
{
    m_root = XcbRoot::open(display, m_connection);
    if (m_root == XCB_WINDOW_NONE)
        return false;

    xcb_intern_atom_cookie_t cookies[AtomCount];
    for (int i = 0; i < AtomCount; ++i)
        cookies[i] =
            xcb_intern_atom(m_connection, 0, uint16_t(strlen(EwmhAtoms::names[i])), EwmhAtoms::names[i]);
    for (int i = 0; i < AtomCount; ++i) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(m_connection, cookies[i], nullptr);
        m_atoms.append(reply ? reply->atom : XCB_NONE);
        free(reply);
    }
    if (m_atoms.contains(XCB_NONE))
        return false;

    // The root's events for this connection alone: Qt's own selection stays as it is.
    const uint32_t rootEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &rootEvents);
    m_echoWindow = xcb_generate_id(m_connection);
    const uint32_t echoEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_echoWindow, m_root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &echoEvents);
    xcb_flush(m_connection);

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FreedesktopWindowStacking::readEvents);
    readEvents();
    return true;
}

uint32_t FreedesktopWindowStacking::atom(Atom name) const
{
    return m_atoms.value(name, XCB_NONE);
}

QList<uint32_t> FreedesktopWindowStacking::property(uint32_t window, Atom name, uint32_t type) const
{
    QList<uint32_t> values;
    if (!m_connection || !window)
        return values;
    readQueuedEvents();
    const quint64 key = (quint64(window) << 32) | quint64(name);
    if (const auto known = m_properties.constFind(key); known != m_properties.constEnd())
        return *known;
    watch(window);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, atom(name), type, 0, 4096), nullptr);
    // A reply of another type or format is a broken property: treated as absent.
    if (reply && reply->format == 32 && reply->type == type) {
        const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        values = QList<uint32_t>(data, data + count);
    }
    free(reply);
    m_properties.insert(key, values);
    return values;
}

uint8_t FreedesktopWindowStacking::mapState(uint32_t window) const
{
    readQueuedEvents();
    if (const auto known = m_mapStates.constFind(window); known != m_mapStates.constEnd())
        return *known;
    watch(window);
    xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
    const uint8_t state = attributes ? attributes->map_state : uint8_t(XCB_MAP_STATE_UNMAPPED);
    free(attributes);
    m_mapStates.insert(window, state);
    return state;
}

void FreedesktopWindowStacking::watch(uint32_t window) const
{
    // The root's and the echo window's events are chosen at connecting.
    if (window == m_root || window == m_echoWindow || m_watched.contains(window))
        return;
    m_watched.insert(window);
    // For this connection alone: Qt's selection on our own windows stays as it
    // is. A window that is gone by now answers with an error event, which only
    // makes us ask again.
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &events);
}

void FreedesktopWindowStacking::readQueuedEvents() const
{
    // Replies are read past events that came first; those wait in the queue
    // without waking the socket notifier, and would leave stale answers.
    if (m_readingEvents)
        return;
    m_readingEvents = true;
    while (xcb_generic_event_t *event = xcb_poll_for_queued_event(m_connection)) {
        const_cast<FreedesktopWindowStacking *>(this)->handleEvent(event);
        free(event);
    }
    m_readingEvents = false;
}

void FreedesktopWindowStacking::forgetAnswers() const
{
    m_properties.clear();
    m_mapStates.clear();
}

bool FreedesktopWindowStacking::isAvailable() const
{
    const QList<uint32_t> check = property(m_root, SupportingWmCheck, XCB_ATOM_WINDOW);
    // The check window names itself while its window manager lives; a stale
    // id left by one that crashed does not.
    const bool running = !check.isEmpty() && property(check.first(), SupportingWmCheck, XCB_ATOM_WINDOW) ==
                                                 QList<uint32_t>{check.first()};
    if (!running) {
        m_managerWindow = 0;
        return false;
    }
    if (check.first() != m_managerWindow) {
        m_managerWindow = check.first();
        m_managerAnswers = true;
        const QList<uint32_t> supported = property(m_root, Supported, XCB_ATOM_ATOM);
        m_restackSupported = supported.contains(atom(RestackWindow));
        // weston's XWayland window manager runs and answers the check, yet
        // knows no layers: it announces neither state.
        m_layersSupported = supported.contains(atom(WmStateBelow)) && supported.contains(atom(WmStateAbove));
    }
    return true;
}

bool FreedesktopWindowStacking::keepsLayers() const
{
    return isAvailable() && m_layersSupported;
}

bool FreedesktopWindowStacking::knowsWindowPositions() const
{
    // Qt's Wayland platforms ("wayland", "wayland-egl", ...) place nothing
    // themselves and read back no position; every other platform Qt runs on
    // here (X11, and the offscreen and framebuffer ones) keeps global positions.
    return !QGuiApplication::platformName().startsWith(QLatin1StringView("wayland"));
}

QList<WId> FreedesktopWindowStacking::stackingOrder() const
{
    QList<WId> order;
    for (const uint32_t window : property(m_root, ClientListStacking, XCB_ATOM_WINDOW))
        order.append(window);
    return order;
}

bool FreedesktopWindowStacking::isDesktop(uint32_t window) const
{
    return property(window, WmWindowType, XCB_ATOM_ATOM).contains(atom(WmWindowTypeDesktop));
}

WId FreedesktopWindowStacking::desktopWindow() const
{
    for (const WId window : stackingOrder()) {
        if (isDesktop(uint32_t(window)))
            return window;
    }
    return 0;
}

bool FreedesktopWindowStacking::isMapped(uint32_t window) const
{
    return mapState(window) != XCB_MAP_STATE_UNMAPPED;
}

bool FreedesktopWindowStacking::isShown(WId window) const
{
    if (!m_connection)
        return false;
    const auto id = uint32_t(window);
    // Window managers unmap the frames of minimised windows and of those on
    // other workspaces, which leaves the client window unviewable.
    if (mapState(id) != XCB_MAP_STATE_VIEWABLE ||
        property(id, WmState, XCB_ATOM_ATOM).contains(atom(WmStateHidden)))
        return false;
    const QList<uint32_t> desktop = property(id, WmDesktop, XCB_ATOM_CARDINAL);
    const QList<uint32_t> current = property(m_root, CurrentDesktop, XCB_ATOM_CARDINAL);
    return desktop.isEmpty() || current.isEmpty() || desktop.first() == allDesktops ||
           desktop.first() == current.first();
}

WindowStacking::Layer FreedesktopWindowStacking::layer(WId window) const
{
    const QList<uint32_t> states = property(uint32_t(window), WmState, XCB_ATOM_ATOM);
    if (states.contains(atom(WmStateAbove)))
        return Layer::KeepAbove;
    if (states.contains(atom(WmStateBelow)))
        return Layer::KeepBelow;
    return Layer::Normal;
}

bool FreedesktopWindowStacking::isOurs(uint32_t window) const
{
    const QList<uint32_t> pid = property(window, WmPid, XCB_ATOM_CARDINAL);
    if (!pid.isEmpty() && pid.first() == uint32_t(QCoreApplication::applicationPid()))
        return true;
    // Qt names its windows' process, but a window need not say; ours we know.
    const QWindowList windows = QGuiApplication::allWindows();
    return std::any_of(windows.cbegin(), windows.cend(),
                       [window](QWindow *w) { return w->handle() && w->winId() == window; });
}

bool FreedesktopWindowStacking::isOwnWindowActive() const
{
    const QList<uint32_t> active = property(m_root, ActiveWindow, XCB_ATOM_WINDOW);
    return !active.isEmpty() && active.first() != XCB_NONE && isOurs(active.first());
}

void FreedesktopWindowStacking::sendToRoot(uint32_t window, Atom message, const QList<uint32_t> &data)
{
    forgetAnswers();
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(message);
    for (qsizetype i = 0; i < data.size() && i < 5; ++i)
        event.data.data32[i] = data.at(i);
    xcb_send_event(m_connection, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
}

void FreedesktopWindowStacking::changeState(uint32_t window, bool add, Atom first, Atom second)
{
    sendToRoot(
        window, WmState,
        {add ? stateAdd : stateRemove, atom(first), second == AtomCount ? 0 : atom(second), sourcePager});
}

void FreedesktopWindowStacking::writeStateProperty(uint32_t window, Layer layer)
{
    QList<uint32_t> states = property(window, WmState, XCB_ATOM_ATOM);
    states.removeAll(atom(WmStateAbove));
    states.removeAll(atom(WmStateBelow));
    if (layer != Layer::Normal)
        states.append(atom(layer == Layer::KeepAbove ? WmStateAbove : WmStateBelow));
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom(WmState), XCB_ATOM_ATOM, 32,
                        uint32_t(states.size()), states.constData());
    forgetAnswers();
}

void FreedesktopWindowStacking::setLayer(WId window, Layer layer)
{
    if (!m_connection || !window)
        return;
    const auto id = uint32_t(window);
    if (!isMapped(id)) {
        // The window manager reads the states when the window is mapped.
        writeStateProperty(id, layer);
    } else if (layer == Layer::Normal) {
        changeState(id, false, WmStateAbove, WmStateBelow);
    } else {
        const bool above = layer == Layer::KeepAbove;
        changeState(id, false, above ? WmStateBelow : WmStateAbove, AtomCount);
        changeState(id, true, above ? WmStateAbove : WmStateBelow, AtomCount);
    }
    xcb_flush(m_connection);
}

void FreedesktopWindowStacking::restackAbove(WId window, WId sibling)
{
    if (!m_connection || !window)
        return;
    const auto id = uint32_t(window);
    // The desktop's window lies in a layer of its own, which window managers
    // do not restack across; the bottom of the window's own layer is directly
    // above it.
    const uint32_t within = sibling && !isDesktop(uint32_t(sibling)) ? uint32_t(sibling) : XCB_NONE;
    if (m_restackSupported) {
        sendToRoot(id, RestackWindow, {sourcePager, within, within ? stackAbove : stackBelow});
    } else if (within) {
        // ICCCM's way for a sibling that is not the window's own X sibling: a
        // synthetic configure request to the root window.
        xcb_configure_request_event_t request = {};
        request.response_type = XCB_CONFIGURE_REQUEST;
        request.parent = m_root;
        request.window = id;
        request.sibling = within;
        request.stack_mode = XCB_STACK_MODE_ABOVE;
        request.value_mask = XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE;
        xcb_send_event(m_connection, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&request));
    } else {
        const uint32_t mode = XCB_STACK_MODE_BELOW;
        xcb_configure_window(m_connection, id, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
    }
    forgetAnswers();
    xcb_flush(m_connection);
}

void FreedesktopWindowStacking::preparePanel(WId window, Layer layer)
{
    if (!m_connection || !window)
        return;
    const auto id = uint32_t(window);
    // Whether the window manager has had the window since it was prepared.
    readEvents();
    // Each check asks the X server, which at start-up is busy mapping the
    // windows shown before this one.
    if (const auto prepared = m_preparedUnmapped.constFind(id);
        prepared != m_preparedUnmapped.constEnd() && *prepared == layer)
        return;
    if (!isMapped(id)) {
        // A dock is what window managers leave on screen when the user shows
        // the desktop, keep out of window switching and never place themselves;
        // the states settle its layer, taskbar and pager.
        const uint32_t type = atom(WmWindowTypeDock);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, id, atom(WmWindowType), XCB_ATOM_ATOM, 32, 1,
                            &type);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, id, atom(WmDesktop), XCB_ATOM_CARDINAL, 32,
                            1, &allDesktops);
        QList<uint32_t> states = property(id, WmState, XCB_ATOM_ATOM);
        for (const Atom state : {WmStateSticky, WmStateSkipTaskbar, WmStateSkipPager}) {
            if (!states.contains(atom(state)))
                states.append(atom(state));
        }
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, id, atom(WmState), XCB_ATOM_ATOM, 32,
                            uint32_t(states.size()), states.constData());
        writeStateProperty(id, layer);
        forgetAnswers();
        // Written before Qt, on its own connection, asks for the window to be mapped.
        free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        m_preparedUnmapped.insert(id, layer);
        return;
    }
    sendToRoot(id, WmDesktop, {allDesktops, sourcePager});
    changeState(id, true, WmStateSkipTaskbar, WmStateSkipPager);
    changeState(id, true, WmStateSticky, AtomCount);
    setLayer(window, layer);
}

void FreedesktopWindowStacking::waitForWindowManager()
{
    // A window manager that never answered is not asked again: every repair
    // would otherwise hold up the program for the whole wait.
    if (!m_connection || !m_managerAnswers)
        return;
    // The window manager handles requests in order: once it answers this one,
    // it has carried out those sent before.
    sendToRoot(m_echoWindow, RequestFrameExtents, {});
    xcb_flush(m_connection);
    m_notifier->setEnabled(false);
    // The answer must reach this loop, not an answer asked for while handling
    // an event before it.
    m_readingEvents = true;
    const QDeadlineTimer deadline(windowManagerAnswerMs);
    bool answered = false;
    while (!answered && !xcb_connection_has_error(m_connection)) {
        while (!answered) {
            xcb_generic_event_t *event = xcb_poll_for_event(m_connection);
            if (!event)
                break;
            answered = handleEvent(event);
            free(event);
        }
        const int remaining = int(deadline.remainingTime());
        if (answered || remaining <= 0)
            break;
        pollfd fd = {xcb_get_file_descriptor(m_connection), POLLIN, 0};
        poll(&fd, 1, remaining);
    }
    m_readingEvents = false;
    m_managerAnswers = answered;
    m_notifier->setEnabled(true);
}

void FreedesktopWindowStacking::readEvents()
{
    // Events are handled one after the other: an answer asked for while handling
    // one must not handle the next ones from within.
    m_readingEvents = true;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        handleEvent(event);
        free(event);
    }
    m_readingEvents = false;
    if (xcb_connection_has_error(m_connection))
        m_notifier->setEnabled(false);
}

bool FreedesktopWindowStacking::handleEvent(const void *generic)
{
    const auto *event = static_cast<const xcb_generic_event_t *>(generic);
    const uint8_t type = event->response_type & 0x7f;
    // The window manager has taken the window, or let it go: hints are due again.
    if (type == XCB_DESTROY_NOTIFY) {
        const xcb_window_t gone = static_cast<const xcb_destroy_notify_event_t *>(generic)->window;
        m_watched.remove(gone);
        m_preparedUnmapped.remove(gone);
    } else if (type == XCB_MAP_NOTIFY) {
        m_preparedUnmapped.remove(static_cast<const xcb_map_notify_event_t *>(generic)->window);
    } else if (type == XCB_UNMAP_NOTIFY) {
        m_preparedUnmapped.remove(static_cast<const xcb_unmap_notify_event_t *>(generic)->window);
    } else if (type == XCB_REPARENT_NOTIFY) {
        m_preparedUnmapped.remove(static_cast<const xcb_reparent_notify_event_t *>(generic)->window);
    }
    // Moves and resizes change nothing remembered, nor do properties we never
    // read (titles, user times, icons); anything else may, errors included.
    if (type != XCB_CONFIGURE_NOTIFY && type != XCB_GRAVITY_NOTIFY &&
        (type != XCB_PROPERTY_NOTIFY ||
         m_atoms.contains(static_cast<const xcb_property_notify_event_t *>(generic)->atom)))
        forgetAnswers();
    if (type != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = static_cast<const xcb_property_notify_event_t *>(generic);
    if (notify->window == m_echoWindow && notify->atom == atom(FrameExtents))
        return true;
    if (notify->window != m_root || notify->atom != atom(ActiveWindow))
        return false;
    const QList<uint32_t> active = property(m_root, ActiveWindow, XCB_ATOM_WINDOW);
    const uint32_t now = active.isEmpty() ? XCB_NONE : active.first();
    if (now == m_lastActive)
        return false;
    m_lastActive = now;
    // Told after the current work is done: a repair may be reading events.
    if (now != XCB_NONE && !isOurs(now))
        QMetaObject::invokeMethod(this, &WindowStacking::foregroundChanged, Qt::QueuedConnection);
    return false;
}
