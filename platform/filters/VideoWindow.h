#pragma once
// A top-level window of its own for a video, sized to the picture, on the window layer's
// display connection, presented into through a window presenter whose frame surface has the
// picture's size. The window is destroyed with the object.
//
// Threads: made and destroyed on the application's thread, shown into from the streaming
// thread; the owner serialises the calls (the renderer's frame lock).
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/surface/WindowPresenter.h"

namespace orvo::filters {

class VideoWindow {
public:
    // Title of every such window.
    static constexpr const char* kTitle = "Video";

    // A mapped width x height window with its surfaces. DDERR_NODIRECTDRAWSUPPORT when no
    // display can be reached; the surface service's code when a surface cannot be made.
    static HRESULT Open(int32_t width, int32_t height, std::unique_ptr<VideoWindow>& window);
    ~VideoWindow();
    VideoWindow(const VideoWindow&) = delete;
    VideoWindow& operator=(const VideoWindow&) = delete;

    HWND Handle() const { return m_window; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }

    // Lets draw write the frame surface (pixels, pitch), then blits it over the window,
    // stretched to the window's current size. S_FALSE when draw wrote nothing; a lost
    // surface is restored for the next frame and reported as DDERR_SURFACELOST.
    HRESULT Show(const std::function<bool(uint8_t* pixels, int32_t pitch)>& draw);

private:
    VideoWindow(HWND window, int32_t width, int32_t height) : m_window(window), m_width(width), m_height(height) {}

    const HWND m_window;
    const int32_t m_width;
    const int32_t m_height;
    surface::WindowPresenter m_presenter;
};

}  // namespace orvo::filters
