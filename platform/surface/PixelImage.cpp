#include "platform/surface/PixelImage.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace orvo::surface {
namespace {

std::atomic<bool> g_sharedMemoryAllowed{true};
std::atomic<bool> g_imageMemoryRefused{false};

constexpr uint8_t kDepth = 24;

bool Succeeded(xcb_connection_t* c, xcb_void_cookie_t cookie) {
    xcb_generic_error_t* error = xcb_request_check(c, cookie);
    std::free(error);
    return !error && !xcb_connection_has_error(c);
}

bool ServerOffersSharedMemory(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_shm_id);
    return extension && extension->present;
}

// A System V segment attached by both sides; marked for removal as soon as the server has
// attached it, so it disappears with the process however that ends.
class SharedImage final : public PixelImage {
public:
    SharedImage(xcb_connection_t* c, uint16_t width, uint16_t height) : PixelImage(c, width, height) {}
    ~SharedImage() override {
        if (m_segment != XCB_NONE) {
            xcb_shm_detach(m_connection, m_segment);
            xcb_flush(m_connection);
        }
        if (m_pixels) shmdt(m_pixels);
    }

    bool Open() {
        int id = shmget(IPC_PRIVATE, size_t(Pitch()) * m_height, IPC_CREAT | 0600);
        if (id < 0) return false;
        void* memory = shmat(id, nullptr, 0);
        if (memory == reinterpret_cast<void*>(-1)) {
            shmctl(id, IPC_RMID, nullptr);
            return false;
        }
        m_pixels = static_cast<uint8_t*>(memory);
        xcb_shm_seg_t segment = xcb_generate_id(m_connection);
        // A server on another machine cannot attach the segment; the caller falls back.
        const bool attached = Succeeded(m_connection, xcb_shm_attach_checked(m_connection, segment, id, 0));
        shmctl(id, IPC_RMID, nullptr);
        if (attached) m_segment = segment;
        return attached;
    }

    bool Shared() const override { return true; }

    bool Put(xcb_drawable_t target, xcb_gcontext_t gc, const RECT& part, int16_t x, int16_t y) override {
        return Succeeded(m_connection,
                         xcb_shm_put_image_checked(m_connection, target, gc, m_width, m_height, uint16_t(part.left),
                                                   uint16_t(part.top), uint16_t(RectWidth(part)),
                                                   uint16_t(RectHeight(part)), x, y, kDepth,
                                                   XCB_IMAGE_FORMAT_Z_PIXMAP, 0, m_segment, 0));
    }

private:
    xcb_shm_seg_t m_segment = XCB_NONE;
};

// Client memory, sent in bands of whole rows that fit one request; the gc's clip keeps
// the columns outside the part off the target.
class PlainImage final : public PixelImage {
public:
    PlainImage(xcb_connection_t* c, uint16_t width, uint16_t height) : PixelImage(c, width, height) {}
    ~PlainImage() override { ::operator delete[](m_pixels, std::align_val_t(64)); }

    bool Open() {
        m_pixels = static_cast<uint8_t*>(
            ::operator new[](size_t(Pitch()) * m_height, std::align_val_t(64), std::nothrow));
        return m_pixels != nullptr;
    }

    bool Shared() const override { return false; }

    bool Put(xcb_drawable_t target, xcb_gcontext_t gc, const RECT& part, int16_t x, int16_t y) override {
        const xcb_rectangle_t clip{x, y, uint16_t(RectWidth(part)), uint16_t(RectHeight(part))};
        xcb_set_clip_rectangles(m_connection, XCB_CLIP_ORDERING_UNSORTED, gc, 0, 0, 1, &clip);
        // The maximum request length is in 4-byte units; keep room for the request header.
        const size_t maxBytes = size_t(xcb_get_maximum_request_length(m_connection)) * 4 - 64;
        const LONG rowsPerBand = LONG(std::max<size_t>(1, maxBytes / size_t(Pitch())));
        const LONG left = x - part.left;
        if (part.top >= part.bottom) return true;
        xcb_void_cookie_t last{};
        for (LONG top = part.top; top < part.bottom; top += rowsPerBand) {
            const LONG rows = std::min(rowsPerBand, part.bottom - top);
            last = xcb_put_image_checked(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, target, gc, m_width, uint16_t(rows),
                                         int16_t(left), int16_t(y + (top - part.top)), 0, kDepth,
                                         uint32_t(rows) * uint32_t(Pitch()), m_pixels + size_t(top) * Pitch());
        }
        return Succeeded(m_connection, last);
    }
};

template <class Image>
std::unique_ptr<PixelImage> Open(xcb_connection_t* c, uint16_t width, uint16_t height) {
    auto image = std::make_unique<Image>(c, width, height);
    if (!image->Open()) return nullptr;
    return image;
}

}  // namespace

std::unique_ptr<PixelImage> PixelImage::Create(xcb_connection_t* c, uint16_t width, uint16_t height) {
    if (!c || xcb_connection_has_error(c) || width == 0 || height == 0 || g_imageMemoryRefused) return nullptr;
    if (g_sharedMemoryAllowed && ServerOffersSharedMemory(c)) {
        if (auto image = Open<SharedImage>(c, width, height)) return image;
    }
    return Open<PlainImage>(c, width, height);
}

void SetSharedMemoryAllowed(bool allowed) { g_sharedMemoryAllowed = allowed; }

void SetImageMemoryRefused(bool refused) { g_imageMemoryRefused = refused; }

}  // namespace orvo::surface
