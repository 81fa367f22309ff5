#include "platform/surface/ServerImage.h"

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

constexpr uint8_t kDepth = 24;

template <class T>
using XReply = std::unique_ptr<T, decltype(&std::free)>;

bool Succeeded(xcb_connection_t* c, xcb_void_cookie_t cookie) {
    xcb_generic_error_t* error = xcb_request_check(c, cookie);
    std::free(error);
    return !error && !xcb_connection_has_error(c);
}

bool ServerOffersSharedPixmaps(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_shm_id);
    if (!extension || !extension->present) return false;
    XReply<xcb_shm_query_version_reply_t> version(xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr),
                                                  &std::free);
    return version && version->shared_pixmaps && version->pixmap_format == XCB_IMAGE_FORMAT_Z_PIXMAP;
}

xcb_window_t RootOf(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

// A System V segment attached by both sides; marked for removal as soon as the server has
// attached it, so it disappears with the process however that ends.
class SharedImage final : public ServerImage {
public:
    SharedImage(xcb_connection_t* c, uint16_t width, uint16_t height) : ServerImage(c, width, height) {}
    ~SharedImage() override {
        if (m_pixmap != XCB_NONE) xcb_free_pixmap(m_connection, m_pixmap);
        if (m_segment != XCB_NONE) xcb_shm_detach(m_connection, m_segment);
        xcb_flush(m_connection);
        if (m_pixels) shmdt(m_pixels);
    }

    bool Open() {
        const size_t bytes = size_t(Pitch()) * m_height;
        int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0) return false;
        void* memory = shmat(id, nullptr, 0);
        if (memory == reinterpret_cast<void*>(-1)) {
            shmctl(id, IPC_RMID, nullptr);
            return false;
        }
        m_pixels = static_cast<uint8_t*>(memory);
        xcb_shm_seg_t segment = xcb_generate_id(m_connection);
        bool attached = Succeeded(m_connection, xcb_shm_attach_checked(m_connection, segment, id, 0));
        shmctl(id, IPC_RMID, nullptr);
        if (!attached) return false;
        m_segment = segment;
        xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
        if (!Succeeded(m_connection, xcb_shm_create_pixmap_checked(m_connection, pixmap, RootOf(m_connection), m_width,
                                                                   m_height, kDepth, m_segment, 0)))
            return false;
        m_pixmap = pixmap;
        return true;
    }

    bool Shared() const override { return true; }
    bool Upload() override { return !xcb_connection_has_error(m_connection); }

private:
    xcb_shm_seg_t m_segment = XCB_NONE;
};

// Client memory, sent to the pixmap with PutImage in bands that fit one request.
class PlainImage final : public ServerImage {
public:
    PlainImage(xcb_connection_t* c, uint16_t width, uint16_t height) : ServerImage(c, width, height) {}
    ~PlainImage() override {
        if (m_pixmap != XCB_NONE) {
            xcb_free_pixmap(m_connection, m_pixmap);
            xcb_free_gc(m_connection, m_gc);
            xcb_flush(m_connection);
        }
        ::operator delete[](m_pixels, std::align_val_t(64));
    }

    bool Open() {
        m_pixels = static_cast<uint8_t*>(
            ::operator new[](size_t(Pitch()) * m_height, std::align_val_t(64), std::nothrow));
        if (!m_pixels) return false;
        xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
        if (!Succeeded(m_connection,
                       xcb_create_pixmap_checked(m_connection, kDepth, pixmap, RootOf(m_connection), m_width, m_height)))
            return false;
        m_pixmap = pixmap;
        m_gc = xcb_generate_id(m_connection);
        xcb_create_gc(m_connection, m_gc, m_pixmap, 0, nullptr);
        return true;
    }

    bool Shared() const override { return false; }

    bool Upload() override {
        // The maximum request length is in 4-byte units; keep room for the request header.
        const size_t maxBytes = size_t(xcb_get_maximum_request_length(m_connection)) * 4 - 64;
        const uint32_t rowsPerBand = uint32_t(std::max<size_t>(1, maxBytes / size_t(Pitch())));
        xcb_void_cookie_t last{};
        for (uint32_t top = 0; top < m_height; top += rowsPerBand) {
            const uint32_t rows = std::min<uint32_t>(rowsPerBand, m_height - top);
            last = xcb_put_image_checked(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_pixmap, m_gc, m_width,
                                         uint16_t(rows), 0, int16_t(top), 0, kDepth, rows * uint32_t(Pitch()),
                                         m_pixels + size_t(top) * Pitch());
        }
        return Succeeded(m_connection, last);
    }

private:
    xcb_gcontext_t m_gc = XCB_NONE;
};

template <class Image>
std::unique_ptr<ServerImage> Open(xcb_connection_t* c, uint16_t width, uint16_t height) {
    auto image = std::make_unique<Image>(c, width, height);
    if (!image->Open()) return nullptr;
    return image;
}

}  // namespace

std::unique_ptr<ServerImage> ServerImage::Create(xcb_connection_t* c, uint16_t width, uint16_t height) {
    if (!c || xcb_connection_has_error(c) || width == 0 || height == 0) return nullptr;
    if (g_sharedMemoryAllowed && ServerOffersSharedPixmaps(c)) {
        if (auto image = Open<SharedImage>(c, width, height)) return image;
    }
    return Open<PlainImage>(c, width, height);
}

void SetSharedMemoryAllowed(bool allowed) { g_sharedMemoryAllowed = allowed; }

}  // namespace orvo::surface
