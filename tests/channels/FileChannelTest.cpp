// Files opened into channels through the C interface, played into an Xvfb window whose
// pixels are read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <thread>

#include "Lumex.h"
#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

class FileChannel : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Lumex_Init(1, 0), 1); }
    void TearDown() override {
        if (channel) Lumex_StreamFree(channel);
        Lumex_Free();
    }
    uint32_t Open(const char* clip, LUMEX_HWND window, int32_t kind = RENDERER_OWN) {
        Lumex_SetConfig(CONFIG_RENDERER, kind);
        const std::string path = MediaClip(clip);
        EXPECT_FALSE(path.empty()) << clip;
        return Lumex_StreamCreateFile(path.c_str(), 0, window, 0);
    }
    void OpenPlayFree() {
        const uint32_t h = Open("flat.mkv", 0);
        ASSERT_NE(h, 0u);
        ASSERT_EQ(Lumex_ChannelPlay(h), 1);
        std::this_thread::sleep_for(20ms);
        ASSERT_EQ(Lumex_StreamFree(h), 1);
    }
    uint32_t channel = 0;
};

// The clip's views are (ramp, rows, 0x20) on the left and (0x20, rows, ramp) on the right,
// where the ramp climbs 2 per column and moves from frame to frame, and rows climb 3 per row.
// Each view mode leaves its own mark on which channel carries the ramp, whatever the frame.
struct Channels {
    int r, g, b;
};
Channels At(const std::vector<uint32_t>& pixels, int width, int x, int y) {
    uint32_t p = pixels[size_t(y) * width + x];
    return {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
}
// Equal within 2, modulo 256 since the ramp wraps.
bool Near(int a, int b) {
    const int d = ((a - b) % 256 + 256) % 256;
    return d <= 2 || d >= 254;
}

// Checks the marks of a view mode given which clip view (0 or 1) the transform takes as its
// first and second view: red carries the ramp only when it comes from view 0, blue only when
// it comes from view 1.
void ExpectViewMarks(const std::vector<uint32_t>& shown, int width, int first, int second, int view) {
    const int red = view == VIEW_GREEN_MAGENTA || view == VIEW_SECOND ? second : first;
    const int blue = view == VIEW_FIRST ? first : second;
    for (auto [x, y] : {std::pair{20, 30}, std::pair{150, 120}, std::pair{290, 170}}) {
        const Channels c = At(shown, width, x, y), right = At(shown, width, x + 10, y);
        EXPECT_TRUE(Near(c.g, 3 * y)) << "view " << view << " rows at " << x << "," << y;
        EXPECT_TRUE(red == 0 ? Near(right.r - c.r, 20) : Near(c.r, 0x20)) << "view " << view << " red at " << x;
        EXPECT_TRUE(blue == 1 ? Near(right.b - c.b, 20) : Near(c.b, 0x20)) << "view " << view << " blue at " << x;
        if (red == 0 && blue == 1) {
            EXPECT_TRUE(Near(c.r, c.b)) << "both views at the same column";
        }
    }
}

// Plays the clip in a window of the output's size and shows each view mode of stereo mode.
class StereoModes : public FileChannel {
protected:
    // swapEyes is set before the stereo mode, so the views show that it outlasts mode changes.
    template <class Check>
    void ForEachView(const char* clip, int stereo, int width, int height, int lastView, Check check,
                     bool swapEyes = false) {
        ORVO_REQUIRE_DISPLAY();
        TestWindow window(0, 0, width, height, 0x000000);
        channel = Open(clip, window.Handle());
        ASSERT_NE(channel, 0u);
        EXPECT_EQ(Lumex_ChannelGetState(channel), CHANNEL_STOPPED);
        Lumex_ChannelSetAttribute(channel, ATTRIB_SWAP_EYES, swapEyes ? 1.0f : 0.0f);
        Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, float(stereo));
        ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
        for (int view = VIEW_BLUE_YELLOW; view <= lastView; ++view) {
            Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, float(view));
            std::this_thread::sleep_for(300ms);
            check(view, window.Pixels());
        }
    }
};

TEST_F(StereoModes, SideBySideViewsComeFromTheLeftAndRightHalves) {
    ForEachView("sbs.mkv", STEREO_SIDE_BY_SIDE, 320, 240, VIEW_SECOND,
                [](int view, const std::vector<uint32_t>& shown) { ExpectViewMarks(shown, 320, 0, 1, view); });
}

