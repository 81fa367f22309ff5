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

DDSURFACEDESC2 EmptyDescription() {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    return desc;
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
    HRESULT hr = created->CreateSurfaces();
    if (FAILED(hr)) return hr;
    if (!Checked(c, xcb_map_window_checked(c, id))) return DDERR_GENERIC;
    out = std::move(created);
    return S_OK;
}

VideoWindow::~VideoWindow() {
    m_frame.Reset();
    m_primary.Reset();
    m_directDraw.Reset();
    // Checked so that the window is gone once the owner's stop returns.
    if (xcb_connection_t* c = window::Connection()) Checked(c, xcb_destroy_window_checked(c, xcb_window_t(m_window)));
}

HRESULT VideoWindow::CreateSurfaces() {
    HRESULT hr = DirectDrawCreateEx(nullptr, m_directDraw.PutVoid(), IID_IDirectDraw7, nullptr);
    if (SUCCEEDED(hr)) hr = m_directDraw->SetCooperativeLevel(m_window, DDSCL_NORMAL | DDSCL_MULTITHREADED);
    DDSURFACEDESC2 primary = EmptyDescription();
    primary.dwFlags = DDSD_CAPS;
    primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (SUCCEEDED(hr)) hr = m_directDraw->CreateSurface(&primary, m_primary.Put(), nullptr);
    DDSURFACEDESC2 frame = EmptyDescription();
    frame.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    frame.dwWidth = DWORD(m_width);
    frame.dwHeight = DWORD(m_height);
    frame.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    frame.ddpfPixelFormat = {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    if (SUCCEEDED(hr)) hr = m_directDraw->CreateSurface(&frame, m_frame.Put(), nullptr);
    ComPtr<IDirectDrawClipper> clipper;
    if (SUCCEEDED(hr)) hr = m_directDraw->CreateClipper(0, clipper.Put(), nullptr);
    if (SUCCEEDED(hr)) hr = clipper->SetHWnd(0, m_window);
    if (SUCCEEDED(hr)) hr = m_primary->SetClipper(clipper.Get());
    return hr;
}

HRESULT VideoWindow::Show(const std::function<bool(uint8_t*, int32_t)>& draw) {
    DDSURFACEDESC2 locked = EmptyDescription();
    HRESULT hr = m_frame->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    if (SUCCEEDED(hr)) {
        const bool drawn = draw(static_cast<uint8_t*>(locked.lpSurface), locked.lPitch);
        hr = m_frame->Unlock(nullptr);
        if (!drawn) return S_FALSE;
    }
    RECT screen{};
    // The window's place on the screen, wherever the window manager put it.
    if (SUCCEEDED(hr)) hr = GetWindowRect(m_window, &screen) ? S_OK : DDERR_SURFACELOST;
    if (SUCCEEDED(hr)) hr = m_primary->Blt(&screen, m_frame.Get(), nullptr, 0, nullptr);
    if (hr == DDERR_SURFACELOST) m_directDraw->RestoreAllSurfaces();
    return hr;
}

}  // namespace orvo::filters
