// A window of another program for the caption tests: creates one window with the caption given
// on the command line, says "ready" on its output and stays until it is killed.
//   caption_window net <caption>      caption in _NET_WM_NAME (UTF-8) and WM_NAME
//   caption_window latin1 <caption>   caption in WM_NAME only, as Latin-1 text
//   caption_window framed <caption>   caption on a child of an uncaptioned window, as a window
//                                     manager's frame holds a program's window
//   caption_window hidden <caption>   like net, but the window is never shown
#include <cstdio>
#include <cstring>
#include <string>
#include <xcb/xcb.h>

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : 0;
    std::free(reply);
    return atom;
}

void SetText(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
             const std::string& text)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, type, 8,
                        static_cast<uint32_t>(text.size()), text.data());
}

// UTF-8 to Latin-1 for the characters up to U+00FF, which is all the tests use.
std::string ToLatin1(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b >= 0xC2 && b <= 0xC3 && i + 1 < utf8.size())
            out += static_cast<char>(((b & 0x03) << 6) | (utf8[++i] & 0x3F));
        else
            out += static_cast<char>(b);
    }
    return out;
}

xcb_window_t CreateWindow(xcb_connection_t* c, xcb_window_t parent, xcb_visualid_t visual)
{
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, parent, 10, 10, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, visual, 0, nullptr);
    return window;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::string mode = argv[1];
    const std::string caption = argv[2];
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;

    xcb_window_t top = CreateWindow(c, screen->root, screen->root_visual);
    xcb_window_t captioned = top;
    if (mode == "framed") {
        captioned = CreateWindow(c, top, screen->root_visual);
        xcb_map_window(c, captioned);
    }
    if (mode == "latin1") {
        SetText(c, captioned, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, ToLatin1(caption));
    } else {
        SetText(c, captioned, Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING"), caption);
        SetText(c, captioned, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "fallback only");
    }
    if (mode != "hidden")
        xcb_map_window(c, top);
    xcb_flush(c);
    // The window exists on the server once a round trip has passed.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    std::puts("ready");
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c))
        std::free(event);
    xcb_disconnect(c);
    return 0;
}
