// The built program started the way a user starts it, on the test's X server: it shows the
// stereo picture, closes through the window manager's protocol and exits with status 0
// (under AddressSanitizer a leak would make the status non-zero).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

TEST(Program, StartsOnAStereoFileShowsItAndClosesThroughTheWindowManagerProtocol) {
    ORVO_REQUIRE_DISPLAY();
    const std::string clip = MediaClip("sbs_solid.mkv");
    ASSERT_FALSE(clip.empty());
    const pid_t pid = StartProgram({ORVO_PLAYER_PROGRAM, "--left-right", clip});
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
    const pid_t help = StartProgram({program, "--help"});
    const pid_t bare = StartProgram({program});
    const pid_t wrong = StartProgram({program, "--sideways"});
    if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(WaitForExit(help, 10s), 0);
    EXPECT_EQ(WaitForExit(bare, 10s), 1) << "no display: a clear message and status 1";
    EXPECT_EQ(WaitForExit(wrong, 10s), 2);
}

}  // namespace
}  // namespace orvo::test