// The lossless clips decode to bottom-up RGB, whose first rows in memory are the picture's
// bottom half: the transform's first view of a stacked pair is then the lower one.
TEST_F(StereoModes, TopBottomViewsComeFromTheStackedHalves) {
    ForEachView("tb.mkv", STEREO_TOP_BOTTOM, 320, 180, VIEW_WHOLE_FRAME,
                [](int view, const std::vector<uint32_t>& shown) {
                    if (view != VIEW_WHOLE_FRAME) return ExpectViewMarks(shown, 320, 1, 0, view);
                    // The whole stacked frame, squeezed into the window: view 0 above view 1.
                    EXPECT_TRUE(Near(At(shown, 320, 100, 40).b, 0x20));
                    EXPECT_TRUE(Near(At(shown, 320, 100, 140).r, 0x20));
                });
}

// With the eyes swapped every anaglyph and single view takes its first view where the second
// lies and the other way round, on both the side-by-side and the stacked pair.
TEST_F(StereoModes, SwappedEyesExchangeTheViews) {
    ForEachView(
        "sbs.mkv", STEREO_SIDE_BY_SIDE, 320, 240, VIEW_SECOND,
        [](int view, const std::vector<uint32_t>& shown) { ExpectViewMarks(shown, 320, 1, 0, view); }, true);
    Lumex_StreamFree(channel);
    channel = 0;
    ForEachView(
        "tb.mkv", STEREO_TOP_BOTTOM, 320, 180, VIEW_SECOND,
        [](int view, const std::vector<uint32_t>& shown) { ExpectViewMarks(shown, 320, 0, 1, view); }, true);
}

// 2D material: the pixels move along the frame in memory order, which for these bottom-up
// frames starts at the picture's bottom-left corner. Shown shifted, its first 8 pixels
// have nothing before them and are black.
TEST_F(StereoModes, FlatShiftedViewMovesThePixelsAlong) {
    ForEachView("flat.mkv", STEREO_FLAT, 320, 240, VIEW_SECOND, [](int view, const std::vector<uint32_t>& shown) {
        const Channels corner = At(shown, 320, 3, 239), inside = At(shown, 320, 20, 239);
        if (view == VIEW_SECOND) {
            EXPECT_EQ(corner.r + corner.g + corner.b, 0) << "nothing comes before the first pixels";
        } else {
            EXPECT_TRUE(Near(corner.b, 0x20)) << view;
        }
        EXPECT_TRUE(Near(inside.b, 0x20)) << view;
    });
}

// Kept at its shape, each picture here is 16:9: in a 4:3 window of 320 x 240 it is 320 x 180
// between black bars of 30 rows. Stretched (the default), it fills the window.
TEST_F(FileChannel, KeepShapeShowsBlackBarsOfTheRightSize) {
    ORVO_REQUIRE_DISPLAY();
    struct Case {
        const char* clip;
        int32_t stereo;
    } cases[] = {{"pair_16x9.mkv", STEREO_SIDE_BY_SIDE}, {"pair_32x9.mkv", STEREO_SIDE_BY_SIDE},
                 {"anamorphic.mkv", STEREO_FLAT}};
    TestWindow window(0, 0, 320, 240, 0x808080);
    const auto bar = [&](int y) { return window.Pixel(160, y) == 0 && window.Pixel(5, y) == 0; };
    for (const Case& c : cases) {
        channel = Open(c.clip, window.Handle());
        ASSERT_NE(channel, 0u) << c.clip;
        Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, float(c.stereo));
        ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
        std::this_thread::sleep_for(300ms);
        EXPECT_FALSE(bar(10)) << c.clip << ": stretched over the whole window";
        Lumex_ChannelSetAttribute(channel, ATTRIB_KEEP_SHAPE, 1);
        std::this_thread::sleep_for(300ms);
        for (int y : {0, 28, 212, 239}) EXPECT_TRUE(bar(y)) << c.clip << " row " << y;
        for (int y : {32, 120, 208}) EXPECT_FALSE(bar(y)) << c.clip << " row " << y;
        EXPECT_NE(window.Pixel(2, 120), 0u) << c.clip << ": no bars at the sides";
        Lumex_StreamFree(channel);
        channel = 0;
    }
}

std::atomic<int> g_slowFrames{0};  // counted on the streaming thread

void TakeFrameSlowly(void*, uint32_t, intptr_t, intptr_t, intptr_t) {
    ++g_slowFrames;
    std::this_thread::sleep_for(100ms);
}

