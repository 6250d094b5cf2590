#pragma once

#include <QByteArray>

#include <xcb/xcb.h>

namespace XcbRoot {

// Connects to `display` and returns the root window of its default screen, or
// XCB_WINDOW_NONE when that fails. `connection` is set either way and is the
// caller's to disconnect; `screenNumber` receives the default screen's number.
xcb_window_t open(const QByteArray &display, xcb_connection_t *&connection, int *screenNumber = nullptr);

// The atom of `name`, made if need be; XCB_ATOM_NONE when the server does not answer.
xcb_atom_t atom(xcb_connection_t *connection, const QByteArray &name);

} // namespace XcbRoot
