#pragma once
// The pixels of an offscreen surface and the server pixmap that shows them: a MIT-SHM
// segment shared with the server where it offers shared pixmaps (no copy at all), else
// client memory uploaded into a plain pixmap when the surface is unlocked.
#include <xcb/xcb.h>

#include <cstdint>
#include <memory>

namespace orvo::surface {

class ServerImage {
public:
    // A width x height image of 32-bit pixels (bytes blue, green, red, X; rows packed) on c,
    // or nullptr when the server refuses it or memory runs out.
    static std::unique_ptr<ServerImage> Create(xcb_connection_t* c, uint16_t width, uint16_t height);
    virtual ~ServerImage() = default;

    uint8_t* Pixels() const { return m_pixels; }
    int32_t Pitch() const { return int32_t(m_width) * 4; }
    uint16_t Width() const { return m_width; }
    uint16_t Height() const { return m_height; }
    xcb_connection_t* Connection() const { return m_connection; }
    xcb_pixmap_t Pixmap() const { return m_pixmap; }
    // Whether the server reads the pixels in place (a shared pixmap).
    virtual bool Shared() const = 0;
    // Makes the pixmap hold the pixels as they are now; false when the request failed.
    virtual bool Upload() = 0;

    ServerImage(const ServerImage&) = delete;
    ServerImage& operator=(const ServerImage&) = delete;

protected:
    ServerImage(xcb_connection_t* c, uint16_t width, uint16_t height) : m_connection(c), m_width(width), m_height(height) {}

    xcb_connection_t* m_connection;
    uint16_t m_width;
    uint16_t m_height;
    uint8_t* m_pixels = nullptr;
    xcb_pixmap_t m_pixmap = XCB_NONE;
};

// Lets tests and benchmarks take the plain-image path on a server that offers MIT-SHM.
// Applies to images created afterwards.
void SetSharedMemoryAllowed(bool allowed);

}  // namespace orvo::surface