// A frame callback slower than the frame rate: late frames are dropped (the decoder skips the
// pictures nothing refers to, the renderer the frames still too late), so the picture ends
// with the 2 s clip, where taking every frame would run on until 5 s.
TEST_F(FileChannel, ASlowFrameCallbackDropsFramesAndEndsWithTheClip) {
    channel = Open("h264.mkv", 0);
    ASSERT_NE(channel, 0u);
    g_slowFrames = 0;
    Lumex_ChannelSetDDrawCallback(channel, TakeFrameSlowly, 0);
    const double length = Lumex_ChannelGetLength(channel, POS_REFTIME);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
    while (Lumex_ChannelGetPosition(channel, POS_REFTIME) < length && std::chrono::steady_clock::now() - start < 10s)
        std::this_thread::sleep_for(20ms);
    std::this_thread::sleep_for(700ms);
    const int atEnd = g_slowFrames;
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(g_slowFrames, atEnd) << "no frame comes after the clip has ended";
    EXPECT_GT(atEnd, 8);
    EXPECT_LT(atEnd, 40);
}

// Waits until the window's middle shows the colour (0xRRGGBB).
bool WaitForMiddle(const TestWindow& window, uint32_t colour) {
    for (auto start = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - start < 5s;) {
        if (NearColour(window.Pixel(window.Width() / 2, window.Height() / 2), colour)) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

// Paused, the frame is shown again in each view mode chosen, and stays where it was.
TEST_F(FileChannel, APausedFrameShowsEachNewViewMode) {
    ORVO_REQUIRE_DISPLAY();
    TestWindow window(0, 0, 320, 180, 0x000000);
    channel = Open("sbs_solid.mkv", window.Handle());
    ASSERT_NE(channel, 0u);
    Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, STEREO_SIDE_BY_SIDE);
    ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(Lumex_ChannelPause(channel), 1);
    const double position = Lumex_ChannelGetPosition(channel, POS_REFTIME);
    constexpr Rgb left = SolidViewPixel(0), right = SolidViewPixel(1);
    EXPECT_TRUE(WaitForMiddle(window, Colour(left.r, left.g, right.b))) << "blue/yellow";
    Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, VIEW_RED_CYAN);
    EXPECT_TRUE(WaitForMiddle(window, Colour(left.r, right.g, right.b))) << "red/cyan while paused";
    Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, VIEW_SECOND);
    EXPECT_TRUE(WaitForMiddle(window, Colour(right.r, right.g, right.b))) << "the right view while paused";
    EXPECT_EQ(Lumex_ChannelGetState(channel), CHANNEL_PAUSED);
    EXPECT_NEAR(Lumex_ChannelGetPosition(channel, POS_REFTIME), position, 400'000.0) << "within a frame";
}

TEST_F(FileChannel, QueriesOfAnOpenFile) {
    channel = Open("sbs.mkv", 0);
    ASSERT_NE(channel, 0u);
    EXPECT_NEAR(Lumex_ChannelGetLength(channel, POS_SECONDS), 2.0, 0.05);
    EXPECT_NEAR(Lumex_ChannelGetLength(channel, POS_MILLISECONDS), 2000.0, 50);
    CHANNELINFO info{};
    Lumex_ChannelGetInfo(channel, &info);
    EXPECT_EQ(info.frameRate, 25.0f);
    EXPECT_EQ(info.width, 640);
    EXPECT_EQ(info.height, 240);
    ASSERT_EQ(Lumex_ChannelSetPosition(channel, 1.9, POS_SECONDS), 1);
    EXPECT_EQ(Lumex_ChannelGetPosition(channel, POS_SECONDS), 1.0) << "seeking 1.9 s lands on 1 s";
    EXPECT_EQ(Lumex_ChannelGetPosition(channel, POS_REFTIME), 10000000.0);
}

