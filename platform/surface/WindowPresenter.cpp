#include "platform/surface/WindowPresenter.h"

#include <algorithm>

#include "platform/window/WindowSystem.h"

namespace orvo::surface {
namespace {

DDSURFACEDESC2 EmptyDescription() {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    return desc;
}

}  // namespace

RECT LetterboxRect(const RECT& dest, SIZE picture) {
    const int64_t dw = RectWidth(dest), dh = RectHeight(dest);
    if (picture.cx <= 0 || picture.cy <= 0 || dw <= 0 || dh <= 0) return dest;
    int64_t w = dw, h = dh;
    if (dw * picture.cy > dh * picture.cx)
        w = dh * picture.cx / picture.cy;
    else
        h = dw * picture.cy / picture.cx;
    const LONG left = dest.left + LONG((dw - w) / 2), top = dest.top + LONG((dh - h) / 2);
    return {left, top, left + LONG(w), top + LONG(h)};
}

HRESULT WindowPresenter::Open(HWND window, int32_t width, int32_t height) {
    Close();
    m_window = window;
    HRESULT hr = DirectDrawCreateEx(nullptr, m_directDraw.PutVoid(), IID_IDirectDraw7, nullptr);
    if (SUCCEEDED(hr)) hr = m_directDraw->SetCooperativeLevel(window, DDSCL_NORMAL | DDSCL_MULTITHREADED);
    if (SUCCEEDED(hr)) {
        DDSURFACEDESC2 desc = EmptyDescription();
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY;
        hr = m_directDraw->CreateSurface(&desc, m_primary.Put(), nullptr);
    }
    if (SUCCEEDED(hr)) hr = CreateFrameSurface(width, height);
    if (SUCCEEDED(hr)) {
        ComPtr<IDirectDrawClipper> clipper;
        hr = m_directDraw->CreateClipper(0, clipper.Put(), nullptr);
        if (SUCCEEDED(hr)) hr = clipper->SetHWnd(0, window);
        // The primary surface keeps its own reference to the clipper.
        if (SUCCEEDED(hr)) hr = m_primary->SetClipper(clipper.Get());
    }
    if (FAILED(hr)) Close();
    return hr;
}

void WindowPresenter::Close() {
    m_frame.Reset();
    m_primary.Reset();
    m_directDraw.Reset();
    m_width = m_height = 0;
}

HRESULT WindowPresenter::CreateFrameSurface(int32_t width, int32_t height) {
    DDSURFACEDESC2 desc = EmptyDescription();
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.dwWidth = DWORD(width);
    desc.dwHeight = DWORD(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
    desc.ddpfPixelFormat = {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    // A size that is not positive is refused by the service.
    if (width <= 0 || height <= 0) return DDERR_INVALIDPARAMS;
    m_frame.Reset();
    const HRESULT hr = m_directDraw->CreateSurface(&desc, m_frame.Put(), nullptr);
    if (SUCCEEDED(hr)) {
        m_width = width;
        m_height = height;
    }
    return hr;
}

HRESULT WindowPresenter::Resize(int32_t width, int32_t height) {
    if (!m_directDraw || !m_primary) return DDERR_INVALIDOBJECT;
    if (m_frame && width == m_width && height == m_height) return S_OK;
    const HRESULT hr = CreateFrameSurface(width, height);
    if (FAILED(hr)) Close();
    return hr;
}

HRESULT WindowPresenter::Recover(HRESULT hr) {
    if (hr == DDERR_SURFACELOST && m_directDraw && FAILED(m_directDraw->RestoreAllSurfaces())) Close();
    return hr;
}

HRESULT WindowPresenter::Lock(Canvas& canvas) {
    if (!IsOpen()) return DDERR_INVALIDOBJECT;
    DDSURFACEDESC2 locked = EmptyDescription();
    const HRESULT hr = m_frame->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    if (FAILED(hr)) return Recover(hr);
    canvas = {static_cast<uint8_t*>(locked.lpSurface), locked.lPitch, int32_t(locked.dwWidth),
              int32_t(locked.dwHeight)};
    return hr;
}

HRESULT WindowPresenter::Unlock() { return Recover(m_frame->Unlock(nullptr)); }

Canvas WindowPresenter::Letterbox(const Canvas& whole, SIZE picture, uint32_t border) {
    const RECT r = LetterboxRect({0, 0, whole.width, whole.height}, picture);
    for (int32_t y = 0; y < whole.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(whole.pixels + ptrdiff_t(whole.pitch) * y);
        if (y < r.top || y >= r.bottom) {
            std::fill(row, row + whole.width, border);
        } else {
            std::fill(row, row + r.left, border);
            std::fill(row + r.right, row + whole.width, border);
        }
    }
    return {whole.pixels + ptrdiff_t(whole.pitch) * r.top + ptrdiff_t(r.left) * 4, whole.pitch, RectWidth(r),
            RectHeight(r)};
}

HRESULT WindowPresenter::Blit(const RECT* dest) {
    if (!IsOpen()) return DDERR_INVALIDOBJECT;
    RECT target{};
    if (dest) {
        target = *dest;
    } else if (!GetWindowRect(m_window, &target)) {
        // A window that is gone has nowhere to show the picture.
        return DDERR_SURFACELOST;
    }
    RECT source{0, 0, m_width, m_height};
    return Recover(m_primary->Blt(&target, m_frame.Get(), &source, 0, nullptr));
}

}  // namespace orvo::surface
