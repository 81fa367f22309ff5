// Capture devices listed and opened through the C interface. No camera exists on the build
// machines, so the video devices are virtual cameras registered with the device enumerator's
// test provider; they are listed after whatever real devices the machine has. The microphone
// is real ALSA capture from a file-fed PCM (CaptureAlsa.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Lumex.h"
#include "platform/filters/capture/CaptureFilterIds.h"
#include "platform/filters/capture/CapturePattern.h"
#include "platform/filters/capture/VirtualCamera.h"
#include "tests/capture/CaptureAlsa.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;
using capture::VirtualCamera;
using capture::VirtualCameraSettings;

const auto* const g_alsa = testing::AddGlobalTestEnvironment(new CaptureAlsa);

constexpr int kWidth = 320, kHeight = 240;

struct Listed {
    std::string name;
    GUID clsid;
    intptr_t user;
};

void LUMEX_CALL Collect(const char* name, GUID clsid, intptr_t user) {
    reinterpret_cast<std::vector<Listed>*>(user)->push_back({name, clsid, user});
}

std::vector<Listed> List(int32_t kind, int32_t* count = nullptr) {
    std::vector<Listed> listed;
    const int32_t n = Lumex_CaptureGetDevices(kind, &Collect, reinterpret_cast<intptr_t>(&listed));
    if (count) *count = n;
    return listed;
}

std::vector<std::string> g_filters;
void LUMEX_CALL CollectFilter(int32_t, const char* name, int32_t, int32_t) { g_filters.push_back(name); }

class Capture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Lumex_Init(1, 0), 1);
        realCameras = Lumex_CaptureGetDevices(DEVICE_VIDEO, nullptr, 0);
    }
    void TearDown() override {
        if (channel) Lumex_StreamFree(channel);
        Lumex_Free();
    }
    // The device number of the n-th virtual camera (from 1).
    int32_t Camera(int n) const { return realCameras + n; }

    int32_t realCameras = 0;
    uint32_t channel = 0;
};

TEST_F(Capture, VideoDevicesAreCountedAndReportedInOrderWithTheUserValue) {
    VirtualCamera first({.name = "Orvo Camera One"}), second({.name = "Orvo Camera Two"});
    EXPECT_EQ(Lumex_CaptureGetDevices(DEVICE_VIDEO, nullptr, 0), realCameras + 2);

    int32_t count = 0;
    std::vector<Listed> listed = List(DEVICE_VIDEO, &count);
    EXPECT_EQ(count, realCameras + 2);
    ASSERT_EQ(listed.size(), size_t(realCameras + 2));
    EXPECT_EQ(listed[size_t(realCameras)].name, "Orvo Camera One");
    EXPECT_EQ(listed[size_t(realCameras) + 1].name, "Orvo Camera Two");
    for (const Listed& device : listed) {
        EXPECT_EQ(device.user, reinterpret_cast<intptr_t>(&listed));
        EXPECT_EQ(device.clsid, CLSID_VideoCaptureSource) << device.name;
    }
}

TEST_F(Capture, KindsOtherThanTheTwoDeviceKindsListNothing) {
    VirtualCamera camera({});
    for (int32_t kind : {0, 1, -1, DEVICE_AUDIO + 1, DEVICE_VIDEO - 1, 0x7FFFFFFF}) {
        std::vector<Listed> listed;
        EXPECT_EQ(Lumex_CaptureGetDevices(kind, &Collect, reinterpret_cast<intptr_t>(&listed)), 0) << kind;
        EXPECT_TRUE(listed.empty()) << kind;
    }
}

TEST_F(Capture, NothingIsListedOrOpenedBeforeInitOrAfterFree) {
    VirtualCamera camera({});
    Lumex_Free();
    std::vector<Listed> listed;
    EXPECT_EQ(Lumex_CaptureGetDevices(DEVICE_VIDEO, &Collect, reinterpret_cast<intptr_t>(&listed)), 0);
    EXPECT_TRUE(listed.empty());
    EXPECT_EQ(Lumex_CaptureCreate(0, Camera(1), 0, 0, 0), 0u);
    ASSERT_EQ(Lumex_Init(1, 0), 1);
}

