#pragma once
// Where a windowless renderer draws: a rectangle of the caller's window (client
// coordinates), the picture letterboxed inside it when the aspect ratio is kept, the rest
// in the border colour. Drawn through the surface service: the mixed picture goes into an
// offscreen surface of the rectangle's size and is blitted through a clipper bound to the
// window.
//
// Not locked: the renderer filter calls it under its frame lock.
#include "platform/com/ComPtr.h"
#include "platform/surface/DirectDraw.h"
#include "platform/video/VideoMixer.h"

namespace orvo::video {

// The picture's place in dest: centred and as large as fits with its aspect ratio kept.
RECT LetterboxRect(const RECT& dest, SIZE picture);

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
    HRESULT MakeSurfaces(LONG width, LONG height);

    HWND m_window = 0;
    RECT m_dest{};
    DWORD m_aspectMode = VMR_ARMODE_NONE;
    COLORREF m_border = 0;
    ComPtr<IDirectDraw7> m_directDraw;
    ComPtr<IDirectDrawSurface7> m_primary;
    ComPtr<IDirectDrawSurface7> m_picture;
    LONG m_pictureWidth = 0, m_pictureHeight = 0;
};

}  // namespace orvo::video
