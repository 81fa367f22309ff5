// Window rectangles, existence and the work area against Xvfb.
#include "platform/window/WindowSystem.h"

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "tests/support/XvfbServer.h"
#include "tests/support/TestWindow.h"

namespace {

bool operator==(const RECT& a, const RECT& b) { return std::memcmp(&a, &b, sizeof(RECT)) == 0; }

class WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ORVO_REQUIRE_DISPLAY(); }
};

TEST_F(WindowSystemTest, RectanglesOfAWindow) {
    orvo::test::TestWindow window(120, 80, 300, 200, 0);
    RECT client{}, screen{};
    ASSERT_TRUE(IsWindow(window.Handle()));
    ASSERT_TRUE(GetClientRect(window.Handle(), &client));
    ASSERT_TRUE(GetWindowRect(window.Handle(), &screen));
    EXPECT_TRUE(client == (RECT{0, 0, 300, 200}));
    EXPECT_TRUE(screen == (RECT{120, 80, 420, 280}));
}

TEST_F(WindowSystemTest, MissingWindowFailsAndLeavesTheRectangle) {
    orvo::test::TestWindow window(0, 0, 10, 10, 0);
    const HWND gone = window.Handle();
    window.Destroy();
    RECT rect{1, 2, 3, 4};
    for (HWND w : {HWND(0), gone, HWND(uint64_t(1) << 40)}) {
        EXPECT_FALSE(IsWindow(w)) << w;
        EXPECT_FALSE(GetClientRect(w, &rect)) << w;
        EXPECT_FALSE(GetWindowRect(w, &rect)) << w;
    }
    EXPECT_TRUE(rect == (RECT{1, 2, 3, 4}));
    EXPECT_FALSE(GetClientRect(gone, nullptr));
}

// Publishes a work area on the root window the way a window manager does.
class PublishedWorkArea {
public:
    explicit PublishedWorkArea(std::initializer_list<uint32_t> area) : m_c(xcb_connect(nullptr, nullptr)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        std::vector<uint32_t> values(area);
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, Atom(), XCB_ATOM_CARDINAL, 32, uint32_t(values.size()),
                            values.data());
        Sync();
    }
    ~PublishedWorkArea() {
        xcb_delete_property(m_c, m_root, Atom());
        Sync();
        xcb_disconnect(m_c);
    }

private:
    xcb_atom_t Atom() {
        auto* reply = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, 13, "_NET_WORKAREA"), nullptr);
        xcb_atom_t atom = reply->atom;
        std::free(reply);
        return atom;
    }
    void Sync() { std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }

    xcb_connection_t* m_c;
    xcb_window_t m_root;
};

TEST_F(WindowSystemTest, WorkAreaIsThePrimaryMonitorLessThePanels) {
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_TRUE(area == (RECT{0, 0, 1920, 1080}));  // the test server's one screen, no panels
    {
        PublishedWorkArea panels({0, 30, 1920, 1000});  // x, y, width, height
        ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
        EXPECT_TRUE(area == (RECT{0, 30, 1920, 1030}));
    }
    {
        PublishedWorkArea truncated({0, 30});
        ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
        EXPECT_TRUE(area == (RECT{0, 0, 1920, 1080}));
    }
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETWORKAREA + 1, 0, &area, 0));
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETWORKAREA, 0, nullptr, 0));
}

}  // namespace
