#pragma once
// Stretching a part of a pixmap into a window with XRender on the server: bilinear
// filtering, edges padded so the border pixels keep their colour.
#include <xcb/xcb.h>

#include "platform/window/Rect.h"

namespace orvo::surface {

struct BlitTarget {
    xcb_window_t window;      // the window drawn into
    POINT origin;             // its top-left corner on the screen
    uint16_t width, height;   // its size
    xcb_visualid_t visual;
    bool includeInferiors;    // draw over child windows too (the whole screen)
    RECT screen;              // the screen the window is on, in screen coordinates
};

struct BlitSource {
    xcb_pixmap_t pixmap;      // 32-bit pixels of depth 24
    uint16_t width, height;
};

// The root window of c's first screen.
xcb_window_t FirstRoot(xcb_connection_t* c);

// The target for window on c, or false when the window does not exist.
bool QueryBlitTarget(xcb_connection_t* c, xcb_window_t window, bool includeInferiors, BlitTarget& target);

// Draws sourceRect of source stretched to destRect, given in
// screen coordinates, clipped to the target window. Returns once the server has drawn,
// so the source pixels may be written again; false when a request failed.
bool StretchBlit(xcb_connection_t* c, const BlitSource& source, const RECT& sourceRect, const BlitTarget& target,
                 const RECT& destRect);

}  // namespace orvo::surface
