// The X server going away under a playing channel: sound and the clock go on, nothing is
// presented, every call on the channel still returns, and freeing it is clean. The engine's
// display connection is process-wide, so this program talks to one private server only.
#include <chrono>
#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>

#include "Lumex.h"
#include "tests/faults/ChannelTime.h"
#include "tests/media/MediaClip.h"
#include "tests/support/AlsaCapture.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

const auto* const g_alsa = testing::AddGlobalTestEnvironment(new AlsaCapture);

constexpr uint32_t kBackground = 0x123456;

// Polls until what is true, or the hang guard runs out.
template <class Condition>
bool Eventually(Condition what) {
    const auto start = std::chrono::steady_clock::now();
    while (!what()) {
        if (std::chrono::steady_clock::now() - start > 3s) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

TEST(DisplayFault, TheServerGoingAwayLeavesSoundPlayingAndFreesCleanly) {
    std::unique_ptr<XvfbServer> server = XvfbServer::StartPrivate();
    if (!server) GTEST_SKIP() << "Xvfb is not available; this test needs a display";
    setenv("DISPLAY", server->display().c_str(), 1);
    const std::string clip = MediaClip("h264_mp2.mkv");
    ASSERT_FALSE(clip.empty());

    ASSERT_EQ(Lumex_Init(1, 0), 1);
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    AudioDevice sound("capture");
    uint32_t channel = 0;
    {
        TestWindow window(0, 0, 320, 240, kBackground);
        channel = Lumex_StreamCreateFile(clip.c_str(), 0, window.Handle(), 0);
        ASSERT_NE(channel, 0u);
        ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
        ASSERT_TRUE(Eventually([&] {
            for (uint32_t pixel : window.Pixels())
                if (!NearColour(pixel, kBackground)) return true;
            return false;
        })) << "the picture was shown before the server went away";
        ASSERT_TRUE(Eventually([] { return !AlsaCapture::Captured().empty(); }));

        server->Kill();
        const size_t soundBefore = AlsaCapture::Captured().size();
        const double positionBefore = PositionSeconds(channel);
        std::this_thread::sleep_for(1s);
        EXPECT_GT(AlsaCapture::Captured().size(), soundBefore + 48000 * 8 / 2) << "sound goes on";
        EXPECT_GT(PositionSeconds(channel), positionBefore + 0.5) << "the clock goes on";
        EXPECT_EQ(Lumex_ChannelGetState(channel), CHANNEL_PLAYING);

        // Every call that touches the display returns on the dead connection.
        Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, STEREO_SIDE_BY_SIDE);
        Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, VIEW_RED_CYAN);
        Lumex_ChannelResizeWindow(channel, 0, 0, 0, 160, 120);
        Lumex_ChannelSetWindow(channel, 0, window.Handle());
        Lumex_ChannelRepaint(channel, 0, nullptr);
        CHANNELINFO info{};
        Lumex_ChannelGetInfo(channel, &info);
        EXPECT_EQ(info.width, 336);
        EXPECT_EQ(SeekSeconds(channel, 2.0), 1);
        EXPECT_TRUE(Eventually([&] { return PositionSeconds(channel) > 2.3; }))
            << "plays on after a seek";
        EXPECT_EQ(Lumex_ChannelPause(channel), 1);
        EXPECT_EQ(Lumex_ChannelStop(channel), 1);
        EXPECT_EQ(Lumex_StreamFree(channel), 1);
    }

    // A channel opened with no server at all plays its sound (into a capture file made anew).
    AudioDevice again("capture");
    channel = Lumex_StreamCreateFile(clip.c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
    EXPECT_TRUE(Eventually([] { return AlsaCapture::Captured().size() > 48000 * 8 / 2; }));
    EXPECT_EQ(Lumex_StreamFree(channel), 1);
    Lumex_Free();
}

}  // namespace
}  // namespace orvo::test
