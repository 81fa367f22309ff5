#pragma once
// Stretching part of an image into a window: bilinear scaling on the client (libyuv),
// then a put of only the pixels that land inside the window. The benchmark in
// bench/present measured this faster than XRender scaling on the server.
#include <xcb/xcb.h>

#include <memory>

#include "platform/surface/PixelImage.h"
#include "platform/window/Rect.h"

namespace orvo::surface {

struct BlitTarget {
    xcb_window_t window;      // the window drawn into
    POINT origin;             // its top-left corner on the screen
    uint16_t width, height;   // its size
    uint8_t depth;
    bool includeInferiors;    // draw over child windows too (the whole screen)
    RECT screen;              // the screen the window is on, in screen coordinates
};

// The root window of c's first screen.
xcb_window_t FirstRoot(xcb_connection_t* c);

// The target for window on c, or false when the window does not exist.
bool QueryBlitTarget(xcb_connection_t* c, xcb_window_t window, bool includeInferiors, BlitTarget& target);

// Draws sourceRect of source stretched to destRect, given in screen coordinates, clipped
// to the target window (of depth 24). scratch holds the stretched pixels from call to
// call and is replaced when too small. Returns once the server has drawn; false when a
// request failed.
bool StretchBlit(PixelImage& source, const RECT& sourceRect, const BlitTarget& target, const RECT& destRect,
                 std::unique_ptr<PixelImage>& scratch);

}  // namespace orvo::surface
