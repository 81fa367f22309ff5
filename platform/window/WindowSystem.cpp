#include "platform/window/WindowSystem.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <xcb/randr.h>

#include <algorithm>

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

std::vector<uint32_t> CardinalList(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property) {
    XReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, XCB_ATOM_CARDINAL, 0, 1024), nullptr), &std::free);
    if (!reply || reply->format != 32) return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

xcb_window_t ParentOf(xcb_connection_t* c, xcb_window_t w) {
    XReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr), &std::free);
    return tree ? tree->parent : XCB_NONE;
}

struct WindowGeometry {
    RECT screenRect;
    LONG width, height;
};

std::optional<WindowGeometry> QueryGeometry(HWND window) {
    xcb_connection_t* c = Connection();
    xcb_screen_t* screen = DefaultScreen();
    if (!c || !screen || window == 0 || window > UINT32_MAX) return std::nullopt;
    auto w = xcb_window_t(window);
    auto geometryCookie = xcb_get_geometry(c, w);
    auto originCookie = xcb_translate_coordinates(c, w, screen->root, 0, 0);
    XReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr), &std::free);
    XReply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(c, originCookie, nullptr),
                                                     &std::free);
    if (!geometry || !origin) return std::nullopt;
    const LONG width = geometry->width, height = geometry->height;
    return WindowGeometry{{origin->dst_x, origin->dst_y, origin->dst_x + width, origin->dst_y + height}, width, height};
}

// The primary monitor's rectangle from RandR; the whole screen when RandR names none.
RECT PrimaryMonitor(xcb_connection_t* c, xcb_screen_t* screen) {
    RECT whole{0, 0, screen->width_in_pixels, screen->height_in_pixels};
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c, &xcb_randr_id);
    if (!randr || !randr->present) return whole;
    XReply<xcb_randr_get_output_primary_reply_t> primary(
        xcb_randr_get_output_primary_reply(c, xcb_randr_get_output_primary(c, screen->root), nullptr), &std::free);
    if (!primary || primary->output == XCB_NONE) return whole;
    XReply<xcb_randr_get_output_info_reply_t> output(
        xcb_randr_get_output_info_reply(c, xcb_randr_get_output_info(c, primary->output, XCB_CURRENT_TIME), nullptr),
        &std::free);
    if (!output || output->crtc == XCB_NONE) return whole;
    XReply<xcb_randr_get_crtc_info_reply_t> crtc(
        xcb_randr_get_crtc_info_reply(c, xcb_randr_get_crtc_info(c, output->crtc, XCB_CURRENT_TIME), nullptr),
        &std::free);
    if (!crtc || crtc->width == 0 || crtc->height == 0) return whole;
    return {crtc->x, crtc->y, crtc->x + crtc->width, crtc->y + crtc->height};
}

// The window manager's work area of the current desktop, when it publishes one.
std::optional<RECT> ManagerWorkArea(xcb_connection_t* c, xcb_window_t root) {
    std::vector<uint32_t> areas = CardinalList(c, root, InternAtom("_NET_WORKAREA"));
    const uint32_t desktop =
        CardinalProperty(c, root, InternAtom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL).value_or(0);
    if (areas.size() < size_t(desktop + 1) * 4) return std::nullopt;
    const uint32_t* a = &areas[desktop * 4];
    return RECT{LONG(a[0]), LONG(a[1]), LONG(a[0] + a[2]), LONG(a[1] + a[3])};
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

BOOL IsWindow(HWND window) { return orvo::window::QueryGeometry(window) ? TRUE : FALSE; }

BOOL GetClientRect(HWND window, RECT* rect) {
    auto geometry = orvo::window::QueryGeometry(window);
    if (!rect || !geometry) return FALSE;
    *rect = {0, 0, geometry->width, geometry->height};
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    auto geometry = orvo::window::QueryGeometry(window);
    if (!rect || !geometry) return FALSE;
    *rect = geometry->screenRect;
    return TRUE;
}

BOOL SystemParametersInfoW(UINT action, UINT, void* param, UINT) {
    using namespace orvo::window;
    if (action != SPI_GETWORKAREA || !param) return FALSE;
    xcb_connection_t* c = Connection();
    xcb_screen_t* screen = DefaultScreen();
    if (!c || !screen) return FALSE;
    RECT area = PrimaryMonitor(c, screen);
    // The panels' reservations apply to the monitor they sit on: intersect.
    if (auto managed = ManagerWorkArea(c, screen->root)) {
        RECT cut{std::max(area.left, managed->left), std::max(area.top, managed->top),
                 std::min(area.right, managed->right), std::min(area.bottom, managed->bottom)};
        if (cut.left < cut.right && cut.top < cut.bottom) area = cut;
    }
    *static_cast<RECT*>(param) = area;
    return TRUE;
}
