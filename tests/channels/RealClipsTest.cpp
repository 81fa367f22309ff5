// Clips of the kinds a real library holds, opened through the C interface, their frames taken
// from the frame callback and checked against the picture the generator wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "Lumex.h"
#include "tests/media/ClipCatalog.h"
#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

// Frames handed to the callback, on the streaming thread.
struct Frames {
    std::mutex lock;
    std::vector<std::vector<uint8_t>> pictures;
    size_t pictureBytes = 0;
};
Frames g_frames;

void KeepFrame(void* frame, uint32_t, intptr_t, intptr_t, intptr_t) {
    std::lock_guard lock(g_frames.lock);
    const auto* bytes = static_cast<const uint8_t*>(frame);
    g_frames.pictures.emplace_back(bytes, bytes + g_frames.pictureBytes);
}

class RealClips : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Lumex_Init(1, 0), 1);
        Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
        std::lock_guard lock(g_frames.lock);
        g_frames.pictures.clear();
    }
    void TearDown() override {
        if (m_channel) Lumex_StreamFree(m_channel);
        Lumex_Free();
    }
    // Opens the clip with the callback taking every frame; info holds the picture as shown.
    void Open(const char* clip) {
        m_channel = Lumex_StreamCreateFile(MediaClip(clip).c_str(), 0, 0, 0);
        ASSERT_NE(m_channel, 0u) << clip;
        Lumex_ChannelGetInfo(m_channel, &m_info);
        {
            std::lock_guard lock(g_frames.lock);
            g_frames.pictureBytes = size_t(m_info.width) * size_t(m_info.height) * 4;
        }
        ASSERT_EQ(Lumex_ChannelSetDDrawCallback(m_channel, KeepFrame, 0), 1);
    }
    size_t FrameCount() {
        std::lock_guard lock(g_frames.lock);
        return g_frames.pictures.size();
    }
    bool WaitForFrames(size_t count, std::chrono::milliseconds limit = 5s) {
        for (auto start = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - start < limit;) {
            if (FrameCount() >= count) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    void PlayToTheEnd() {
        const double length = Lumex_ChannelGetLength(m_channel, POS_REFTIME);
        ASSERT_EQ(Lumex_ChannelPlay(m_channel), 1);
        for (auto start = std::chrono::steady_clock::now();
             Lumex_ChannelGetPosition(m_channel, POS_REFTIME) < length && std::chrono::steady_clock::now() - start < 10s;)
            std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(300ms);
    }
    std::vector<std::vector<uint8_t>> Pictures() {
        std::lock_guard lock(g_frames.lock);
        return g_frames.pictures;
    }

    uint32_t m_channel = 0;
    CHANNELINFO m_info{};
};

// The frame a picture of a ViewPixel clip shows: the red ramp starts at 3 per frame.
int FrameIndexOf(const std::vector<uint8_t>& picture) { return picture[2] / 3; }

TEST_F(RealClips, FrameRatesNearAWholeNumberReportThatNumber) {
    const std::pair<const char*, float> cases[] = {{"fps24.mkv", 24.0f}, {"fps60.mkv", 60.0f},
                                                   {"fps23976.mkv", 23.0f}, {"flat.mkv", 25.0f}};
    for (auto [clip, rate] : cases) {
        Open(clip);
        EXPECT_EQ(m_info.frameRate, rate) << clip;
        Lumex_StreamFree(m_channel);
        m_channel = 0;
    }
}

// From the start of play to the end, each frame once and in order, beginning with the first.
TEST_F(RealClips, EveryFrameReachesTheCallbackOnce) {
    for (const char* clip : {"fps60.mkv", "fps24.mkv"}) {
        Open(clip);
        PlayToTheEnd();
        const auto pictures = Pictures();
        ASSERT_FALSE(pictures.empty()) << clip;
        EXPECT_EQ(FrameIndexOf(pictures.front()), 0) << clip;
        for (size_t i = 1; i < pictures.size(); ++i)
            EXPECT_GT(FrameIndexOf(pictures[i]), FrameIndexOf(pictures[i - 1])) << clip << " picture " << i;
        EXPECT_GE(pictures.size(), size_t(FindClip(clip)->video[0].frames) * 3 / 4) << clip;
        Lumex_StreamFree(m_channel);
        m_channel = 0;
        std::lock_guard lock(g_frames.lock);
        g_frames.pictures.clear();
    }
}

// Each clip holds four flat quadrants of known Y, U, V: the pixels shown are those of the clip's
// colour matrix and range (as tagged, or BT.709 for an untagged HD picture and BT.601 below),
// within 2 levels of the matrix in floating point, at the depth the clip was stored in.
TEST_F(RealClips, EachClipShowsTheColoursOfItsMatrixAndRange) {
    struct Case {
        const char* clip;
        double kr, kb;
        bool full;
        int depth;
    };
    constexpr double kBt601[] = {0.299, 0.114}, kBt709[] = {0.2126, 0.0722}, kBt2020[] = {0.2627, 0.0593};
    const Case cases[] = {
        {"bt709_720p.mkv", kBt709[0], kBt709[1], false, 8},
        {"untagged_720p.mkv", kBt709[0], kBt709[1], false, 8},
        {"bt2020_hevc10.mkv", kBt2020[0], kBt2020[1], false, 10},
        {"full_range.mkv", kBt601[0], kBt601[1], true, 8},
        {"limited_range.mkv", kBt601[0], kBt601[1], false, 8},
        {"prores422.mkv", kBt601[0], kBt601[1], false, 10},
        {"h264_444.mkv", kBt601[0], kBt601[1], false, 8},
    };
    for (const Case& c : cases) {
        Open(c.clip);
        const VideoTrack& track = FindClip(c.clip)->video[0];
        EXPECT_EQ(m_info.width, track.width) << c.clip;
        EXPECT_EQ(m_info.height, track.height) << c.clip;
        ASSERT_EQ(Lumex_ChannelPlay(m_channel), 1);
        ASSERT_TRUE(WaitForFrames(1)) << c.clip;
        const std::vector<uint8_t> picture = Pictures().front();
        for (int q = 0; q < 4; ++q) {
            const int x = m_info.width / 4 + q % 2 * m_info.width / 2, y = m_info.height / 4 + q / 2 * m_info.height / 2;
            const YuvSample sample = QuadrantSample(q);
            const int up = c.depth - 8;
            const Rgb expected = RgbOfYuv(c.kr, c.kb, c.full, c.depth, sample.y << up, sample.u << up, sample.v << up);
            const uint8_t* p = picture.data() + (size_t(y) * m_info.width + x) * 4;
            EXPECT_NEAR(p[2], expected.r, 2) << c.clip << " quadrant " << q;
            EXPECT_NEAR(p[1], expected.g, 2) << c.clip << " quadrant " << q;
            EXPECT_NEAR(p[0], expected.b, 2) << c.clip << " quadrant " << q;
        }
        Lumex_StreamFree(m_channel);
        m_channel = 0;
        std::lock_guard lock(g_frames.lock);
        g_frames.pictures.clear();
    }
}

// Interlaced clips whose fields show an edge 6 columns apart: every picture shown has one edge
// from row to row, not the comb of two fields woven together.
TEST_F(RealClips, InterlacedClipsShowNoCombOnAMovingEdge) {
    for (const char* clip : {"interlaced_mpeg2.mkv", "mbaff_h264.mkv"}) {
        Open(clip);
        PlayToTheEnd();
        const auto pictures = Pictures();
        ASSERT_GE(pictures.size(), 10u) << clip;
        const int width = m_info.width;
        for (size_t i = 2; i + 2 < pictures.size(); ++i) {
            const auto edgeOf = [&](int row) {
                int x = 0;
                while (x < width && pictures[i][(size_t(row) * width + x) * 4 + 1] >= 128) ++x;
                return x;
            };
            int comb = 0;
            for (int row = 60; row < 180; ++row) comb = std::max(comb, std::abs(edgeOf(row) - edgeOf(row + 1)));
            EXPECT_LE(comb, 2) << clip << " picture " << i;
        }
        Lumex_StreamFree(m_channel);
        m_channel = 0;
        std::lock_guard lock(g_frames.lock);
        g_frames.pictures.clear();
    }
}

// The frame of a lossless YUV pattern clip (BT.601, limited range) a picture shows, from its
// first pixel: Y = 16 + 5k, U = V = 16 + k.
int PatternFrameOf(const std::vector<uint8_t>& picture) {
    int best = -1, bestDistance = 1 << 30;
    for (int k = 0; k < 44; ++k) {
        const Rgb e = RgbOfYuv(0.299, 0.114, false, 8, LumaPixel(k, 0, 0), ChromaUPixel(k, 0, 0), ChromaVPixel(k, 0, 0));
        const int d = std::abs(picture[2] - e.r) + std::abs(picture[1] - e.g) + std::abs(picture[0] - e.b);
        if (d < bestDistance) best = k, bestDistance = d;
    }
    return bestDistance <= 6 ? best : -1;
}

// H.264 and HEVC with B-frames in .ts and .m2ts: every frame from the first, in order, and a
// paused seek shows the frame at its target.
TEST_F(RealClips, TransportStreamsPlayEveryFrameAndSeekToTheFrameShown) {
    for (const char* clip : {"h264_bframes.ts", "h264_bframes.m2ts", "hevc_bframes.ts", "hevc_bframes.m2ts"}) {
        Open(clip);
        PlayToTheEnd();
        auto pictures = Pictures();
        ASSERT_FALSE(pictures.empty()) << clip;
        EXPECT_EQ(PatternFrameOf(pictures.front()), 0) << clip;
        EXPECT_GE(pictures.size(), 45u) << clip;
        for (size_t i = 1; i < pictures.size() && PatternFrameOf(pictures[i]) >= 0; ++i)
            EXPECT_GT(PatternFrameOf(pictures[i]), PatternFrameOf(pictures[i - 1])) << clip << " picture " << i;
        ASSERT_EQ(Lumex_ChannelPause(m_channel), 1);
        for (int frame : {30, 7}) {
            std::this_thread::sleep_for(100ms);
            {
                std::lock_guard lock(g_frames.lock);
                g_frames.pictures.clear();
            }
            ASSERT_EQ(Lumex_ChannelSetPosition(m_channel, (frame * 40 + 25) * 10'000.0, POS_REFTIME), 1);
            ASSERT_TRUE(WaitForFrames(1)) << clip << " seek to frame " << frame;
            EXPECT_EQ(PatternFrameOf(Pictures().front()), frame) << clip;
        }
        Lumex_StreamFree(m_channel);
        m_channel = 0;
        std::lock_guard lock(g_frames.lock);
        g_frames.pictures.clear();
    }
}

// A seek to a time inside a frame shows that frame, once: 25 fps, frame k from 40k to 40k + 40 ms.
TEST_F(RealClips, ASeekInsideAFrameShowsThatFrame) {
    Open("flat.mkv");
    ASSERT_EQ(Lumex_ChannelPlay(m_channel), 1);
    ASSERT_TRUE(WaitForFrames(1));
    ASSERT_EQ(Lumex_ChannelPause(m_channel), 1);
    for (int frame : {10, 37, 3, 60}) {
        std::this_thread::sleep_for(100ms);
        {
            std::lock_guard lock(g_frames.lock);
            g_frames.pictures.clear();
        }
        ASSERT_EQ(Lumex_ChannelSetPosition(m_channel, (frame * 40 + 25) * 10'000.0, POS_REFTIME), 1);
        ASSERT_TRUE(WaitForFrames(1)) << "frame " << frame;
        std::this_thread::sleep_for(100ms);
        const auto pictures = Pictures();
        EXPECT_EQ(pictures.size(), 1u) << "a paused seek shows one frame";
        EXPECT_EQ(FrameIndexOf(pictures.front()), frame);
    }
}

}  // namespace
}  // namespace orvo::test
