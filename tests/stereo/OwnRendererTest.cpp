// The own renderer kind in real graphs: a frame source connected through the graph manager
// to COwnVideoRenderer, shown in an Xvfb window whose pixels are read back.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <mutex>
#include <set>
#include <thread>

#include "engine/renderers/GraphHelpers.h"
#include "engine/renderers/NullVideo.h"
#include "engine/stereo/OwnVideo.h"
#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "platform/graph/MediaFormats.h"
#include "tests/support/FrameSource.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::stereo {
namespace {

using namespace std::chrono_literals;
using test::FrameSource;
using test::Picture;

constexpr uint32_t kA = 0xC81428, kB = 0x1EB45A, kC = 0x6432DC, kD = 0xF0F00A;

// The anaglyph of two 0xRRGGBB colours: blue from the second view, plus green (red/cyan) or
// red (green/magenta).
uint32_t Merge(uint32_t first, uint32_t second, uint32_t view) {
    uint32_t fromSecond = 0x0000FF;
    if (view == VIEW_RED_CYAN) fromSecond |= 0x00FF00;
    if (view == VIEW_GREEN_MAGENTA) fromSecond |= 0xFF0000;
    return (first & ~fromSecond) | (second & fromSecond);
}

graph::MediaType VideoType(const GUID& subtype, int width, int height, REFERENCE_TIME frameTime = 400000) {
    graph::MediaType mt(MEDIATYPE_Video, subtype, FORMAT_VideoInfo);
    VIDEOINFOHEADER info{};
    info.AvgTimePerFrame = frameTime;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    SetMediaTypeFormat(mt, FORMAT_VideoInfo, &info, sizeof info);
    return mt;
}

class OwnRenderer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()),
            S_OK);
        ASSERT_EQ(graph.As(control), S_OK);
    }
    void TearDown() override {
        if (control) control->Stop();
        own.reset();
        source.Reset();
        control.Reset();
        graph.Reset();
        CoUninitialize();
    }
    // source -> own renderer, built the way a channel builds it.
    void Build(FrameSource* frames, HWND window) {
        source = ComPtr<FrameSource>(frames);
        own = std::make_unique<COwnVideo>();
        ASSERT_EQ(own->AddToGraph(graph.Get(), window, nullptr, u"User Video Renderer"), S_OK);
        ASSERT_GE(graph->AddFilter(frames, u"Source"), 0);
        ComPtr<IPin> out;
        ASSERT_GE(engine::FindPin(frames, PINDIR_OUTPUT, out.Put(), 0), 0);
        ASSERT_GE(graph->Render(out.Get()), 0);
        own->OnGraphBuilt(graph.Get());
        ASSERT_TRUE(own->IsActive());
    }
    void Play() { ASSERT_GE(control->Run(), 0); }

    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<FrameSource> source;
    std::unique_ptr<COwnVideo> own;
};

// The window shows a grid of flat regions, columns x rows, listed row by row.
void ExpectRegions(const test::TestWindow& w, int columns, int rows, std::vector<uint32_t> colours, const char* what) {
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            int x = (2 * c + 1) * w.Width() / (2 * columns), y = (2 * r + 1) * w.Height() / (2 * rows);
            EXPECT_TRUE(test::NearColour(w.Pixel(x, y), colours[size_t(r) * columns + c]))
                << what << " region " << c << "," << r;
        }
}

// Waits for the next frames to show the new descriptor.
void SettleFrames() { std::this_thread::sleep_for(250ms); }