// A name longer than the 260-byte buffer is cut between whole UTF-8 characters and terminated.
TEST_F(Capture, ALongDeviceNameIsCutAtACharacterBoundary) {
    std::string name;
    for (int i = 0; i < 100; ++i) name += "\xC3\xA9\xE2\x82\xAC";  // é€: 2 and 3 bytes
    VirtualCamera camera({.name = name});
    std::vector<Listed> listed = List(DEVICE_VIDEO);
    ASSERT_EQ(listed.size(), size_t(realCameras + 1));
    const std::string& got = listed.back().name;
    EXPECT_LE(got.size(), 259u);
    EXPECT_GE(got.size(), 255u);
    EXPECT_EQ(name.compare(0, got.size(), got), 0) << "a prefix of the name";
    const size_t cut = got.size() % 5;
    EXPECT_TRUE(cut == 0 || cut == 2) << "ends after a whole character";
}

// Handles are issued one after another; a create that fails takes none.
TEST_F(Capture, OpenCasesTakeAHandleOnlyWhenADeviceWasAdded) {
    VirtualCamera first({.name = "Orvo Camera One"}), second({.name = "Orvo Camera Two"});
    const uint32_t before = Lumex_CaptureCreate(-1, Camera(1), 0, 0, 0);
    ASSERT_NE(before, 0u);
    EXPECT_EQ(Lumex_ChannelGetState(before), CHANNEL_STOPPED);
    EXPECT_EQ(Lumex_StreamFree(before), 1);

    struct Case {
        int32_t audio, video;
    };
    for (Case c : {Case{0, 0}, Case{0, 3}, Case{-1, 3}, Case{0, -2}, Case{-5, -5}}) {
        const int32_t video = c.video > 0 ? Camera(c.video) : c.video;
        EXPECT_EQ(Lumex_CaptureCreate(c.audio, video, 0, 0, 0), 0u) << c.audio << "," << c.video;
    }
    EXPECT_EQ(first.OpenCount() + second.OpenCount(), 0);

    channel = Lumex_CaptureCreate(0, Camera(2), 0, 0, 0);
    EXPECT_EQ(channel, before + 1) << "no failed create was registered";
}

// The live picture, read back from the default window: the bar pattern itself with the first
// view of 2D material, and its pseudo-stereo anaglyph with blue/yellow.
class CapturePicture : public Capture {
protected:
    void SetUp() override {
        ORVO_REQUIRE_DISPLAY();
        Capture::SetUp();
    }
    // The frame shown, from the bar at the left edge: the pattern's frame number modulo 8.
    static int ShownFrame(const std::vector<uint32_t>& shown) {
        const uint32_t* bars = capture::PatternBarColours();
        for (int n = 0; n < capture::kPatternBars; ++n)
            if (NearColour(shown[size_t(kHeight / 2) * kWidth + kWidth / 16], bars[n], 6)) return n;
        return -1;
    }
    static bool NearColour(uint32_t a, uint32_t b, int tolerance) {
        for (int shift : {0, 8, 16})
            if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > tolerance) return false;
        return true;
    }
    // The window's pixels once they show a pattern frame (or after 5 s, when none came).
    static std::vector<uint32_t> WaitForPattern(const TestWindow& window) {
        std::vector<uint32_t> shown = window.Pixels();
        for (auto deadline = std::chrono::steady_clock::now() + 5s;
             ShownFrame(shown) < 0 && std::chrono::steady_clock::now() < deadline; shown = window.Pixels())
            std::this_thread::sleep_for(20ms);
        return shown;
    }
    // Opens the n-th virtual camera in the window, shown as 2D material in the view mode.
    uint32_t Show(const TestWindow& window, int n, int view) {
        Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
        Lumex_SetConfig(CONFIG_WINDOW, intptr_t(window.Handle()));
        const uint32_t h = Lumex_CaptureCreate(-1, Camera(n), 0, 0, 0);
        if (!h) return 0;
        Lumex_ChannelSetAttribute(h, ATTRIB_STEREO_MODE, STEREO_FLAT);
        Lumex_ChannelSetAttribute(h, ATTRIB_VIEW_MODE, float(view));
        return Lumex_ChannelPlay(h) == 1 ? h : 0;
    }
};

