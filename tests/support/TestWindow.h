#pragma once
// A window the test owns on a connection of its own (so it outlives a broken platform
// connection), placed exactly, with its pixels read back from the server.
#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "platform/window/Rect.h"

namespace orvo::test {

class TestWindow {
public:
    // A mapped window at (x, y) of the screen, filled with background (0xRRGGBB).
    TestWindow(int x, int y, int width, int height, uint32_t background);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return m_window; }
    RECT ScreenRect() const { return {m_x, m_y, m_x + m_width, m_y + m_height}; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    void Destroy();
    // Creates the window again under the same id, as a host re-creating its window does.
    void Recreate();

    // The window's pixels, 0xRRGGBB, row by row from the top.
    std::vector<uint32_t> Pixels() const;
    uint32_t Pixel(int x, int y) const;
    // Pixels of the whole screen as shown, at screen coordinates.
    static uint32_t ScreenPixel(int x, int y);

private:
    void Create();
    void Sync() const;

    xcb_connection_t* m_connection;
    xcb_window_t m_window;
    int m_x, m_y, m_width, m_height;
    uint32_t m_background;
};

// Pixels of any window on the display, 0xRRGGBB, row by row from the top; empty when the
// window cannot be read.
std::vector<uint32_t> WindowPixels(HWND window, int width, int height);

// 0xRRGGBB of a colour.
constexpr uint32_t Colour(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

// Whether two 0xRRGGBB colours differ by at most 2 in every channel: stretched pictures
// are filtered with 7-bit weights, which can take up to 2 off a channel.
::testing::AssertionResult NearColour(uint32_t actual, uint32_t expected);

// Pixels (bytes blue, green, red, X) of a width x height picture, filled by a function of
// the position with the top row first.
template <class ColourAt>
std::vector<uint32_t> MakePicture(int width, int height, ColourAt colourAt) {
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels[size_t(y) * width + x] = 0xFF000000u | colourAt(x, y);
    return pixels;
}

}  // namespace orvo::test
