#include "platform/win/WindowCaptions.h"

#include "platform/win/Codepage.h"
#include "platform/win/XcbConnection.h"

#include <cstdlib>
#include <memory>

namespace win {
namespace {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> Wrap(Reply* reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name)
{
    auto reply = Wrap(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::char_traits<char>::length(name)), name),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

struct Atoms
{
    xcb_atom_t netWmName;
    xcb_atom_t utf8String;
};

// Sends both caption requests of a window at once; the replies are read later.
struct CaptionRequest
{
    xcb_window_t window;
    xcb_get_property_cookie_t netWmName;
    xcb_get_property_cookie_t wmName;
};

CaptionRequest RequestCaption(xcb_connection_t* c, const Atoms& atoms, xcb_window_t window)
{
    constexpr uint32_t kLongs = 1024; // captions up to 4 kB
    return {window, xcb_get_property(c, 0, window, atoms.netWmName, atoms.utf8String, 0, kLongs),
            xcb_get_property(c, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, kLongs)};
}

// The window's caption in UTF-8: _NET_WM_NAME, else WM_NAME (Latin-1 unless typed UTF-8).
std::string ReadCaption(xcb_connection_t* c, const Atoms& atoms, const CaptionRequest& request)
{
    auto net = Wrap(xcb_get_property_reply(c, request.netWmName, nullptr));
    auto plain = Wrap(xcb_get_property_reply(c, request.wmName, nullptr));
    if (net && net->format == 8 && xcb_get_property_value_length(net.get()) > 0) {
        return std::string(static_cast<const char*>(xcb_get_property_value(net.get())),
                           static_cast<std::size_t>(xcb_get_property_value_length(net.get())));
    }
    if (plain && plain->format == 8 && xcb_get_property_value_length(plain.get()) > 0) {
        std::string bytes(static_cast<const char*>(xcb_get_property_value(plain.get())),
                          static_cast<std::size_t>(xcb_get_property_value_length(plain.get())));
        if (plain->type == atoms.utf8String)
            return bytes;
        // Latin-1: each byte is the character of that code.
        std::string utf8;
        for (unsigned char b : bytes) {
            if (b < 0x80) {
                utf8 += static_cast<char>(b);
            } else {
                utf8 += static_cast<char>(0xC0 | (b >> 6));
                utf8 += static_cast<char>(0x80 | (b & 0x3F));
            }
        }
        return utf8;
    }
    return {};
}

std::vector<xcb_window_t> Children(xcb_connection_t* c, xcb_window_t window)
{
    auto tree = Wrap(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
    if (!tree)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return std::vector<xcb_window_t>(children,
                                     children + xcb_query_tree_children_length(tree.get()));
}

} // namespace

std::vector<std::string> TopLevelWindowCaptions()
{
    XcbConnection connection;
    xcb_connection_t* c = connection.get();
    if (!c || !connection.screen())
        return {};
    const Atoms atoms{InternAtom(c, "_NET_WM_NAME"), InternAtom(c, "UTF8_STRING")};

    // X lists the root's children bottom first; the list is given top first, like a desktop's
    // own window order.
    std::vector<xcb_window_t> windows = Children(c, connection.screen()->root);
    std::vector<CaptionRequest> requests;
    requests.reserve(windows.size());
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        requests.push_back(RequestCaption(c, atoms, *it));

    std::vector<std::string> captions;
    for (const auto& request : requests) {
        std::string caption = ReadCaption(c, atoms, request);
        if (!caption.empty()) {
            captions.push_back(std::move(caption));
            continue;
        }
        // A window manager's frame carries no caption: the client window inside it does.
        const auto inner = Children(c, request.window);
        std::vector<CaptionRequest> innerRequests;
        for (auto it = inner.rbegin(); it != inner.rend(); ++it)
            innerRequests.push_back(RequestCaption(c, atoms, *it));
        for (const auto& innerRequest : innerRequests) {
            caption = ReadCaption(c, atoms, innerRequest);
            if (!caption.empty())
                captions.push_back(std::move(caption));
        }
    }
    return captions;
}

} // namespace win