// Every native format reaches the window: the uncompressed ones straight, Motion JPEG through
// the platform's decoder.
TEST_F(CapturePicture, TheFirstViewOfEachCameraFormatIsThePattern) {
    TestWindow window(0, 0, kWidth, kHeight, 0x000000);
    struct Case {
        GUID subtype;
        const char* name;
    };
    for (Case c : {Case{MEDIASUBTYPE_YUY2, "YUY2"}, Case{MEDIASUBTYPE_NV12, "NV12"}, Case{MEDIASUBTYPE_I420, "I420"},
                   Case{MEDIASUBTYPE_MJPG, "MJPG"}}) {
        VirtualCamera camera({.name = c.name, .width = kWidth, .height = kHeight, .subtype = c.subtype});
        const uint32_t h = Show(window, 1, VIEW_FIRST);
        ASSERT_NE(h, 0u) << c.name;
        const std::vector<uint32_t> shown = WaitForPattern(window);
        Lumex_StreamFree(h);
        const int frame = ShownFrame(shown);
        ASSERT_GE(frame, 0) << c.name << ": a pattern frame is shown";
        for (int y : {4, kHeight / 2, kHeight - 5})
            for (int x = 2; x < kWidth; x += 5) {
                // Chroma is shared by neighbouring pixels, so the columns at bar edges may blend.
                if (x % (kWidth / capture::kPatternBars) < 4 || x % (kWidth / capture::kPatternBars) > 36) continue;
                ASSERT_TRUE(NearColour(shown[size_t(y) * kWidth + x], capture::PatternColour(frame, x, kWidth), 6))
                    << c.name << " at " << x << "," << y << " of frame " << frame;
            }
    }
}

// Pseudo-stereo: the second view is the picture moved along by a few pixels, so just right of
// each bar edge blue still comes from the bar before while red and green are the bar's.
TEST_F(CapturePicture, TheBlueYellowAnaglyphOfTheLivePictureShowsItsShiftedCopy) {
    VirtualCamera camera({.name = "Orvo Camera", .width = kWidth, .height = kHeight});
    TestWindow window(0, 0, kWidth, kHeight, 0x000000);
    channel = Show(window, 1, VIEW_BLUE_YELLOW);
    ASSERT_NE(channel, 0u);
    const std::vector<uint32_t> shown = WaitForPattern(window);
    const int frame = ShownFrame(shown);
    ASSERT_GE(frame, 0);
    const int bar = kWidth / capture::kPatternBars;
    for (int edge = bar; edge < kWidth; edge += bar) {
        const uint32_t inside = shown[size_t(kHeight / 2) * kWidth + edge + bar / 2];
        const uint32_t justAfter = shown[size_t(kHeight / 2) * kWidth + edge + 3];
        const uint32_t here = capture::PatternColour(frame, edge + 3, kWidth);
        const uint32_t before = capture::PatternColour(frame, edge - 3, kWidth);
        EXPECT_TRUE(NearColour(inside, here, 6)) << "both views agree inside the bar at " << edge;
        EXPECT_TRUE(NearColour(justAfter & 0xFFFF00, here & 0xFFFF00, 6)) << "red and green after edge " << edge;
        EXPECT_TRUE(NearColour(justAfter & 0xFF, before & 0xFF, 6)) << "blue after edge " << edge;
    }
}

