#include "tests/support/TestWindow.h"

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace orvo::test {
namespace {

template <class T>
using XReply = std::unique_ptr<T, decltype(&std::free)>;

std::vector<uint32_t> ReadImage(xcb_connection_t* c, xcb_drawable_t drawable, int x, int y, int width, int height) {
    XReply<xcb_get_image_reply_t> image(
        xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, int16_t(x), int16_t(y),
                                             uint16_t(width), uint16_t(height), ~0u),
                            nullptr),
        &std::free);
    if (!image) return {};
    const auto* data = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image.get()));
    std::vector<uint32_t> pixels(data, data + size_t(width) * height);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

}  // namespace

TestWindow::TestWindow(int x, int y, int width, int height, uint32_t background)
    : m_connection(xcb_connect(nullptr, nullptr)), m_x(x), m_y(y), m_width(width), m_height(height),
      m_background(background) {
    if (xcb_connection_has_error(m_connection)) throw std::runtime_error("no display for the test window");
    m_window = xcb_generate_id(m_connection);
    Create();
}

TestWindow::~TestWindow() { xcb_disconnect(m_connection); }

void TestWindow::Create() {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const uint32_t values[] = {m_background, 1};  // background pixel, override-redirect
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, int16_t(m_x), int16_t(m_y),
                      uint16_t(m_width), uint16_t(m_height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(m_connection, m_window);
    Sync();
}

void TestWindow::Destroy() {
    xcb_destroy_window(m_connection, m_window);
    Sync();
}

void TestWindow::Recreate() { Create(); }

void TestWindow::Sync() const {
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

std::vector<uint32_t> TestWindow::Pixels() const { return ReadImage(m_connection, m_window, 0, 0, m_width, m_height); }

uint32_t TestWindow::Pixel(int x, int y) const {
    std::vector<uint32_t> p = ReadImage(m_connection, m_window, x, y, 1, 1);
    return p.empty() ? 0xDEADBEEF : p[0];
}

uint32_t TestWindow::ScreenPixel(int x, int y) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    std::vector<uint32_t> p = ReadImage(c, screen->root, x, y, 1, 1);
    xcb_disconnect(c);
    return p.empty() ? 0xDEADBEEF : p[0];
}

std::vector<uint32_t> WindowPixels(HWND window, int width, int height) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    std::vector<uint32_t> pixels = ReadImage(c, xcb_window_t(window), 0, 0, width, height);
    xcb_disconnect(c);
    return pixels;
}

::testing::AssertionResult NearColour(uint32_t actual, uint32_t expected) {
    for (int shift : {0, 8, 16}) {
        const int a = int(actual >> shift) & 0xFF, e = int(expected >> shift) & 0xFF;
        if (std::abs(a - e) > 2)
            return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not near 0x" << expected;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace orvo::test
