#include "FreedesktopCompositorWatch.h"

#include "XcbRoot.h"

#include <QSocketNotifier>

#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

FreedesktopCompositorWatch::FreedesktopCompositorWatch(const QByteArray &display, QObject *parent)
    : CompositorWatch(parent)
{
    if (display.isEmpty() || connectTo(display))
        return;
    // No X server to ask, or no XFixes: no compositing manager we could tell of.
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
    m_active = false;
}

FreedesktopCompositorWatch::~FreedesktopCompositorWatch()
{
    delete m_notifier;
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool FreedesktopCompositorWatch::connectTo(const QByteArray &display)
{
    int screenNumber = 0;
    const xcb_window_t root = XcbRoot::open(display, m_connection, &screenNumber);
    if (root == XCB_WINDOW_NONE)
        return false;

    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return false;
    m_selectionNotify = uint8_t(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
    // The version must be asked before the extension may be used.
    free(xcb_xfixes_query_version_reply(
        m_connection,
        xcb_xfixes_query_version(m_connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));

    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screenNumber);
    const xcb_atom_t selection = XcbRoot::atom(m_connection, name);
    if (selection == XCB_ATOM_NONE)
        return false;

    // Subscribed before the owner is asked, so no change falls between the two.
    xcb_xfixes_select_selection_input(m_connection, root, selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, selection), nullptr);
    if (!owner)
        return false;
    m_active = owner->owner != XCB_NONE;
    free(owner);

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FreedesktopCompositorWatch::readEvents);
    // Events that arrived with the replies wait in xcb's queue, not on the socket.
    readEvents();
    return true;
}

void FreedesktopCompositorWatch::readEvents()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == m_selectionNotify) {
            const auto *notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t *>(event);
            setActive(notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
                      notify->owner != XCB_NONE);
        }
        free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        // The X server went away; nothing more will be learnt.
        m_notifier->setEnabled(false);
        setActive(false);
    }
}

void FreedesktopCompositorWatch::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    Q_EMIT changed(active);
}
