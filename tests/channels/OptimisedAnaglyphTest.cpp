// The colour-optimised anaglyphs of a decoded clip, read back from an Xvfb window, against
// FFmpeg's stereo3d filter run on the same frame.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Lumex.h"
#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"
#include "tests/support/Stereo3dPeer.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 640, kHeight = 240;  // sbs.mkv, lossless: it decodes to its pattern

// Frame 0 of sbs.mkv, RGB24 rows from the top.
std::vector<uint8_t> FirstFrame() {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int view = x >= kWidth / 2;
            const Rgb p = ViewPixel(view, 0, x - view * kWidth / 2, y);
            rgb.insert(rgb.end(), {p.r, p.g, p.b});
        }
    return rgb;
}

// stereo3d=sbsl:<out> on one RGB24 frame: the picture as 0xRRGGBB, rows from the top.
std::vector<uint32_t> Stereo3d(const std::vector<uint8_t>& rgb, const char* out) {
    Stereo3dPeer peer(kWidth, kHeight, out);
    if (!peer.Ok()) return {};
    AVFrame* in = peer.Input();
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(rgb.data() + size_t(y) * kWidth * 3, kWidth * 3, in->data[0] + y * in->linesize[0]);
    const AVFrame* result = peer.Run();
    std::vector<uint32_t> picture;
    for (int y = 0; result && y < result->height; ++y)
        for (int x = 0; x < result->width; ++x) {
            const uint8_t* p = result->data[0] + y * result->linesize[0] + 3 * x;
            picture.push_back(Colour(p[0], p[1], p[2]));
        }
    return picture;
}

// The largest difference of any channel of any pixel.
int LargestDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int most = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift : {0, 8, 16}) most = std::max(most, std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF)));
    return most;
}

// Blue/yellow is the amber/blue projection with the left view through the amber filter, as
// stereo3d's aybd takes it; red/cyan and green/magenta take the left view through red
// (arcd) and green (agmd).
TEST(OptimisedAnaglyph, EachViewModeIsWithinTwoLevelsOfStereo3d) {
    ORVO_REQUIRE_DISPLAY();
    ASSERT_EQ(Lumex_Init(1, 0), 1);
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    TestWindow window(0, 0, kWidth / 2, kHeight, 0x000000);
    const std::string clip = MediaClip("sbs.mkv");
    const uint32_t channel = Lumex_StreamCreateFile(clip.c_str(), 0, window.Handle(), 0);
    ASSERT_NE(channel, 0u);
    Lumex_ChannelSetAttribute(channel, ATTRIB_ANAGLYPH_OPTIMISED, 1);
    Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, STEREO_SIDE_BY_SIDE);
    ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
    std::this_thread::sleep_for(200ms);
    ASSERT_EQ(Lumex_ChannelPause(channel), 1);
    ASSERT_EQ(Lumex_ChannelSetPosition(channel, 0, POS_SECONDS), 1);  // paused on frame 0
    const std::vector<uint8_t> frame = FirstFrame();
    const std::pair<int32_t, const char*> modes[] = {
        {VIEW_BLUE_YELLOW, "aybd"}, {VIEW_RED_CYAN, "arcd"}, {VIEW_GREEN_MAGENTA, "agmd"}};
    for (auto [view, peer] : modes) {
        const std::vector<uint32_t> expected = Stereo3d(frame, peer);
        ASSERT_EQ(expected.size(), size_t(kWidth / 2) * kHeight) << peer;
        Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, float(view));
        int difference = 256;
        for (auto start = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - start < 5s;) {
            difference = LargestDifference(window.Pixels(), expected);
            if (difference <= 2) break;
            std::this_thread::sleep_for(50ms);
        }
        EXPECT_LE(difference, 2) << peer;
    }
    // Switched off, the same view is the channel mix again: red from the left view's ramp.
    Lumex_ChannelSetAttribute(channel, ATTRIB_ANAGLYPH_OPTIMISED, 0);
    std::this_thread::sleep_for(300ms);
    const Rgb left = ViewPixel(0, 0, 100, 100), right = ViewPixel(1, 0, 100, 100);
    EXPECT_TRUE(NearColour(window.Pixel(100, 100), Colour(right.r, left.g, right.b)))
        << "green/magenta: green from the left view, red and blue from the right";
    Lumex_StreamFree(channel);
    Lumex_Free();
}

}  // namespace
}  // namespace orvo::test
