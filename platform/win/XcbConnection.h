#pragma once

#include <xcb/xcb.h>

namespace win {

// A connection to the X display of $DISPLAY for one look at it; closed on destruction.
class XcbConnection
{
public:
    XcbConnection();
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    // Null when there is no display to talk to.
    xcb_connection_t* get() const { return connection_; }
    // The default screen; null without a display.
    xcb_screen_t* screen() const { return screen_; }

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
};

} // namespace win
