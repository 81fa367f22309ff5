// The built program started the way a user starts it, on the test's X server: it shows the
// stereo picture, closes through the window manager's protocol and exits with status 0
// (under AddressSanitizer a leak would make the status non-zero).
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

extern char** environ;

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

class XClient {
public:
    XClient() : m_c(xcb_connect(nullptr, nullptr)) {}
    ~XClient() { xcb_disconnect(m_c); }

    xcb_atom_t Atom(const char* name) {
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return atom;
    }

    // The top-level window with that title, or XCB_NONE.
    xcb_window_t FindTitled(const std::string& title) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(m_c, xcb_query_tree(m_c, root), nullptr);
        if (!tree) return XCB_NONE;
        xcb_window_t found = XCB_NONE;
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
            xcb_get_property_reply_t* name = xcb_get_property_reply(
                m_c, xcb_get_property(m_c, 0, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256), nullptr);
            if (name && std::string(static_cast<const char*>(xcb_get_property_value(name)),
                                    size_t(xcb_get_property_value_length(name))) == title)
                found = children[i];
            std::free(name);
        }
        std::free(tree);
        return found;
    }

    std::pair<int, int> Size(xcb_window_t window) {
        xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, window), nullptr);
        const std::pair<int, int> size = g ? std::pair{int(g->width), int(g->height)} : std::pair{0, 0};
        std::free(g);
        return size;
    }

    void SendDeleteWindow(xcb_window_t window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = Atom("WM_PROTOCOLS");
        event.data.data32[0] = Atom("WM_DELETE_WINDOW");
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        xcb_flush(m_c);
    }

private:
    xcb_connection_t* m_c;
};

// The exit status of the child, or -1 when it has not ended within the timeout.
int WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(20ms);
    }
    return -1;
}

pid_t Start(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

TEST(Program, StartsOnAStereoFileShowsItAndClosesThroughTheWindowManagerProtocol) {
    ORVO_REQUIRE_DISPLAY();
    const std::string clip = MediaClip("sbs_solid.mkv");
    ASSERT_FALSE(clip.empty());
    const pid_t pid = Start({ORVO_PLAYER_PROGRAM, "--left-right", clip});
    ASSERT_GT(pid, 0);
    XClient x;
    xcb_window_t window = XCB_NONE;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!window && std::chrono::steady_clock::now() < deadline) {
        window = x.FindTitled("Orvo-Player");
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_NE(window, XCB_NONE) << "the main window did not appear";

    // The centre of Panel1: the strip of 41 pixels is at the bottom, the picture above it.
    constexpr Rgb left = SolidViewPixel(0), right = SolidViewPixel(1);
    const uint32_t blueYellow = uint32_t(left.r) << 16 | uint32_t(left.g) << 8 | right.b;
    bool shown = false;
    while (!shown && std::chrono::steady_clock::now() < deadline) {
        const auto [width, height] = x.Size(window);
        const std::vector<uint32_t> pixels = WindowPixels(HWND(window), width, height);
        const size_t at = size_t(height - 41 - 144) * width + width / 2;
        shown = at < pixels.size() && NearColour(pixels[at], blueYellow);
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(shown) << "the blue/yellow picture of the clip";

    x.SendDeleteWindow(window);
    const int status = WaitForExit(pid, 20s);
    if (status < 0) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    EXPECT_EQ(status, 0);
}

TEST(Program, HelpWithoutADisplayAndNoDisplayFailsAtOnce) {
    const std::string program = ORVO_PLAYER_PROGRAM;
    const std::string saved = getenv("DISPLAY") ? getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    const pid_t help = Start({program, "--help"});
    const pid_t bare = Start({program});
    const pid_t wrong = Start({program, "--sideways"});
    if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(WaitForExit(help, 10s), 0);
    EXPECT_EQ(WaitForExit(bare, 10s), 1) << "no display: a clear message and status 1";
    EXPECT_EQ(WaitForExit(wrong, 10s), 2);
}

}  // namespace
}  // namespace orvo::test
