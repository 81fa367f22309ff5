// Renderer kinds 3, 4 and 5 in real graphs: frame sources connected to the stock video
// renderers, drawn into Xvfb windows whose pixels are read back.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "engine/api/LibraryState.h"
#include "engine/renderers/GraphHelpers.h"
#include "engine/renderers/RendererFactory.h"
#include "engine/renderers/VMR7Windowless.h"
#include "engine/renderers/VMR9Windowless.h"
#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "tests/stereo/FrameSource.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::engine {
namespace {

using namespace std::chrono_literals;
using test::FrameSource;
using test::Picture;

constexpr uint32_t kGrey = 0x808080, kRed = 0xC81428, kBlue = 0x1428C8, kGreen = 0x28C814;

Picture Flat(int width, int height, uint32_t colour) { return test::Quadrants(width, height, colour, colour, colour, colour); }

// Waits until a few frames have been drawn.
void SettleFrames() { std::this_thread::sleep_for(250ms); }

std::unique_ptr<CVideoRenderer> MakeKind(int kind) {
    if (kind == RENDERER_VMR7_WINDOWLESS) return std::make_unique<VMR7Windowless>();
    return std::make_unique<VMR9Windowless>();
}

class PlatformRenderer : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()),
            S_OK);
        ASSERT_EQ(graph.As(control), S_OK);
        m_savedStreams = Library().mixerStreamCount;
    }
    void TearDown() override {
        if (control) control->Stop();
        renderer.reset();
        sources.clear();
        control.Reset();
        graph.Reset();
        Library().mixerStreamCount = m_savedStreams;
        CoUninitialize();
    }
    // sources -> renderer of the kind, built and bound the way a channel does it.
    void Build(int kind, std::vector<FrameSource*> frames, const test::TestWindow& window) {
        renderer = MakeKind(kind);
        ASSERT_EQ(renderer->AddToGraph(graph.Get(), window.Handle(), nullptr, RendererNameOfKind(kind)), S_OK);
        ComPtr<IBaseFilter> filter;
        ASSERT_GE(graph->FindFilterByName(RendererNameOfKind(kind), filter.Put()), 0);
        for (FrameSource* f : frames) {
            sources.emplace_back(f);
            ASSERT_GE(graph->AddFilter(f, nullptr), 0);
            ComPtr<IPin> out;
            ASSERT_GE(FindPin(f, PINDIR_OUTPUT, out.Put(), 0), 0);
            ASSERT_GE(ConnectToFilter(filter.Get(), graph.Get(), out.Get()), 0);
        }
        renderer->OnGraphBuilt(graph.Get());
        ASSERT_TRUE(renderer->IsActive());
        RECT client{0, 0, window.Width(), window.Height()};
        renderer->SetWindow(window.Handle(), &client);
    }
    void Play() {
        ASSERT_GE(control->Run(), 0);
        SettleFrames();
    }

    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    std::vector<ComPtr<FrameSource>> sources;
    std::unique_ptr<CVideoRenderer> renderer;

private:
    uint32_t m_savedStreams = 1;
};

// Rows [top, bottom) of the window at column x are all near colour.
::testing::AssertionResult RowsAre(const test::TestWindow& w, int x, int top, int bottom, uint32_t colour) {
    const auto pixels = w.Pixels();
    for (int y = top; y < bottom; ++y)
        if (!test::NearColour(pixels[size_t(y) * w.Width() + x], colour))
            return ::testing::AssertionFailure() << "row " << y << " is " << std::hex << pixels[size_t(y) * w.Width() + x];
    return ::testing::AssertionSuccess();
}

TEST_P(PlatformRenderer, WideClipGetsLetterboxBarsOfSixtyRows) {
    ORVO_REQUIRE_DISPLAY();
    test::TestWindow window(0, 0, 640, 480, kGrey);
    Build(GetParam(), {FrameSource::Rgb32(Flat(640, 360, kRed))}, window);
    EXPECT_EQ(renderer->m_width, 640);
    EXPECT_EQ(renderer->m_height, 360);
    EXPECT_EQ(renderer->m_frameRate, 25.0);
    Play();
    for (int x : {0, 320, 639}) {
        EXPECT_TRUE(RowsAre(window, x, 0, 60, 0x000000)) << "top bar, column " << x;
        EXPECT_TRUE(RowsAre(window, x, 60, 420, kRed)) << "picture, column " << x;
        EXPECT_TRUE(RowsAre(window, x, 420, 480, 0x000000)) << "bottom bar, column " << x;
    }
}

