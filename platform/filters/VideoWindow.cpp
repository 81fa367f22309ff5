#include "platform/filters/VideoWindow.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/window/WindowSystem.h"
#include "platform/window/XConnection.h"

namespace orvo::filters {
namespace {

void SetText(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type, std::string_view text) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, type, 8, uint32_t(text.size()), text.data());
}

// Title and class for the window manager. The window takes part in the delete protocol so
// that closing it asks (and is ignored: the graph decides the window's life) instead of
// the window manager cutting the connection that every platform window shares.
void DescribeToWindowManager(xcb_connection_t* c, xcb_window_t window) {
    SetText(c, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, VideoWindow::kTitle);
    SetText(c, window, window::InternAtom("_NET_WM_NAME"), window::InternAtom("UTF8_STRING"), VideoWindow::kTitle);
    constexpr std::string_view kClass{"video\0OrvoVideo\0", 16};
    SetText(c, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, kClass);
    const xcb_atom_t deleteWindow = window::InternAtom("WM_DELETE_WINDOW");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, window::InternAtom("WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, 1,
                        &deleteWindow);
}

// Waits for the server to have handled every request sent so far; false when one failed.
bool Checked(xcb_connection_t* c, xcb_void_cookie_t cookie) {
    xcb_generic_error_t* error = xcb_request_check(c, cookie);
    std::free(error);
    return !error;
}

}  // namespace

HRESULT VideoWindow::Open(int32_t width, int32_t height, std::unique_ptr<VideoWindow>& out) {
    out.reset();
    xcb_connection_t* c = window::Connection();
    xcb_screen_t* screen = window::DefaultScreen();
    if (!c || !screen) return DDERR_NODIRECTDRAWSUPPORT;
    const xcb_window_t id = xcb_generate_id(c);
    const uint32_t values[] = {screen->black_pixel};
    if (!Checked(c, xcb_create_window_checked(c, XCB_COPY_FROM_PARENT, id, screen->root, 0, 0, uint16_t(width),
                                              uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                                              XCB_CW_BACK_PIXEL, values)))
        return DDERR_GENERIC;
    std::unique_ptr<VideoWindow> created(new VideoWindow(id, width, height));
    DescribeToWindowManager(c, id);
    HRESULT hr = created->m_presenter.Open(id, width, height);
    if (FAILED(hr)) return hr;
    if (!Checked(c, xcb_map_window_checked(c, id))) return DDERR_GENERIC;
    out = std::move(created);
    return S_OK;
}

VideoWindow::~VideoWindow() {
    m_presenter.Close();
    // Checked so that the window is gone once the owner's stop returns.
    if (xcb_connection_t* c = window::Connection()) Checked(c, xcb_destroy_window_checked(c, xcb_window_t(m_window)));
}

HRESULT VideoWindow::Show(const std::function<bool(uint8_t*, int32_t)>& draw) {
    // A presenter closed by a surface that could not be restored gets new surfaces.
    HRESULT hr = m_presenter.IsOpen() ? S_OK : m_presenter.Open(m_window, m_width, m_height);
    if (SUCCEEDED(hr)) hr = m_presenter.Draw([&](const surface::Canvas& c) { return draw(c.pixels, c.pitch); });
    if (hr != S_OK) return hr;
    // Stretched over the window's place on the screen, wherever the window manager put it.
    return m_presenter.Blit();
}

}  // namespace orvo::filters