TEST_F(OwnRenderer, Rgb32StereoModesShowTheirPicturesUpright) {
    ORVO_REQUIRE_DISPLAY();
    test::TestWindow window(0, 0, 128, 64, 0x000000);
    Build(FrameSource::Rgb32(test::Quadrants(64, 32, kA, kB, kC, kD)), window.Handle());
    Play();
    struct Case {
        int32_t stereo, view;
        int columns, rows;
        std::vector<uint32_t> regions;
    } cases[] = {
        {1, 0, 1, 2, {Merge(kA, kB, 0), Merge(kC, kD, 0)}},
        {1, 1, 1, 2, {Merge(kA, kB, 1), Merge(kC, kD, 1)}},
        // RGB rows are bottom-up in memory, so the second view of a stacked pair is the top.
        {2, 4, 2, 1, {kA, kB}},
        {3, 0, 4, 1, {kC, kD, kA, kB}},
        {4, 0, 1, 4, {kB, kD, kA, kC}},
        {5, 0, 2, 2, {kA, kB, kC, kD}},
        {0, 0, 2, 2, {kA, kB, kC, kD}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(own->SetStereo(c.stereo, c.view), 1);
        SettleFrames();
        ExpectRegions(window, c.columns, c.rows, c.regions,
                      ("mode " + std::to_string(c.stereo) + "," + std::to_string(c.view)).c_str());
    }
    // (5, 4): the picture moves 8 source pixels (16 window pixels) to the right.
    ASSERT_EQ(own->SetStereo(5, 4), 1);
    SettleFrames();
    EXPECT_TRUE(test::NearColour(window.Pixel(72, 16), kA));
    EXPECT_TRUE(test::NearColour(window.Pixel(96, 16), kB));
}

TEST_F(OwnRenderer, Yv12StereoModesTakeTheTopRowsFirst) {
    ORVO_REQUIRE_DISPLAY();
    const uint8_t yuv[4][3] = {{81, 90, 240}, {145, 54, 34}, {41, 240, 110}, {210, 16, 146}};
    uint32_t rgb[4];
    for (int q = 0; q < 4; ++q) {
        const uint8_t frame[6] = {yuv[q][0], yuv[q][0], yuv[q][0], yuv[q][0], yuv[q][2], yuv[q][1]};
        engine::CColorSpaceConverter one(MEDIASUBTYPE_YV12, 2, 2);
        const uint8_t* px = one.Convert(frame, sizeof frame);
        rgb[q] = uint32_t(px[2]) << 16 | uint32_t(px[1]) << 8 | px[0];
    }
    test::TestWindow window(0, 0, 128, 64, 0x000000);
    Build(FrameSource::Yv12(64, 32, yuv), window.Handle());
    Play();
    ASSERT_EQ(own->SetStereo(1, 1), 1);
    SettleFrames();
    ExpectRegions(window, 1, 2, {Merge(rgb[0], rgb[1], 1), Merge(rgb[2], rgb[3], 1)}, "yv12 1,1");
    ASSERT_EQ(own->SetStereo(2, 4), 1);
    SettleFrames();
    ExpectRegions(window, 2, 1, {rgb[2], rgb[3]}, "yv12 2,4");
}

// The callback's view of each frame, kept by a plain function.
struct CallbackLog {
    std::mutex lock;
    std::vector<std::pair<void*, uint32_t>> frames;
} g_callbacks;

void RecordFrame(void* frame, uint32_t bytes, intptr_t, intptr_t, intptr_t) {
    std::lock_guard l(g_callbacks.lock);
    g_callbacks.frames.emplace_back(frame, bytes);
}

std::vector<std::pair<void*, uint32_t>> WaitForCallbacks(size_t count) {
    for (int i = 0; i < 200; ++i) {
        {
            std::lock_guard l(g_callbacks.lock);
            if (g_callbacks.frames.size() >= count) return g_callbacks.frames;
        }
        std::this_thread::sleep_for(10ms);
    }
    return {};
}

TEST_F(OwnRenderer, CallbackGetsTheSampleBufferForRgb32AndTakesOverDrawing) {
    g_callbacks.frames.clear();
    Build(FrameSource::Rgb32(test::Quadrants(64, 32, kA, kB, kC, kD)), 0);
    ASSERT_EQ(own->SetPresentCallback(RecordFrame), 1);
    std::set<void*> buffers;
    Play();
    for (int i = 0; i < 4; ++i) {
        buffers.insert(source->Stream()->lastBuffer.load());
        std::this_thread::sleep_for(40ms);
    }
    auto frames = WaitForCallbacks(3);
    ASSERT_GE(frames.size(), 3u);
    for (auto [frame, bytes] : frames) {
        EXPECT_EQ(bytes, 64u * 32 * 4);
        EXPECT_TRUE(buffers.count(frame) || frame == source->Stream()->lastBuffer.load())
            << "an RGB32 frame is the sample's own buffer";
    }
    {
        std::lock_guard lock(own->Filter()->m_frameLock);
        EXPECT_EQ(own->Filter()->m_descriptor, nullptr) << "the first sample removed the descriptor";
    }
    EXPECT_EQ(own->SetStereo(1, 0), 0);
    EXPECT_FALSE(own->SetGreyMix(1));
    EXPECT_EQ(own->SetWindow(0x1234, nullptr), 0);
}

TEST_F(OwnRenderer, CallbackGetsTheConvertersBufferForYv12) {
    g_callbacks.frames.clear();
    const uint8_t yuv[4][3] = {{81, 90, 240}, {145, 54, 34}, {41, 240, 110}, {210, 16, 146}};
    Build(FrameSource::Yv12(64, 32, yuv), 0);
    ASSERT_EQ(own->SetPresentCallback(RecordFrame), 1);
    Play();
    auto frames = WaitForCallbacks(2);
    ASSERT_GE(frames.size(), 2u);
    for (auto [frame, bytes] : frames) {
        EXPECT_EQ(frame, own->Filter()->m_converter->OutputBuffer());
        EXPECT_EQ(bytes, 64u * 32 * 3 / 2) << "the sample's own length";
    }
}

TEST_F(OwnRenderer, StereoChangesWhileFramesStream) {
    Build(FrameSource::Rgb32(test::Quadrants(64, 32, kA, kB, kC, kD)), 0);
    Play();
    for (int i = 0; i < 1000; ++i) {
        own->SetStereo(i % 7, i % 6);
        own->SetGreyMix(i % 2);
    }
    EXPECT_GT(own->Filter()->m_frameCount.load(), 0u);
}

TEST(OwnRendererFilter, DescriptorSizesFollowTheStereoMode) {
    COwnVideo own;
    ASSERT_EQ(own.AddToGraph(nullptr, 0, nullptr, u"User Video Renderer"), S_OK);
    COwnVideoRenderer* filter = own.Filter();
    ASSERT_EQ(filter->SetMediaType(VideoType(MEDIASUBTYPE_YV12, 1920, 1080)), S_OK);
    struct Case {
        int32_t m, v, width, height;
    } cases[] = {{1, 0, 960, 1080}, {2, 0, 1920, 540},  {2, 5, 1920, 1080}, {3, 0, 3840, 540},
                 {4, 0, 960, 2160}, {5, 0, 1920, 1080}, {9, 0, 1920, 1080}};
    for (const auto& c : cases) {
        ASSERT_EQ(own.SetStereo(c.m, c.v), 1);
        EXPECT_EQ(filter->m_descriptor->width, c.width) << c.m << "," << c.v;
        EXPECT_EQ(filter->m_descriptor->height, c.height) << c.m << "," << c.v;
        EXPECT_EQ(filter->m_descriptor->topDown, 1);
    }
    ASSERT_EQ(own.SetStereo(2, 0), 1);
    ASSERT_EQ(own.SetStereo(-1, 5), 1);
    EXPECT_EQ(own.StereoMode(), 2) << "a view change keeps the stereo mode";
    EXPECT_EQ(filter->m_descriptor->height, 1080);
    ASSERT_TRUE(own.SetGreyMix(1));
    ASSERT_EQ(own.SetStereo(-1, 1), 1);
    EXPECT_EQ(filter->m_descriptor->greyMix.load(), 0) << "a rebuild turns grey mix off";
}

TEST(OwnRendererFilter, MediaTypeChanges) {
    COwnVideo own;
    ASSERT_EQ(own.AddToGraph(nullptr, 0, nullptr, u"User Video Renderer"), S_OK);
    COwnVideoRenderer* filter = own.Filter();
    ASSERT_EQ(filter->SetMediaType(VideoType(MEDIASUBTYPE_YV12, 640, 480, 417083)), S_OK);
    EXPECT_EQ(filter->m_frameRate, 23.0);
    ASSERT_EQ(own.SetStereo(1, 1), 1);
    FrameDescriptor* before = filter->m_descriptor.get();
    ASSERT_EQ(own.SetPresentCallback(RecordFrame), 1);

    ASSERT_EQ(filter->SetMediaType(VideoType(MEDIASUBTYPE_YV12, 640, 480)), S_OK);
    EXPECT_EQ(filter->m_descriptor.get(), before) << "the same format rebuilds nothing";
    EXPECT_EQ(filter->m_presentCallback.load(), &RecordFrame);

    ASSERT_EQ(filter->SetMediaType(VideoType(MEDIASUBTYPE_YV12, 800, 600)), S_OK);
    EXPECT_EQ(filter->m_descriptor->width, 400) << "a new size keeps the modes at the new size";
    EXPECT_EQ(filter->m_converter->Width(), 800) << "and gets a converter of that size";

    ASSERT_EQ(filter->SetMediaType(VideoType(MEDIASUBTYPE_NV12, 800, 600, 0)), S_OK);
    EXPECT_EQ(filter->m_descriptor->stereoMode, STEREO_FULL_FRAME) << "another format resets the modes";
    EXPECT_EQ(filter->m_descriptor->width, 800);
    EXPECT_EQ(filter->m_presentCallback.load(), nullptr) << "and clears the callback";
    EXPECT_EQ(filter->m_frameRate, 0.0) << "no frame time, no rate";

    EXPECT_EQ(filter->SetMediaType(graph::MediaType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM)), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(filter->SetMediaType(VideoType(GuidFromFourCC(MakeFourCC('H', '2', '6', '4')), 8, 8)),
              VFW_E_TYPE_NOT_ACCEPTED);
    for (const GUID& s : {MEDIASUBTYPE_I420, MEDIASUBTYPE_RGB555, MEDIASUBTYPE_RGB565, MEDIASUBTYPE_RGB24}) {
        EXPECT_EQ(filter->CheckMediaType(VideoType(s, 8, 8)), S_OK);
        EXPECT_EQ(filter->SetMediaType(VideoType(s, 8, 8)), S_OK);
    }
    EXPECT_EQ(filter->CheckMediaType(graph::MediaType(MEDIATYPE_Video, MEDIASUBTYPE_YV12, FORMAT_WaveFormatEx)),
              E_FAIL);
}

// The smallest int32 height has no magnitude of its own: such a type is refused before it
// changes the size, the descriptor or the converter the frames are read with.
TEST(OwnRendererFilter, HeightWithoutAMagnitudeIsRefusedAndChangesNothing) {
    for (const GUID& subtype : {MEDIASUBTYPE_RGB32, MEDIASUBTYPE_RGB24, MEDIASUBTYPE_YV12}) {
        COwnVideo own;
        ASSERT_EQ(own.AddToGraph(nullptr, 0, nullptr, u"User Video Renderer"), S_OK);
        COwnVideoRenderer* filter = own.Filter();
        ASSERT_EQ(filter->SetMediaType(VideoType(subtype, 64, -48)), S_OK);
        FrameDescriptor* before = filter->m_descriptor.get();
        for (int32_t width : {64, 8})
            EXPECT_EQ(filter->SetMediaType(VideoType(subtype, width, INT32_MIN)), VFW_E_TYPE_NOT_ACCEPTED);
        EXPECT_EQ(filter->m_videoWidth, 64);
        EXPECT_EQ(filter->m_videoHeight, -48);
        EXPECT_EQ(filter->m_descriptor.get(), before);
        EXPECT_EQ(filter->m_descriptor->sourceHeight, 48);
    }
}

TEST(OwnRendererFilter, UnconnectedFilterLeavesTheGraphAndReportsItsSize) {
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);
    {
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()),
            S_OK);
        COwnVideo own;
        ASSERT_EQ(own.AddToGraph(graph.Get(), 0, nullptr, u"User Video Renderer"), S_OK);
        ASSERT_EQ(own.Filter()->SetMediaType(VideoType(MEDIASUBTYPE_RGB32, 640, -480)), S_OK);
        EXPECT_EQ(own.Filter()->m_descriptor->topDown, 1) << "a negative height is a top-down RGB frame";
        EXPECT_EQ(own.OnGraphBuilt(graph.Get()), S_OK);
        EXPECT_EQ(own.IsActive(), 0);
        EXPECT_EQ(own.Filter(), nullptr);
        EXPECT_EQ(own.m_width, 640);
        EXPECT_EQ(own.m_height, 480);
        ComPtr<IBaseFilter> found;
        EXPECT_NE(graph->FindFilterByName(u"User Video Renderer", found.Put()), S_OK);
    }
    CoUninitialize();
}

TEST(NullRenderer, TakesAnyVideoAndRefusesAudio) {
    HRESULT hr = S_OK;
    ComPtr<engine::CNullUVideoRenderer> filter(new engine::CNullUVideoRenderer(&hr));
    EXPECT_EQ(filter->CheckMediaType(graph::MediaType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM)), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(filter->CheckMediaType(graph::MediaType(MEDIATYPE_Video, GuidFromFourCC(MakeFourCC('H', '2', '6', '4')))),
              S_OK);
    engine::CNullVideo kind;
    EXPECT_EQ(kind.IsActive(), 0);
    EXPECT_EQ(kind.GetStreamAlpha(0), 1.0f);
    EXPECT_EQ(kind.CaptureImage(), nullptr);
}

}  // namespace
}  // namespace orvo::stereo
