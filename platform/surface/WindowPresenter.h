#pragma once
// Presentation into one window through the surface service: the DirectDraw object, the
// screen's primary surface with a clipper bound to the window, and one offscreen 32-bit RGB
// frame surface that is drawn into and blitted, stretched, over a rectangle of the screen.
// A surface reported lost is restored for the next frame; when it cannot be, the presenter
// closes and IsOpen() says so.
//
// Not locked: the owner serialises every call (a renderer's frame lock). Opened on the
// owner's thread, drawn and blitted from the streaming thread.
#include <cstdint>
#include <utility>

#include "platform/com/ComPtr.h"
#include "platform/surface/DirectDraw.h"

namespace orvo::surface {

// A locked frame surface, or the part of it a picture goes to.
struct Canvas {
    uint8_t* pixels;
    int32_t pitch;  // bytes from one row to the next
    int32_t width;
    int32_t height;
};

// The picture's place in dest: centred and as large as fits with its aspect ratio kept.
RECT LetterboxRect(const RECT& dest, SIZE picture);

class WindowPresenter {
public:
    WindowPresenter() = default;
    WindowPresenter(const WindowPresenter&) = delete;
    WindowPresenter& operator=(const WindowPresenter&) = delete;

    // Surfaces for window with a width x height frame surface, replacing any it had. On
    // failure the presenter is left closed and the service's code returned.
    HRESULT Open(HWND window, int32_t width, int32_t height);
    // Releases the frame surface, the primary surface and the DirectDraw object, in that order.
    void Close();
    bool IsOpen() const { return m_frame && m_primary; }
    HWND Window() const { return m_window; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    // A frame surface of another size for the same window; nothing is made when it has it.
    HRESULT Resize(int32_t width, int32_t height);

    // Locks the frame surface and lets paint(const Canvas&) -> bool write it. S_FALSE when
    // paint wrote nothing; the service's code when the lock failed.
    template <class Paint>
    HRESULT Draw(Paint&& paint) {
        Canvas canvas{};
        HRESULT hr = Lock(canvas);
        if (FAILED(hr)) return hr;
        const bool drawn = std::forward<Paint>(paint)(canvas);
        hr = Unlock();
        return SUCCEEDED(hr) && !drawn ? S_FALSE : hr;
    }
    // The same for a picture of size `picture` kept at its aspect ratio: paint gets the
    // centred part of the frame surface, the rest is filled with border (a 32-bit pixel).
    template <class Paint>
    HRESULT DrawLetterboxed(SIZE picture, uint32_t border, Paint&& paint) {
        return Draw([&](const Canvas& whole) {
            const Canvas part = Letterbox(whole, picture, border);
            return std::forward<Paint>(paint)(part);
        });
    }

    // Blits the whole frame surface stretched over dest (screen coordinates), or over the
    // window's screen rectangle when dest is null, clipped to the window.
    HRESULT Blit(const RECT* dest = nullptr);

    IDirectDraw7* DirectDraw() const { return m_directDraw.Get(); }
    IDirectDrawSurface7* PrimarySurface() const { return m_primary.Get(); }
    IDirectDrawSurface7* FrameSurface() const { return m_frame.Get(); }

private:
    HRESULT Lock(Canvas& canvas);
    HRESULT Unlock();
    HRESULT CreateFrameSurface(int32_t width, int32_t height);
    // A lost surface is restored for the next frame; one that cannot be closes the presenter.
    HRESULT Recover(HRESULT hr);
    static Canvas Letterbox(const Canvas& whole, SIZE picture, uint32_t border);

    HWND m_window = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    // Declared in this order so that they are released frame surface first, then the
    // primary surface, then the DirectDraw object that made them.
    ComPtr<IDirectDraw7> m_directDraw;
    ComPtr<IDirectDrawSurface7> m_primary;
    ComPtr<IDirectDrawSurface7> m_frame;
};

}  // namespace orvo::surface
