// The layout each generated clip is found to have as soon as it opens: stream signals, container
// signals, name markers, their order, and the whole frame's display aspect.
#include <gtest/gtest.h>

#include <cstring>

#include "Lumex.h"
#include "tests/media/MediaClip.h"

namespace orvo::test {
namespace {

TEST(StereoLayout, EachClipOpensWithTheLayoutItSignals) {
    ASSERT_EQ(Lumex_Init(1, 0), 1);
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    struct Case {
        const char* clip;
        LUMEX_STEREO_LAYOUT expected;
    } cases[] = {
        // The H.264 message says top/bottom where the container and the name say side by side.
        {"fp_tb-lr.mkv", {LAYOUT_TOP_BOTTOM, 0, 1, LAYOUT_FROM_STREAM, 4, 3}},
        // A right-first HEVC message; 8:3 is a full-width pair.
        {"hevc_sei.mkv", {LAYOUT_SIDE_BY_SIDE, 1, 0, LAYOUT_FROM_STREAM, 8, 3}},
        {"mkv_right_left.mkv", {LAYOUT_SIDE_BY_SIDE, 1, 1, LAYOUT_FROM_CONTAINER, 4, 3}},
        {"mkv_top_bottom.mkv", {LAYOUT_TOP_BOTTOM, 0, 1, LAYOUT_FROM_CONTAINER, 4, 3}},
        {"st3d.mp4", {LAYOUT_SIDE_BY_SIDE, 0, 1, LAYOUT_FROM_CONTAINER, 16, 9}},
        // Half width by its name, where 8:3 alone would say full width.
        {"movie_lrh.mkv", {LAYOUT_SIDE_BY_SIDE, 0, 1, LAYOUT_FROM_NAME, 8, 3}},
        // A frame sequence is nothing this engine shows, and its message comes before the name.
        {"fp_frames-2d.mkv", {LAYOUT_UNKNOWN, 0, 0, LAYOUT_FROM_STREAM, 4, 3}},
        {"flat.mkv", {LAYOUT_UNKNOWN, 0, 0, LAYOUT_FROM_NOTHING, 4, 3}},
        {"anamorphic.mkv", {LAYOUT_UNKNOWN, 0, 0, LAYOUT_FROM_NOTHING, 16, 9}},
        {"audio_only.mp3", {LAYOUT_UNKNOWN, 0, 0, LAYOUT_FROM_NOTHING, 0, 0}},
    };
    for (const Case& c : cases) {
        const std::string path = MediaClip(c.clip);
        ASSERT_FALSE(path.empty()) << c.clip;
        const uint32_t channel = Lumex_StreamCreateFile(path.c_str(), 0, 0, 0);
        ASSERT_NE(channel, 0u) << c.clip;
        LUMEX_STEREO_LAYOUT got;
        std::memset(&got, 0x5A, sizeof got);
        ASSERT_EQ(Lumex_StreamGetStereoLayout(channel, &got), 1) << c.clip;
        EXPECT_EQ(got.layout, c.expected.layout) << c.clip;
        EXPECT_EQ(got.rightFirst, c.expected.rightFirst) << c.clip;
        EXPECT_EQ(got.halfPacked, c.expected.halfPacked) << c.clip;
        EXPECT_EQ(got.source, c.expected.source) << c.clip;
        EXPECT_EQ(got.aspectNum, c.expected.aspectNum) << c.clip;
        EXPECT_EQ(got.aspectDen, c.expected.aspectDen) << c.clip;
        EXPECT_EQ(Lumex_StreamGetStereoLayout(channel, nullptr), 0);
        Lumex_StreamFree(channel);
        EXPECT_EQ(Lumex_StreamGetStereoLayout(channel, &got), 0) << "a freed handle";
    }
    EXPECT_EQ(Lumex_StreamGetStereoLayout(0, nullptr), 0);
    Lumex_Free();
}

}  // namespace
}  // namespace orvo::test
