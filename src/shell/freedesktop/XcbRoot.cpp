#include "XcbRoot.h"

#include <cstdlib>

namespace XcbRoot {

xcb_window_t open(const QByteArray &display, xcb_connection_t *&connection, int *screenNumber)
{
    int number = 0;
    connection = xcb_connect(display.constData(), &number);
    if (screenNumber)
        *screenNumber = number;
    if (xcb_connection_has_error(connection))
        return XCB_WINDOW_NONE;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < number && screens.rem; ++i)
        xcb_screen_next(&screens);
    return screens.rem ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_atom_t atom(xcb_connection_t *connection, const QByteArray &name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace XcbRoot
