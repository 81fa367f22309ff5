// Frame surfaces that cannot be allocated. Refused shared memory falls back to client memory
// and the picture still shows. With no memory for an image at all, the channel plays on
// without presenting, and presents again once a later rebuild of its surfaces succeeds. No
// allocator here can be made to fail on demand, so the total refusal is a test hook of the
// surface service (SetImageMemoryRefused).
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "Lumex.h"
#include "platform/filters/AudioOutput.h"
#include "platform/surface/PixelImage.h"
#include "tests/faults/ChannelTime.h"
#include "tests/media/MediaClip.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

constexpr uint32_t kBackground = 0x123456;

class SurfaceFault : public testing::Test {
protected:
    void SetUp() override {
        ORVO_REQUIRE_DISPLAY();
        filters::SetAudioDeviceName("refusing");
        ASSERT_EQ(Lumex_Init(1, 0), 1);
        Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
        m_window = std::make_unique<TestWindow>(0, 0, 320, 240, kBackground);
    }
    void TearDown() override {
        if (m_channel) {
            EXPECT_EQ(Lumex_StreamFree(m_channel), 1);
        }
        surface::SetImageMemoryRefused(false);
        surface::SetSharedMemoryAllowed(true);
        Lumex_Free();
        filters::SetAudioDeviceName("default");
    }
    void OpenAndPlay() {
        m_channel = Lumex_StreamCreateFile(MediaClip("sbs_solid.mkv").c_str(), 0, m_window->Handle(), 0);
        ASSERT_NE(m_channel, 0u);
        ASSERT_EQ(Lumex_ChannelPlay(m_channel), 1);
    }
    // Whether the window shows anything but its background, waiting up to the hang guard
    // for a picture when one is expected.
    bool ShowsPicture(bool expected) {
        const auto start = std::chrono::steady_clock::now();
        do {
            std::this_thread::sleep_for(100ms);
            for (uint32_t pixel : m_window->Pixels())
                if (!NearColour(pixel, kBackground)) return true;
        } while (expected && std::chrono::steady_clock::now() - start < 2s);
        return false;
    }
    // The position moves on while the channel plays.
    void ExpectAdvancing() {
        const double before = PositionSeconds(m_channel);
        std::this_thread::sleep_for(300ms);
        EXPECT_GT(PositionSeconds(m_channel), before + 0.1);
    }

    std::unique_ptr<TestWindow> m_window;
    uint32_t m_channel = 0;
};

TEST_F(SurfaceFault, RefusedSharedMemoryStillShowsThePicture) {
    surface::SetSharedMemoryAllowed(false);
    OpenAndPlay();
    EXPECT_TRUE(ShowsPicture(true));
    ExpectAdvancing();
}

TEST_F(SurfaceFault, NoMemoryAtOpenPlaysUnseenUntilARebuildSucceeds) {
    surface::SetImageMemoryRefused(true);
    OpenAndPlay();
    EXPECT_FALSE(ShowsPicture(false));
    ExpectAdvancing();
    Lumex_ChannelSetAttribute(m_channel, ATTRIB_STEREO_MODE, STEREO_SIDE_BY_SIDE);
    EXPECT_FALSE(ShowsPicture(false)) << "a rebuild without memory shows nothing either";

    surface::SetImageMemoryRefused(false);
    Lumex_ChannelSetAttribute(m_channel, ATTRIB_VIEW_MODE, VIEW_RED_CYAN);
    EXPECT_TRUE(ShowsPicture(true));
    ExpectAdvancing();
}

TEST_F(SurfaceFault, NoMemoryAtARebuildStopsPresentingAndPlaybackGoesOn) {
    OpenAndPlay();
    ASSERT_TRUE(ShowsPicture(true));
    surface::SetImageMemoryRefused(true);
    Lumex_ChannelSetAttribute(m_channel, ATTRIB_STEREO_MODE, STEREO_SIDE_BY_SIDE);
    Lumex_ChannelResizeWindow(m_channel, 0, 0, 0, 200, 120);
    // The window is made anew under its id, so that what the last frame left is gone.
    m_window->Destroy();
    m_window->Recreate();
    EXPECT_FALSE(ShowsPicture(false));
    ExpectAdvancing();
    EXPECT_EQ(Lumex_ChannelStop(m_channel), 1);
}

}  // namespace
}  // namespace orvo::test