TEST_F(CapturePicture, TheLivePictureMovesWhilePlayingHoldsWhilePausedAndStopReleasesTheCamera) {
    VirtualCamera camera({.name = "Orvo Camera", .width = kWidth, .height = kHeight});
    TestWindow window(0, 0, kWidth, kHeight, 0x000000);
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    Lumex_SetConfig(CONFIG_WINDOW, intptr_t(window.Handle()));
    channel = Lumex_CaptureCreate(0, Camera(1), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(camera.OpenCount(), 0) << "a stopped channel holds no device";
    Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, STEREO_FLAT);
    Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, VIEW_FIRST);
    ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
    EXPECT_EQ(camera.OpenCount(), 1);

    std::set<int> frames;
    for (auto deadline = std::chrono::steady_clock::now() + 5s;
         frames.size() < 4 && std::chrono::steady_clock::now() < deadline;) {
        std::this_thread::sleep_for(20ms);
        if (int frame = ShownFrame(window.Pixels()); frame >= 0) frames.insert(frame);
    }
    EXPECT_EQ(frames.size(), 4u) << "the bars move";

    ASSERT_EQ(Lumex_ChannelPause(channel), 1);
    EXPECT_EQ(Lumex_ChannelGetState(channel), CHANNEL_PAUSED);
    std::this_thread::sleep_for(300ms);
    const std::vector<uint32_t> paused = window.Pixels();
    EXPECT_GE(ShownFrame(paused), 0) << "the last frame stays";
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(window.Pixels(), paused) << "nothing moves while paused";

    ASSERT_EQ(Lumex_ChannelStop(channel), 1);
    EXPECT_EQ(camera.OpenCount(), 0) << "stop releases the camera at once";
    ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
    EXPECT_EQ(camera.OpenCount(), 1) << "and play takes it again";
}

