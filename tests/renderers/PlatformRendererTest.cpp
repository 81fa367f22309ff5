// Renderer kinds 3, 4 and 5 in real graphs: frame sources connected to the stock video
// renderers, drawn into Xvfb windows whose pixels are read back.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "engine/channel/ChannelRegistry.h"
#include "engine/channel/ChannelRenderer.h"
#include "engine/channel/LibraryState.h"
#include "engine/api/Lumex.h"
#include "engine/renderers/EVR.h"
#include "engine/renderers/GraphHelpers.h"
#include "engine/renderers/RendererFactory.h"
#include "engine/renderers/VMR7Windowless.h"
#include "engine/renderers/VMR9Windowless.h"
#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "platform/window/DialogPresenter.h"
#include "tests/support/FrameSource.h"
#include "tests/support/StubRenderer.h"
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

std::unique_ptr<CVideoRenderer> MakeKind(int kind, uint32_t mixerStreams = 1) {
    if (kind == RENDERER_VMR7_WINDOWLESS) return std::make_unique<VMR7Windowless>(mixerStreams);
    if (kind == RENDERER_VMR9_WINDOWLESS) return std::make_unique<VMR9Windowless>(mixerStreams);
    return std::make_unique<CEVR>(mixerStreams);
}

class PlatformRenderer : public ::testing::TestWithParam<int> {
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
        renderer.reset();
        sources.clear();
        control.Reset();
        graph.Reset();
        CoUninitialize();
    }
    // sources -> renderer of the kind, built and bound the way a channel does it.
    void Build(int kind, std::vector<FrameSource*> frames, const test::TestWindow& window) {
        renderer = MakeKind(kind, mixerStreams);
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
    uint32_t mixerStreams = 1;  // what Build sets the renderer up with
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
    // The frame as the source sends it: bottom row first, bytes blue, green, red, 0xFF.
    std::vector<uint8_t> frame;
    for (int y = picture.height - 1; y >= 0; --y)
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t c = picture.At(x, y);
            frame.insert(frame.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0xFF});
        }
    EXPECT_EQ(bytes, frame);
    DeleteObject(bitmap);
}

// A 32-bit bitmap selected into a memory device context, filled by colourAt(x, y) (0xRRGGBB,
// top row first); what a caller hands SetOverlayBitmap.
class MemoryBitmap {
public:
    template <class ColourAt>
    MemoryBitmap(int width, int height, ColourAt colourAt) : m_dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        auto* pixels = static_cast<uint32_t*>(bits);
        for (int y = 0; y < height; ++y)  // bottom-up rows
            for (int x = 0; x < width; ++x) pixels[size_t(height - 1 - y) * width + x] = colourAt(x, y);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~MemoryBitmap() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }

private:
    HDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

// Records the message boxes instead of showing them.
class RecordingPresenter final : public window::DialogPresenter {
public:
    int ShowMessage(HWND, const std::u16string&, const std::u16string& caption, UINT) override {
        captions.push_back(caption);
        return IDOK;
    }
    HRESULT ShowPropertyFrame(const window::PropertyFrameRequest&) override { return S_OK; }
    std::vector<std::u16string> captions;
};

// The mean of the red, green and blue levels over the window.
double MeanLevel(const test::TestWindow& w) {
    double sum = 0;
    for (uint32_t p : w.Pixels()) sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
    return sum / (3.0 * w.Width() * w.Height());
}

