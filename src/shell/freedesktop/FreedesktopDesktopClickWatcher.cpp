#include "FreedesktopDesktopClickWatcher.h"

#include "XcbRoot.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QStyleHints>

#include <algorithm>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace {

// Window managers put a client into a frame or two; deeper nesting is no client's.
constexpr int deepestClient = 8;

} // namespace

FreedesktopDesktopClickWatcher::FreedesktopDesktopClickWatcher(const QByteArray &display, QObject *parent)
    : DesktopClickWatcher(parent)
{
    if (display.isEmpty() || connectTo(display))
        return;
    // No X server, or one without XInput 2: no click is ever seen.
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
}

FreedesktopDesktopClickWatcher::~FreedesktopDesktopClickWatcher()
{
    delete m_notifier;
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool FreedesktopDesktopClickWatcher::connectTo(const QByteArray &display)
{
    m_root = XcbRoot::open(display, m_connection);
    if (m_root == XCB_WINDOW_NONE)
        return false;
    const xcb_query_extension_reply_t *input = xcb_get_extension_data(m_connection, &xcb_input_id);
    if (!input || !input->present)
        return false;
    m_inputOpcode = input->major_opcode;
    // 2.1 or later: raw events reach the root window even while another
    // client holds a grab, as a desktop's menu does.
    xcb_input_xi_query_version_reply_t *version = xcb_input_xi_query_version_reply(
        m_connection, xcb_input_xi_query_version(m_connection, 2, 2), nullptr);
    const bool recent = version && (version->major_version > 2 ||
                                    (version->major_version == 2 && version->minor_version >= 1));
    free(version);
    if (!recent)
        return false;
    m_windowType = XcbRoot::atom(m_connection, "_NET_WM_WINDOW_TYPE");
    m_typeDesktop = XcbRoot::atom(m_connection, "_NET_WM_WINDOW_TYPE_DESKTOP");
    m_wmState = XcbRoot::atom(m_connection, "WM_STATE");
    if (!m_windowType || !m_typeDesktop || !m_wmState)
        return false;
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FreedesktopDesktopClickWatcher::readEvents);
    return true;
}

void FreedesktopDesktopClickWatcher::setWatching(bool watching)
{
    if (!m_connection || watching == m_watching)
        return;
    m_watching = watching;
    m_clicks = {};
    struct
    {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
                watching ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0u};
    xcb_input_xi_select_events(m_connection, m_root, 1, &selection.head);
    if (watching)
        readButtonMap();
    xcb_flush(m_connection);
}

void FreedesktopDesktopClickWatcher::readButtonMap()
{
    m_buttonMap.clear();
    if (xcb_get_pointer_mapping_reply_t *mapping =
            xcb_get_pointer_mapping_reply(m_connection, xcb_get_pointer_mapping(m_connection), nullptr)) {
        const uint8_t *map = xcb_get_pointer_mapping_map(mapping);
        m_buttonMap = QList<uint8_t>(map, map + mapping->map_len);
        free(mapping);
    }
}

void FreedesktopDesktopClickWatcher::readEvents()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
        if ((event->response_type & 0x7f) == XCB_GE_GENERIC && generic->extension == m_inputOpcode &&
            generic->event_type == XCB_INPUT_RAW_BUTTON_PRESS && m_watching) {
            const auto *press = reinterpret_cast<const xcb_input_raw_button_press_event_t *>(event);
            pressed(press->time, press->detail);
        } else if ((event->response_type & 0x7f) == XCB_MAPPING_NOTIFY &&
                   reinterpret_cast<const xcb_mapping_notify_event_t *>(event)->request ==
                       XCB_MAPPING_POINTER) {
            readButtonMap();
        }
        free(event);
    }
    if (xcb_connection_has_error(m_connection))
        m_notifier->setEnabled(false); // the X server went away
}

void FreedesktopDesktopClickWatcher::pressed(uint32_t time, uint32_t physicalButton)
{
    // Raw events name the device's own button; a left-handed user's primary
    // button is another one, which the pointer mapping tells.
    const int button = physicalButton >= 1 && physicalButton <= uint32_t(m_buttonMap.size())
                           ? m_buttonMap.at(physicalButton - 1)
                           : int(physicalButton);
    // Wheel turns arrive as presses too: only the primary button is looked into.
    if (button != 1) {
        m_clicks.press({time, {}, DesktopPress::Target::Other, button}, desktopIconsShown(), 0, 0);
        return;
    }
    xcb_query_pointer_reply_t *pointer =
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
    if (!pointer)
        return;
    const DesktopPress press{time, QPoint(pointer->root_x, pointer->root_y),
                             targetUnderPointer(pointer->child), button};
    free(pointer);
    const QStyleHints *hints = QGuiApplication::styleHints();
    if (m_clicks.press(press, desktopIconsShown(), hints->mouseDoubleClickInterval(),
                       hints->mouseDoubleClickDistance()))
        Q_EMIT desktopDoubleClicked();
}

DesktopPress::Target FreedesktopDesktopClickWatcher::targetUnderPointer(uint32_t window) const
{
    if (window == XCB_WINDOW_NONE)
        return DesktopPress::Target::Root;
    // Down from the top-level window (a frame, an override-redirect window or
    // a client) to the first client: the window that has a type or a state.
    for (int depth = 0; depth < deepestClient && window != XCB_WINDOW_NONE; ++depth) {
        bool isClient = false;
        if (isDesktopWindow(window, &isClient))
            return DesktopPress::Target::Desktop;
        if (isClient)
            return DesktopPress::Target::Other;
        xcb_query_pointer_reply_t *pointer =
            xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, window), nullptr);
        window = pointer ? pointer->child : uint32_t(XCB_WINDOW_NONE);
        free(pointer);
    }
    return DesktopPress::Target::Other;
}

bool FreedesktopDesktopClickWatcher::isDesktopWindow(uint32_t window, bool *isClient) const
{
    const xcb_get_property_cookie_t typeCookie =
        xcb_get_property(m_connection, 0, window, m_windowType, XCB_ATOM_ATOM, 0, 32);
    const xcb_get_property_cookie_t stateCookie =
        xcb_get_property(m_connection, 0, window, m_wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
    bool desktop = false;
    if (xcb_get_property_reply_t *type = xcb_get_property_reply(m_connection, typeCookie, nullptr)) {
        if (type->format == 32 && type->type == XCB_ATOM_ATOM) {
            const auto *types = static_cast<const uint32_t *>(xcb_get_property_value(type));
            const int count = xcb_get_property_value_length(type) / 4;
            desktop = std::find(types, types + count, m_typeDesktop) != types + count;
            *isClient = true;
        }
        free(type);
    }
    if (xcb_get_property_reply_t *state = xcb_get_property_reply(m_connection, stateCookie, nullptr)) {
        *isClient = *isClient || state->type != XCB_NONE;
        free(state);
    }
    return desktop;
}
