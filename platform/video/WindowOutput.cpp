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

void WindowOutput::Reset() { m_presenter.Close(); }

HRESULT WindowOutput::Present(VideoMixer& mixer) {
    const SIZE native = mixer.NativeSize();
    if (!m_window || Width(m_dest) <= 0 || Height(m_dest) <= 0 || native.cx <= 0) return S_FALSE;
    RECT screen;
    if (!GetWindowRect(m_window, &screen)) return E_FAIL;
    HRESULT hr = m_presenter.IsOpen() ? m_presenter.Resize(Width(m_dest), Height(m_dest))
                                      : m_presenter.Open(m_window, Width(m_dest), Height(m_dest));
    if (FAILED(hr)) return hr;
    const auto compose = [&](const surface::Canvas& c) {
        mixer.Compose(c.pixels, c.pitch, c.width, c.height);
        return true;
    };
    hr = m_aspectMode == VMR_ARMODE_LETTER_BOX ? m_presenter.DrawLetterboxed(native, ColourAsPixel(m_border), compose)
                                               : m_presenter.Draw(compose);
    if (FAILED(hr)) return hr;
    const RECT target{screen.left + m_dest.left, screen.top + m_dest.top, screen.left + m_dest.right,
                      screen.top + m_dest.bottom};
    return m_presenter.Blit(&target);
}

}  // namespace orvo::video