TEST_P(PlatformRenderer, SecondStreamWithHalfAlphaBlendsInItsRectangle) {
    ORVO_REQUIRE_DISPLAY();
    if (GetParam() == RENDERER_EVR) GTEST_SKIP() << "the enhanced renderer has no per-stream alpha";
    mixerStreams = 2;
    test::TestWindow window(0, 0, 640, 360, kGrey);
    Build(GetParam(), {FrameSource::Rgb32(Flat(640, 360, kRed)), FrameSource::Rgb32(Flat(640, 360, kBlue))}, window);
    EXPECT_EQ(renderer->SetStreamAlpha(1, 0.5f), S_OK);
    EXPECT_FLOAT_EQ(renderer->GetStreamAlpha(1), 0.5f);
    EXPECT_EQ(renderer->SetStreamRect(1, RECT{320, 0, 640, 180}), 1);
    Play();
    EXPECT_TRUE(test::NearColour(window.Pixel(480, 90), 0x6E1E78)) << "half red, half blue";
    EXPECT_TRUE(test::NearColour(window.Pixel(160, 90), kRed));
    EXPECT_TRUE(test::NearColour(window.Pixel(480, 270), kRed));
    EXPECT_LT(renderer->SetStreamAlpha(7, 0.5f), 0) << "a stream past the count";
    ComPtr<IBaseFilter> filter;
    ASSERT_GE(graph->FindFilterByName(RendererNameOfKind(GetParam()), filter.Put()), 0);
    ComPtr<IVMRFilterConfig> config7;
    ComPtr<IVMRFilterConfig9> config9;
    const HRESULT fewer = SUCCEEDED(filter.As(config7)) ? config7->SetNumberOfStreams(1)
                                                        : (filter.As(config9), config9->SetNumberOfStreams(1));
    EXPECT_EQ(fewer, VFW_E_WRONG_STATE) << "stream 1 is connected and playing";
}

TEST_P(PlatformRenderer, OverlayBitmapShowsItsPixelsExceptTheColourKey) {
    ORVO_REQUIRE_DISPLAY();
    test::TestWindow window(0, 0, 640, 360, kGrey);
    Build(GetParam(), {FrameSource::Rgb32(Flat(640, 360, kRed))}, window);
    MemoryBitmap logo(64, 64, [](int x, int) { return x < 32 ? 0xFF00FFu : kGreen; });
    OverlayBitmap record{1, {0, 0, 64, 64}, 0.0f, 0.0f, 0.5f, 0.5f, 1.0f, 0x00FF00FF, logo.Dc()};
    EXPECT_EQ(renderer->SetOverlayBitmap(&record), 1);
    Play();
    EXPECT_TRUE(test::NearColour(window.Pixel(80, 90), kRed)) << "the key colour lets the video through";
    EXPECT_TRUE(test::NearColour(window.Pixel(240, 90), kGreen));
    EXPECT_TRUE(test::NearColour(window.Pixel(480, 270), kRed)) << "outside the bitmap";

    record.enable = 0;
    EXPECT_EQ(renderer->SetOverlayBitmap(&record), 1);
    SettleFrames();
    EXPECT_TRUE(test::NearColour(window.Pixel(240, 90), kRed)) << "hidden again";

    EXPECT_EQ(renderer->SetOverlayBitmap(nullptr), 0);
    RecordingPresenter presenter;
    window::InstallDialogPresenter(&presenter);
    OverlayBitmap outside{1, {0, 0, 65, 64}, 0.0f, 0.0f, 0.5f, 0.5f, 1.0f, 0, logo.Dc()};
    // The enhanced renderer is not told the source rectangle and shows the whole bitmap.
    EXPECT_EQ(renderer->SetOverlayBitmap(&outside), GetParam() == RENDERER_EVR ? 1 : 0)
        << "a source rectangle past the bitmap";
    OverlayBitmap noBitmap{1, {0, 0, 1, 1}, 0.0f, 0.0f, 0.5f, 0.5f, 1.0f, 0, nullptr};
    EXPECT_EQ(renderer->SetOverlayBitmap(&noBitmap), 0) << "no device context";
    window::InstallDialogPresenter(nullptr);
    // Only the mixing renderer 9 tells the user why the bitmap was refused.
    const size_t messages = GetParam() == RENDERER_VMR9_WINDOWLESS ? 2 : 0;
    ASSERT_EQ(presenter.captions.size(), messages);
    for (const auto& caption : presenter.captions) EXPECT_EQ(caption, u"Error!");
}

std::string KindName(const ::testing::TestParamInfo<int>& info) {
    return info.param == RENDERER_VMR7_WINDOWLESS ? "VMR7" : info.param == RENDERER_VMR9_WINDOWLESS ? "VMR9" : "EVR";
}

INSTANTIATE_TEST_SUITE_P(Kinds, PlatformRenderer,
                         ::testing::Values(RENDERER_VMR7_WINDOWLESS, RENDERER_VMR9_WINDOWLESS, RENDERER_EVR), KindName);

class ColourControls : public PlatformRenderer {};