// The audio fields describe what the audio renderer was connected with: the audio decoder
// offers 32-bit float first, whatever the file stores; a file without sound gives zeros.
TEST_F(FileChannel, InfoCarriesTheConnectedAudioFormat) {
    struct Case {
        const char* clip;
        int32_t channels, sampleRate, bits;
    };
    for (const Case& c : {Case{"sbs.mkv", 2, 48000, 32}, Case{"audio_only.mp3", 2, 44100, 32},
                          Case{"multi.mkv", 2, 48000, 32}, Case{"video_only.mkv", 0, 0, 0}}) {
        channel = Open(c.clip, 0);
        ASSERT_NE(channel, 0u) << c.clip;
        CHANNELINFO info;
        std::memset(&info, 0x5A, sizeof info);
        Lumex_ChannelGetInfo(channel, &info);
        EXPECT_EQ(info.channels, c.channels) << c.clip;
        EXPECT_EQ(info.sampleRate, c.sampleRate) << c.clip;
        EXPECT_EQ(info.bitsPerSample, c.bits) << c.clip;
        EXPECT_EQ(info.reserved, 0) << c.clip;
        Lumex_StreamFree(channel);
        channel = 0;
    }
}

TEST_F(FileChannel, StreamsOfAMultiStreamFile) {
    channel = Open("multi.mkv", 0);
    ASSERT_NE(channel, 0u);
    const int32_t count = Lumex_ChannelStreamsCount(channel);
    ASSERT_GE(count, 3);
    int audio = 0, enabledAudio = 0;
    for (int32_t i = 0; i < count; ++i) {
        StreamInfo s{};
        ASSERT_EQ(Lumex_ChannelGetStream(channel, i, &s), 1);
        if (s.type == 2) {
            ++audio;
            enabledAudio += s.enabled;
        }
    }
    EXPECT_EQ(audio, 2);
    EXPECT_EQ(enabledAudio, 1);
    EXPECT_EQ(Lumex_ChannelEnableStream(channel, -1), 0);
}

std::vector<std::string> g_filters;
void RecordFilter(int32_t, const char* name, int32_t, int32_t) { g_filters.push_back(name); }

TEST_F(FileChannel, TheGraphHoldsThePlugInsAndTheRenderer) {
    channel = Open("flat.mkv", 0);
    ASSERT_NE(channel, 0u);
    g_filters.clear();
    EXPECT_GE(Lumex_ChannelGetConnectedFilters(channel, RecordFilter, 0), 4);
    for (const char* name : {"SourceFilter", "DECODER 1", "DECODER 2", "User Video Renderer"})
        EXPECT_NE(std::find(g_filters.begin(), g_filters.end(), name), g_filters.end()) << name;
}

TEST_F(FileChannel, AMissingFileTakesNoHandle) {
    const uint32_t first = Open("flat.mkv", 0);
    ASSERT_NE(first, 0u);
    ASSERT_EQ(Lumex_StreamFree(first), 1);
    EXPECT_EQ(Lumex_StreamCreateFile("/nonexistent/clip.mkv", 0, 0, 0), 0u);
    EXPECT_EQ(Lumex_StreamCreateFile(MediaClip("random.mkv").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(Lumex_StreamCreateFile(nullptr, 0, 0, 0), 0u);
    channel = Open("flat.mkv", 0);
    EXPECT_EQ(channel, first + 1) << "a failed open takes no number";
    const std::string narrow = MediaClip("flat.mkv");
    const std::u16string wide(narrow.begin(), narrow.end());
    const uint32_t again = Lumex_StreamCreateFile(wide.c_str(), 0, 0, STREAM_UNICODE);
    EXPECT_EQ(again, channel + 1) << "the same file as UTF-16";
    Lumex_StreamFree(again);
}

TEST_F(FileChannel, AnAudioOnlyFileStillOpens) {
    channel = Open("audio_only.mp3", 0);
    ASSERT_NE(channel, 0u);
    CHANNELINFO info{};
    Lumex_ChannelGetInfo(channel, &info);
    EXPECT_EQ(info.width, 0) << "the unconnected video renderer left the graph";
    EXPECT_EQ(Lumex_ChannelPlay(channel), 1);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Lumex_ChannelStop(channel), 1);
}

size_t RunningThreads() { return size_t(std::distance(std::filesystem::directory_iterator("/proc/self/task"), {})); }

// Leaks show under LeakSanitizer in the sanitizer build; threads are counted here, from after
// a first cycle, since a sanitizer's runtime starts a helper thread of its own with the
// process's first thread.
TEST_F(FileChannel, OpenPlayFreeCyclesLeaveNothingBehind) {
    ASSERT_NO_FATAL_FAILURE(OpenPlayFree());
    const size_t threads = RunningThreads();
    for (int i = 0; i < 200; ++i) ASSERT_NO_FATAL_FAILURE(OpenPlayFree());
    EXPECT_EQ(RunningThreads(), threads);
}

}  // namespace
}  // namespace orvo::test
