// Renderer kinds 3, 4 and 5 on decoded files, through libCore.so as an embedding program
// uses it, drawn into Xvfb windows whose pixels are read back.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Lumex.h"
#include "tests/media/MediaClip.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

class FileRenderer : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override { ASSERT_EQ(Lumex_Init(1, 0), 1); }
    void TearDown() override {
        if (channel) Lumex_StreamFree(channel);
        Lumex_SetConfig(CONFIG_RENDERER, RENDERER_VMR7_WINDOW);
        Lumex_Free();
    }
    void Open(const char* clip, LUMEX_HWND window) {
        Lumex_SetConfig(CONFIG_RENDERER, GetParam());
        const std::string path = MediaClip(clip);
        ASSERT_FALSE(path.empty()) << clip;
        channel = Lumex_StreamCreateFile(path.c_str(), 0, window, 0);
        ASSERT_NE(channel, 0u) << clip;
    }
    uint32_t channel = 0;
};

// The renderers draw into a real window: the clipping window must exist.
TEST_P(FileRenderer, FileWithoutVideoReportsZeros) {
    ORVO_REQUIRE_DISPLAY();
    TestWindow window(0, 0, 64, 48, 0x808080);
    Open("audio_only.mp3", window.Handle());
    CHANNELINFO info{};
    Lumex_ChannelGetInfo(channel, &info);
    EXPECT_EQ(info.width, 0);
    EXPECT_EQ(info.height, 0);
    EXPECT_EQ(info.frameRate, 0.0f);
}

TEST_P(FileRenderer, NativeSizeAndTwentyFiveFramesWhateverTheRate) {
    ORVO_REQUIRE_DISPLAY();
    TestWindow window(0, 0, 64, 48, 0x808080);
    Open("fps23976.mkv", window.Handle());
    CHANNELINFO info{};
    Lumex_ChannelGetInfo(channel, &info);
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    EXPECT_EQ(info.frameRate, 25.0f);
}

TEST_P(FileRenderer, DecodedWideClipIsLetterboxed) {
    ORVO_REQUIRE_DISPLAY();
    TestWindow window(0, 0, 640, 480, 0x808080);
    Open("sbs.mkv", window.Handle());  // 640 x 240
    ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
    std::this_thread::sleep_for(400ms);
    const auto pixels = window.Pixels();
    for (int x : {10, 320, 630}) {
        EXPECT_TRUE(NearColour(pixels[size_t(100) * 640 + x], 0x000000)) << "top bar at " << x;
        EXPECT_TRUE(NearColour(pixels[size_t(380) * 640 + x], 0x000000)) << "bottom bar at " << x;
        EXPECT_FALSE(NearColour(pixels[size_t(240) * 640 + x], 0x808080)) << "the picture at " << x;
        EXPECT_FALSE(NearColour(pixels[size_t(240) * 640 + x], 0x000000)) << "the picture at " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileRenderer,
                         ::testing::Values(RENDERER_VMR7_WINDOWLESS, RENDERER_VMR9_WINDOWLESS, RENDERER_EVR),
                         [](const auto& info) {
                             return std::string(info.param == RENDERER_VMR7_WINDOWLESS   ? "VMR7"
                                                : info.param == RENDERER_VMR9_WINDOWLESS ? "VMR9"
                                                                                         : "EVR");
                         });

}  // namespace
}  // namespace orvo::test