TEST_P(ColourControls, BrightnessMovesTheMeanLevelItsWay) {
    ORVO_REQUIRE_DISPLAY();
    test::TestWindow window(0, 0, 320, 180, kRed);
    Build(GetParam(), {FrameSource::Rgb32(Flat(320, 180, kGrey))}, window);
    Play();
    const double plain = MeanLevel(window);
    ColorValues brighter{1.0f, 50.0f, 0.0f, 1.0f}, darker{1.0f, -50.0f, 0.0f, 1.0f};
    ASSERT_EQ(renderer->SetColorValues(0, &brighter), 1);
    SettleFrames();
    EXPECT_GT(MeanLevel(window), plain + 40);
    ASSERT_EQ(renderer->SetColorValues(0, &darker), 1);
    SettleFrames();
    EXPECT_LT(MeanLevel(window), plain - 40);
    ColorValues tooBright{1.0f, 500.0f, 0.0f, 1.0f};
    EXPECT_EQ(renderer->SetColorValues(0, &tooBright), 0);
    EXPECT_EQ(renderer->SetColorValues(0, nullptr), 0);
}

TEST_P(ColourControls, RangesOfTheFourControls) {
    renderer = MakeKind(GetParam());
    ASSERT_EQ(renderer->AddToGraph(graph.Get(), 0, nullptr, RendererNameOfKind(GetParam())), S_OK);
    struct Case {
        int32_t property;
        int result;
        float min, max, defaultValue;
    } cases[] = {
        {COLOR_BRIGHTNESS, 1, -100, 100, 0}, {COLOR_CONTRAST, 1, 0, 10, 1}, {COLOR_HUE, 1, -180, 180, 0},
        {COLOR_SATURATION, 1, 0, 10, 1},     {3, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ColorRange range{0, 0, 0, 0, c.property};
        ASSERT_EQ(renderer->GetColorRange(0, &range), c.result) << c.property;
        if (!c.result) continue;
        EXPECT_EQ(range.min, c.min);
        EXPECT_EQ(range.max, c.max);
        EXPECT_EQ(range.defaultValue, c.defaultValue);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ColourControls, ::testing::Values(RENDERER_VMR9_WINDOWLESS, RENDERER_EVR), KindName);

TEST_F(PlatformRenderer, MixingRenderer7HasNoColourControls) {
    renderer = std::make_unique<VMR7Windowless>();
    ASSERT_EQ(renderer->AddToGraph(graph.Get(), 0, nullptr, u"VMR7 Windowless"), S_OK);
    ColorRange range{0, 0, 0, 0, COLOR_BRIGHTNESS};
    ColorValues values{1, 0, 0, 1};
    EXPECT_EQ(renderer->GetColorRange(0, &range), 0);
    EXPECT_EQ(renderer->SetColorValues(0, &values), 0);
}

// Each operation of an object whose set-up found no graph, per kind.
TEST(EmptyRenderer, EveryOperationReturnsAtOnce) {
    struct Case {
        int kind;
        int canFullScreen;
        HRESULT setWindow, graphBuilt, repaint, displayChange;
    } cases[] = {
        {RENDERER_VMR7_WINDOWLESS, 0, 0, 0, 1, 1},
        {RENDERER_VMR9_WINDOWLESS, 0, 1, 1, 1, 1},
        {RENDERER_EVR, 1, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        auto r = MakeKind(c.kind);
        EXPECT_EQ(r->AddToGraph(nullptr, 0, nullptr, RendererNameOfKind(c.kind)), 1);
        const RECT rect{0, 0, 10, 10};
        OverlayBitmap bitmap{1, {0, 0, 1, 1}, 0, 0, 1, 1, 1, 0, nullptr};
        ColorRange range{0, 0, 0, 0, COLOR_BRIGHTNESS};
        EXPECT_EQ(r->IsActive(), 0);
        EXPECT_EQ(r->CanFullScreen(), c.canFullScreen);
        EXPECT_EQ(r->SetFullScreen(1), 1);
        EXPECT_EQ(r->OnGraphBuilt(nullptr), c.graphBuilt);
        EXPECT_EQ(r->SetWindow(0, &rect), c.setWindow);
        EXPECT_EQ(r->Repaint(0, 0), c.repaint);
        EXPECT_EQ(r->OnDisplayChange(), c.displayChange);
        EXPECT_EQ(r->SetStreamAlpha(0, 0.5f), 1);
        EXPECT_EQ(r->GetStreamAlpha(0), 1.0f);
        EXPECT_EQ(r->SetOverlayBitmap(&bitmap), 0);
        EXPECT_EQ(r->SetStreamRect(0, rect), 0);
        EXPECT_EQ(r->CaptureImage(), nullptr);
        EXPECT_EQ(r->GetColorRange(0, &range), 0);
    }
}

// The enhanced renderer's set-up cannot be made to fail here, so kind 5 is a stand-in
// that fails; kind 3 is the real mixing renderer 7.
class FailingEnhanced final : public test::StubRenderer {
public:
    HRESULT AddToGraph(IGraphBuilder*, HWND, IPin*, LPCWSTR) override { return E_FAIL; }
};

TEST_F(PlatformRenderer, FactoryFallsBackFromAFailingKindToTheRealKindThree) {
    ORVO_REQUIRE_DISPLAY();
    test::TestWindow window(0, 0, 64, 48, kGrey);
    RendererMaker saved = RegisterRendererKind(RENDERER_EVR, [](const RendererConfig&) {
        return std::unique_ptr<CVideoRenderer>(new FailingEnhanced);
    });
    const int32_t savedKind = Library().rendererKind;
    Library().rendererKind = RENDERER_EVR;
    CChannel channel;
    channel.graph = graph;
    channel.window = window.Handle();
    EXPECT_EQ(CreateRenderer(channel), 1);
    EXPECT_EQ(Library().rendererKind, RENDERER_VMR7_WINDOWLESS);
    EXPECT_EQ(std::u16string(RendererName()), u"VMR7 Windowless");
    ASSERT_NE(dynamic_cast<VMR7Windowless*>(channel.renderer.get()), nullptr);
    EXPECT_EQ(channel.renderer->IsActive(), 1);
    ComPtr<IBaseFilter> filter;
    EXPECT_GE(graph->FindFilterByName(u"VMR7 Windowless", filter.Put()), 0);

    CChannel empty;  // no graph: the set-up answers 1 and the empty object stays
    EXPECT_EQ(CreateRenderer(empty), 1);
    ASSERT_NE(dynamic_cast<VMR7Windowless*>(empty.renderer.get()), nullptr);
    EXPECT_EQ(empty.renderer->IsActive(), 0);
    EXPECT_EQ(empty.renderer->GetStreamAlpha(0), 1.0f);
    EXPECT_EQ(empty.renderer->CaptureImage(), nullptr);

    RegisterRendererKind(RENDERER_EVR, saved);
    Library().rendererKind = savedKind;
}

// The channel query reads what the renderer found once the graph was built: zeros when
// no video reached it, else the native size and 25 frames per second. The file graph is
// stood in for by a frame source; without one the renderer stays unconnected.
TEST_F(PlatformRenderer, ChannelInfoReportsWhatTheRendererFound) {
    ASSERT_EQ(Lumex_Init(1, 0), 1);
    const int32_t savedKind = Library().rendererKind;
    Library().rendererKind = RENDERER_VMR7_WINDOWLESS;
    struct Case {
        bool video;
        int32_t width, height;
        float rate;
    } cases[] = {{false, 0, 0, 0.0f}, {true, 720, 576, 25.0f}};
    for (const Case& c : cases) {
        auto record = CreateChannelRecord(0);
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   record->graph.PutVoid()),
                  S_OK);
        ASSERT_EQ(CreateRenderer(*record), 1);
        if (c.video) {
            ComPtr<FrameSource> frames(FrameSource::Rgb32(Flat(720, 576, kGreen)));
            ASSERT_GE(record->graph->AddFilter(frames.Get(), nullptr), 0);
            ComPtr<IPin> out;
            ASSERT_GE(FindPin(frames.Get(), PINDIR_OUTPUT, out.Put(), 0), 0);
            ASSERT_GE(record->graph->Render(out.Get()), 0);
        }
        record->renderer->OnGraphBuilt(record->graph.Get());
        const uint32_t handle = Channels().Register(std::move(record));
        CHANNELINFO info{};
        Lumex_ChannelGetInfo(handle, &info);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        EXPECT_EQ(info.frameRate, c.rate);
        EXPECT_EQ(Lumex_StreamFree(handle), 1);
    }
    Library().rendererKind = savedKind;
    Lumex_Free();
}

}  // namespace
}  // namespace orvo::engine
