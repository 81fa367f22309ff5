#pragma once
// 32-bit pixels the client writes and the server draws from: a MIT-SHM segment shared
// with the server where it offers one (the server reads the pixels in place), else client
// memory sent with PutImage.
#include <xcb/xcb.h>

#include <cstdint>
#include <memory>

#include "platform/window/Rect.h"

namespace orvo::surface {

class PixelImage {
public:
    // A width x height image (bytes blue, green, red, X; rows packed) for drawing on c, or
    // nullptr when memory runs out.
    static std::unique_ptr<PixelImage> Create(xcb_connection_t* c, uint16_t width, uint16_t height);
    virtual ~PixelImage() = default;

    uint8_t* Pixels() const { return m_pixels; }
    int32_t Pitch() const { return int32_t(m_width) * 4; }
    uint16_t Width() const { return m_width; }
    uint16_t Height() const { return m_height; }
    xcb_connection_t* Connection() const { return m_connection; }
    virtual bool Shared() const = 0;

    // Draws part of the image with its top-left corner at (x, y) of target, a drawable of
    // depth 24, through gc (which may get a clip). Returns once the server has drawn,
    // so the pixels may be written again; false when a request failed.
    virtual bool Put(xcb_drawable_t target, xcb_gcontext_t gc, const RECT& part, int16_t x, int16_t y) = 0;

    PixelImage(const PixelImage&) = delete;
    PixelImage& operator=(const PixelImage&) = delete;

protected:
    PixelImage(xcb_connection_t* c, uint16_t width, uint16_t height) : m_connection(c), m_width(width), m_height(height) {}

    xcb_connection_t* m_connection;
    uint16_t m_width;
    uint16_t m_height;
    uint8_t* m_pixels = nullptr;
};

// Lets tests and benchmarks take the plain-image path on a server that offers MIT-SHM.
// Applies to images created afterwards.
void SetSharedMemoryAllowed(bool allowed);
// Lets tests make every image created afterwards fail as when memory runs out (Create gives
// nullptr), a failure no real allocator here can be made to produce on demand.
void SetImageMemoryRefused(bool refused);

}  // namespace orvo::surface