TEST_F(Capture, TheGraphHoldsTheCaptureFiltersAndTheOwnRenderer) {
    VirtualCamera camera({});
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    channel = Lumex_CaptureCreate(1, Camera(1), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    g_filters.clear();
    EXPECT_GE(Lumex_ChannelGetConnectedFilters(channel, &CollectFilter, 0), 4);
    for (const char* name : {"Video Capture Device", "Audio Capture Device", "Infinite TEE", "User Video Renderer"})
        EXPECT_NE(std::find(g_filters.begin(), g_filters.end(), name), g_filters.end()) << name;
}

// Kinds 1 and 2 add no renderer filter: the graph picks one for the preview stream.
TEST_F(CapturePicture, EveryRendererKindTakesThePreviewStream) {
    VirtualCamera camera({});
    TestWindow window(0, 0, kWidth, kHeight, 0x000000);
    Lumex_SetConfig(CONFIG_WINDOW, intptr_t(window.Handle()));
    const char* const names[] = {
        "VMR7 Window Mode",    "VMR9 Window Mode",   "VMR7 Windowless", "VMR9 Windowless", "EVR",
        "NULL Video Renderer", "User Video Renderer"};
    for (int32_t kind = RENDERER_VMR7_WINDOW; kind <= RENDERER_OWN; ++kind) {
        Lumex_SetConfig(CONFIG_RENDERER, kind);
        const uint32_t h = Lumex_CaptureCreate(0, Camera(1), 0, 0, 0);
        ASSERT_NE(h, 0u) << kind;
        EXPECT_EQ(Lumex_ChannelPlay(h), 1) << kind;
        EXPECT_EQ(Lumex_ChannelGetState(h), CHANNEL_PLAYING) << kind;
        g_filters.clear();
        Lumex_ChannelGetConnectedFilters(h, &CollectFilter, 0);
        Lumex_StreamFree(h);
        EXPECT_EQ(g_filters.size(), 3u) << "device, tee and renderer for kind " << kind;
        const bool ownFilter = kind > RENDERER_VMR9_WINDOW;
        const auto renderer = std::find_if(g_filters.begin(), g_filters.end(), [](const std::string& n) {
            return n != "Video Capture Device" && n != "Infinite TEE";
        });
        ASSERT_NE(renderer, g_filters.end()) << kind;
        if (ownFilter) {
            EXPECT_EQ(*renderer, names[kind - 1]);
        }
    }
}

// The 1 kHz tone the microphone PCM reads comes out of the audio renderer's ALSA output.
class CaptureSound : public Capture {
protected:
    // Zero crossings per second of the left channel of what the output device wrote.
    static double ToneOfOutput(size_t* frames) {
        const std::vector<char> pcm = AlsaCapture::Captured();
        const auto* samples = reinterpret_cast<const int16_t*>(pcm.data());
        *frames = pcm.size() / 4;
        size_t crossings = 0, loud = 0;
        for (size_t i = 1; i < *frames; ++i) {
            crossings += (samples[2 * i - 2] < 0) != (samples[2 * i] < 0);
            loud += std::abs(samples[2 * i]) > 8000;
        }
        return loud > *frames / 4 ? crossings * 48000.0 / 2 / double(*frames) : 0.0;
    }
};

TEST_F(CaptureSound, TheMicrophoneIsListedByItsDescription) {
    std::vector<Listed> listed = List(DEVICE_AUDIO);
    ASSERT_EQ(listed.size(), 1u) << "the test configuration names one capture PCM";
    EXPECT_EQ(listed[0].name, kMicDescription);
    EXPECT_EQ(listed[0].clsid, CLSID_AudioCaptureSource);
}

TEST_F(CaptureSound, ASoundOnlyChannelPlaysTheCapturedTone) {
    AudioDevice output("capture");
    VirtualCamera camera({});
    struct Case {
        int32_t video;  // virtual camera number; 0 none, 3 beyond the one registered
    };
    for (Case c : {Case{0}, Case{3}}) {
        const uint32_t h = Lumex_CaptureCreate(1, c.video ? Camera(c.video) : 0, 0, 0, 0);
        ASSERT_NE(h, 0u) << c.video;
        CHANNELINFO info{};
        Lumex_ChannelGetInfo(h, &info);
        EXPECT_EQ(info.width, 0) << "no renderer object";
        g_filters.clear();
        Lumex_ChannelGetConnectedFilters(h, &CollectFilter, 0);
        EXPECT_EQ(std::count(g_filters.begin(), g_filters.end(), "Audio Capture Device"), 1);
        EXPECT_EQ(std::count(g_filters.begin(), g_filters.end(), "Video Capture Device"), 0);
        Lumex_StreamFree(h);
    }

    channel = Lumex_CaptureCreate(1, 0, 0, 0, 0);
    ASSERT_NE(channel, 0u);
    ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
    std::this_thread::sleep_for(1500ms);
    ASSERT_EQ(Lumex_ChannelStop(channel), 1);
    size_t frames = 0;
    const double tone = ToneOfOutput(&frames);
    EXPECT_GT(frames, size_t(kToneRate / 2)) << "sound reached the output";
    EXPECT_NEAR(tone, kToneHz, 20);
}

size_t Count(const char* folder) { return size_t(std::distance(std::filesystem::directory_iterator(folder), {})); }

// Leaks show under LeakSanitizer in the sanitizer build; threads and descriptors are counted here.
TEST_F(Capture, OpenPlayStopFreeCyclesLeaveNothingBehind) {
    VirtualCamera camera({});
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_NULL);
    // A first cycle loads what stays loaded for the process (plug-ins, ALSA's configuration).
    uint32_t h = Lumex_CaptureCreate(1, Camera(1), 0, 0, 0);
    ASSERT_NE(h, 0u);
    Lumex_ChannelPlay(h);
    Lumex_StreamFree(h);
    const size_t threads = Count("/proc/self/task"), files = Count("/proc/self/fd");
    for (int i = 0; i < 200; ++i) {
        h = Lumex_CaptureCreate(1, Camera(1), 0, 0, 0);
        ASSERT_NE(h, 0u);
        ASSERT_EQ(Lumex_ChannelPlay(h), 1);
        std::this_thread::sleep_for(10ms);
        ASSERT_EQ(Lumex_ChannelStop(h), 1);
        ASSERT_EQ(Lumex_StreamFree(h), 1);
    }
    EXPECT_EQ(Count("/proc/self/task"), threads);
    EXPECT_EQ(Count("/proc/self/fd"), files);
    EXPECT_EQ(camera.OpenCount(), 0);
}

}  // namespace
}  // namespace orvo::test
