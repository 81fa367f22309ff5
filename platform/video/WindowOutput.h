#pragma once
// Where a windowless renderer draws: a rectangle of the caller's window (client
// coordinates), the picture letterboxed inside it when the aspect ratio is kept, the rest
// in the border colour. Drawn through the window presenter: the mixed picture goes into a
// frame surface of the rectangle's size and is blitted to the rectangle.
//
// Not locked: the renderer filter calls it under its frame lock.
#include "platform/surface/WindowPresenter.h"
#include "platform/video/VideoMixer.h"

namespace orvo::video {

using surface::LetterboxRect;

class WindowOutput {
public:
    // Null clears the window; a handle that names no window gives E_INVALIDARG.
    HRESULT SetWindow(HWND window);
    HWND Window() const { return m_window; }
    // dest in client coordinates; only the whole picture (source null or all of it) is shown.
    HRESULT SetPosition(const RECT* source, const RECT* dest, SIZE native);
    HRESULT GetPosition(RECT* source, RECT* dest, SIZE native) const;
    HRESULT SetAspectRatioMode(DWORD mode);
    DWORD AspectRatioMode() const { return m_aspectMode; }
    void SetBorderColor(COLORREF colour) { m_border = colour; }
    COLORREF BorderColor() const { return m_border; }
    // Drops the surfaces so the next frame makes them again for the new display.
    void Reset();

    // Draws the mixer's picture; S_FALSE when there is no window, position or frame yet.
    HRESULT Present(VideoMixer& mixer);

private:
    HWND m_window = 0;
    RECT m_dest{};
    DWORD m_aspectMode = VMR_ARMODE_NONE;
    COLORREF m_border = 0;
    surface::WindowPresenter m_presenter;
};

}  // namespace orvo::video
