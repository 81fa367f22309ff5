#include "platform/window/XConnection.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace orvo::window {
namespace {

struct LiveConnection {
    std::mutex mutex;
    xcb_connection_t* connection = nullptr;
    int screenNumber = 0;
    std::vector<xcb_connection_t*> broken;
};

LiveConnection& Live() {
    static LiveConnection* live = new LiveConnection;  // outlives every static user
    return *live;
}

xcb_screen_t* ScreenOf(xcb_connection_t* c, int number) {
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; it.rem; ++i, xcb_screen_next(&it))
        if (i == number) return it.data;
    return nullptr;
}

}  // namespace

xcb_connection_t* Connection() {
    LiveConnection& live = Live();
    std::lock_guard lock(live.mutex);
    if (live.connection && !xcb_connection_has_error(live.connection)) return live.connection;
    // A broken connection stays allocated: other threads may still hold its pointer, and
    // every call on it fails cleanly.
    if (live.connection) live.broken.push_back(std::exchange(live.connection, nullptr));
    if (!std::getenv("DISPLAY")) return nullptr;
    int screen = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    live.connection = c;
    live.screenNumber = screen;
    return c;
}

xcb_screen_t* DefaultScreen() {
    xcb_connection_t* c = Connection();
    if (!c) return nullptr;
    std::lock_guard lock(Live().mutex);
    return ScreenOf(c, Live().screenNumber);
}

xcb_atom_t InternAtom(std::string_view name) {
    xcb_connection_t* c = Connection();
    if (!c) return XCB_ATOM_NONE;
    auto cookie = xcb_intern_atom(c, 0, uint16_t(name.size()), name.data());
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(xcb_intern_atom_reply(c, cookie, nullptr),
                                                                         &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

}  // namespace orvo::window
