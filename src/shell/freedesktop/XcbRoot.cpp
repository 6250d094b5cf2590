#include "XcbRoot.h"

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

} // namespace XcbRoot
