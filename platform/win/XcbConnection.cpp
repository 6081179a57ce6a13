#include "platform/win/XcbConnection.h"

#include <cstdlib>

namespace win {

XcbConnection::XcbConnection()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return;
    int screenNumber = 0;
    connection_ = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; it.rem && i < screenNumber; ++i)
        xcb_screen_next(&it);
    screen_ = it.rem ? it.data : nullptr;
}

XcbConnection::~XcbConnection()
{
    if (connection_)
        xcb_disconnect(connection_);
}

} // namespace win