TEST_P(PlatformRenderer, SetWindowWithRectangleMovesThePictureInTheSameWindow) {
    ORVO_REQUIRE_DISPLAY();
    test::TestWindow window(0, 0, 640, 480, kGrey);
    Build(GetParam(), {FrameSource::Rgb32(Flat(640, 360, kBlue))}, window);
    const RECT corner{320, 240, 640, 480};
    renderer->SetWindow(0, &corner);
    Play();
    EXPECT_EQ(renderer->m_window, window.Handle());
    EXPECT_TRUE(test::NearColour(window.Pixel(10, 10), kGrey)) << "nothing drawn outside the rectangle";
    EXPECT_TRUE(RowsAre(window, 480, 240, 270, 0x000000)) << "bar above the moved picture";
    EXPECT_TRUE(RowsAre(window, 480, 270, 450, kBlue)) << "the picture, 320 x 180";
    EXPECT_TRUE(RowsAre(window, 480, 450, 480, 0x000000)) << "bar below it";
    EXPECT_EQ(renderer->Repaint(window.Handle(), 0), S_OK);
}

TEST_P(PlatformRenderer, NativeSizeAndTwentyFiveFramesPerSecond) {
    renderer = MakeKind(GetParam());
    ASSERT_EQ(renderer->AddToGraph(graph.Get(), 0, nullptr, RendererNameOfKind(GetParam())), S_OK);
    ComPtr<IBaseFilter> filter;
    ASSERT_GE(graph->FindFilterByName(RendererNameOfKind(GetParam()), filter.Put()), 0);
    sources.emplace_back(FrameSource::Rgb32(Flat(720, 576, kGreen)));
    ASSERT_GE(graph->AddFilter(sources.back().Get(), nullptr), 0);
    ComPtr<IPin> out;
    ASSERT_GE(FindPin(sources.back().Get(), PINDIR_OUTPUT, out.Put(), 0), 0);
    ASSERT_GE(ConnectToFilter(filter.Get(), graph.Get(), out.Get()), 0);
    renderer->OnGraphBuilt(graph.Get());
    EXPECT_EQ(renderer->m_width, 720);
    EXPECT_EQ(renderer->m_height, 576);
    EXPECT_EQ(renderer->m_frameRate, 25.0);
}

TEST_P(PlatformRenderer, UnconnectedRendererLeavesTheGraphAndEmptiesTheObject) {
    renderer = MakeKind(GetParam());
    ASSERT_EQ(renderer->AddToGraph(graph.Get(), 0, nullptr, RendererNameOfKind(GetParam())), S_OK);
    EXPECT_TRUE(renderer->IsActive());
    renderer->OnGraphBuilt(graph.Get());
    EXPECT_FALSE(renderer->IsActive());
    ComPtr<IBaseFilter> filter;
    EXPECT_LT(graph->FindFilterByName(RendererNameOfKind(GetParam()), filter.Put()), 0);
    EXPECT_EQ(renderer->m_width, 0);
    EXPECT_EQ(renderer->m_height, 0);
    EXPECT_EQ(renderer->m_frameRate, 0.0);
}

TEST_P(PlatformRenderer, CaptureImageOfARgb32FrameHoldsTheFramePixels) {
    ORVO_REQUIRE_DISPLAY();
    test::TestWindow window(0, 0, 160, 120, kGrey);
    const Picture picture = test::Quadrants(64, 48, kRed, kGreen, kBlue, kGrey);
    Build(GetParam(), {FrameSource::Rgb32(picture)}, window);
    Play();
    HBITMAP bitmap = renderer->CaptureImage();
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, 64);
    EXPECT_EQ(info.bmHeight, 48);
    EXPECT_EQ(info.bmBitsPixel, 32);
    std::vector<uint8_t> bytes(64 * 48 * 4);
    ASSERT_EQ(GetBitmapBits(bitmap, LONG(bytes.size()), bytes.data()), LONG(bytes.size()));
    const BYTE* frame = sources[0]->Stream()->lastBuffer.load();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(std::memcmp(bytes.data(), frame, bytes.size()), 0);
    DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(Kinds, PlatformRenderer, ::testing::Values(RENDERER_VMR7_WINDOWLESS, RENDERER_VMR9_WINDOWLESS),
                         [](const auto& info) { return std::string(info.param == 3 ? "VMR7" : "VMR9"); });

}  // namespace
}  // namespace orvo::engine
