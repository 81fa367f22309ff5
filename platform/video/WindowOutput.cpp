#include "platform/video/WindowOutput.h"

#include <algorithm>

#include "platform/window/WindowSystem.h"

namespace orvo::video {
namespace {

// Destinations beyond this side are refused rather than given a surface.
constexpr int64_t kMaxSide = 16384;

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

uint32_t ColourAsPixel(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

}  // namespace

RECT LetterboxRect(const RECT& dest, SIZE picture) {
    const int64_t dw = Width(dest), dh = Height(dest);
    if (picture.cx <= 0 || picture.cy <= 0 || dw <= 0 || dh <= 0) return dest;
    int64_t w = dw, h = dh;
    if (dw * picture.cy > dh * picture.cx) w = dh * picture.cx / picture.cy;
    else h = dw * picture.cy / picture.cx;
    const LONG left = dest.left + LONG((dw - w) / 2), top = dest.top + LONG((dh - h) / 2);
    return {left, top, left + LONG(w), top + LONG(h)};
}

HRESULT WindowOutput::SetWindow(HWND window) {
    if (window && !IsWindow(window)) return E_INVALIDARG;
    if (window != m_window) Reset();
    m_window = window;
    return S_OK;
}

HRESULT WindowOutput::SetPosition(const RECT* source, const RECT* dest, SIZE native) {
    if (!source && !dest) return E_POINTER;
    if (source) {
        const RECT whole{0, 0, native.cx, native.cy};
        const bool all = source->left == whole.left && source->top == whole.top && source->right == whole.right &&
                         source->bottom == whole.bottom;
        if (!all) return E_NOTIMPL;
    }
    if (dest) {
        if (dest->right < dest->left || dest->bottom < dest->top) return E_INVALIDARG;
        if (int64_t(dest->right) - dest->left > kMaxSide || int64_t(dest->bottom) - dest->top > kMaxSide)
            return E_INVALIDARG;
        m_dest = *dest;
    }
    return S_OK;
}

HRESULT WindowOutput::GetPosition(RECT* source, RECT* dest, SIZE native) const {
    if (!source && !dest) return E_POINTER;
    if (source) *source = {0, 0, native.cx, native.cy};
    if (dest) *dest = m_dest;
    return S_OK;
}

HRESULT WindowOutput::SetAspectRatioMode(DWORD mode) {
    if (mode != VMR_ARMODE_NONE && mode != VMR_ARMODE_LETTER_BOX) return E_INVALIDARG;
    m_aspectMode = mode;
    return S_OK;
}

void WindowOutput::Reset() {
    m_picture.Reset();
    m_primary.Reset();
    m_directDraw.Reset();
    m_pictureWidth = m_pictureHeight = 0;
}

HRESULT WindowOutput::MakeSurfaces(LONG width, LONG height) {
    if (!m_directDraw) {
        HRESULT hr = DirectDrawCreateEx(nullptr, m_directDraw.PutVoid(), IID_IDirectDraw7, nullptr);
        if (FAILED(hr)) return hr;
        hr = m_directDraw->SetCooperativeLevel(m_window, DDSCL_NORMAL | DDSCL_MULTITHREADED);
        if (FAILED(hr)) return Reset(), hr;
        DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        hr = m_directDraw->CreateSurface(&desc, m_primary.Put(), nullptr);
        ComPtr<IDirectDrawClipper> clipper;
        if (SUCCEEDED(hr)) hr = m_directDraw->CreateClipper(0, clipper.Put(), nullptr);
        if (SUCCEEDED(hr)) hr = clipper->SetHWnd(0, m_window);
        if (SUCCEEDED(hr)) hr = m_primary->SetClipper(clipper.Get());
        if (FAILED(hr)) return Reset(), hr;
    }
    if (m_picture && m_pictureWidth == width && m_pictureHeight == height) return S_OK;
    m_picture.Reset();
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = DWORD(width);
    desc.dwHeight = DWORD(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.ddpfPixelFormat = {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0};
    HRESULT hr = m_directDraw->CreateSurface(&desc, m_picture.Put(), nullptr);
    if (FAILED(hr)) return hr;
    m_pictureWidth = width;
    m_pictureHeight = height;
    return S_OK;
}

HRESULT WindowOutput::Present(VideoMixer& mixer) {
    const SIZE native = mixer.NativeSize();
    if (!m_window || Width(m_dest) <= 0 || Height(m_dest) <= 0 || native.cx <= 0) return S_FALSE;
    RECT screen;
    if (!GetWindowRect(m_window, &screen)) return E_FAIL;
    HRESULT hr = MakeSurfaces(Width(m_dest), Height(m_dest));
    if (FAILED(hr)) return hr;
    const RECT whole{0, 0, Width(m_dest), Height(m_dest)};
    const RECT picture = m_aspectMode == VMR_ARMODE_LETTER_BOX ? LetterboxRect(whole, native) : whole;

    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    hr = m_picture->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    if (FAILED(hr)) return Reset(), hr;
    auto* pixels = static_cast<uint8_t*>(desc.lpSurface);
    const uint32_t border = ColourAsPixel(m_border);
    for (LONG y = 0; y < whole.bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(pixels + size_t(desc.lPitch) * y);
        if (y < picture.top || y >= picture.bottom) {
            std::fill(row, row + whole.right, border);
        } else {
            std::fill(row, row + picture.left, border);
            std::fill(row + picture.right, row + whole.right, border);
        }
    }
    mixer.Compose(pixels + size_t(desc.lPitch) * picture.top + size_t(picture.left) * 4, desc.lPitch,
                  Width(picture), Height(picture));
    m_picture->Unlock(nullptr);

    RECT target{screen.left + m_dest.left, screen.top + m_dest.top, screen.left + m_dest.right,
                screen.top + m_dest.bottom};
    hr = m_primary->Blt(&target, m_picture.Get(), nullptr, 0, nullptr);
    if (hr == DDERR_SURFACELOST) Reset();
    return hr;
}

}  // namespace orvo::video
