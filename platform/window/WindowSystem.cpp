#include "platform/window/WindowSystem.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/window/XConnection.h"

namespace orvo::window {
namespace {

template <class T>
using XReply = std::unique_ptr<T, decltype(&std::free)>;

std::optional<uint32_t> CardinalProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type) {
    XReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 1), nullptr), &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) return std::nullopt;
    uint32_t value;
    std::memcpy(&value, xcb_get_property_value(reply.get()), 4);
    return value;
}

// The window the user is working in: the window manager's active window when it says,
// else the input focus.
xcb_window_t FocusedWindow(xcb_connection_t* c, xcb_window_t root) {
    xcb_atom_t active = InternAtom("_NET_ACTIVE_WINDOW");
    if (auto w = CardinalProperty(c, root, active, XCB_ATOM_WINDOW); w && *w) return *w;
    XReply<xcb_get_input_focus_reply_t> focus(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr),
                                              &std::free);
    if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT) return XCB_NONE;
    return focus->focus;
}

xcb_window_t ParentOf(xcb_connection_t* c, xcb_window_t w) {
    XReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr), &std::free);
    return tree ? tree->parent : XCB_NONE;
}

}  // namespace
}  // namespace orvo::window

HWND GetActiveWindow() {
    using namespace orvo::window;
    xcb_connection_t* c = Connection();
    xcb_screen_t* screen = DefaultScreen();
    if (!c || !screen) return 0;
    xcb_atom_t pidAtom = InternAtom("_NET_WM_PID");
    const uint32_t self = uint32_t(getpid());
    // Walk up from the focused window to the top-level window that names this process.
    for (xcb_window_t w = FocusedWindow(c, screen->root); w != XCB_NONE && w != screen->root; w = ParentOf(c, w)) {
        if (CardinalProperty(c, w, pidAtom, XCB_ATOM_CARDINAL) == self) return w;
    }
    return 0;
}
