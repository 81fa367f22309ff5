// The default video renderer in real graphs under Xvfb: a frame source rendered with no
// renderer in the graph gets the default one, whose own top-level window shows the picture
// while the graph is paused or running and goes away when it stops or is released.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/graph/BaseRenderer.h"
#include "platform/graph/ClassIds.h"
#include "platform/graph/MediaFormats.h"
#include "tests/defaultvr/VideoFrames.h"
#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"
#include "tests/support/FrameSource.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 64, kHeight = 32;
constexpr uint32_t kA = 0xC81428, kB = 0x1EB45A, kC = 0x6432DC, kD = 0xF0F00A;
// Red, green, blue and yellow in limited-range BT.601.
constexpr QuadrantYuv kYuv = {{81, 90, 240}, {145, 54, 34}, {41, 240, 110}, {210, 16, 146}};
constexpr uint32_t kYuvRgb[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};

template <class T>
using XReply = std::unique_ptr<T, decltype(&std::free)>;

// A mapped top-level window titled "Video", as a window manager would list it.
struct ShownWindow {
    HWND handle = 0;
    int width = 0, height = 0;
};

std::vector<ShownWindow> VideoWindows() {
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> c(xcb_connect(nullptr, nullptr), &xcb_disconnect);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c.get())).data->root;
    XReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c.get(), xcb_query_tree(c.get(), root), nullptr),
                                        &std::free);
    std::vector<ShownWindow> found;
    if (!tree) return found;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        XReply<xcb_get_property_reply_t> name(
            xcb_get_property_reply(
                c.get(), xcb_get_property(c.get(), 0, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 64), nullptr),
            &std::free);
        XReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c.get(), xcb_get_window_attributes(c.get(), children[i]), nullptr),
            &std::free);
        XReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c.get(), xcb_get_geometry(c.get(), children[i]), nullptr), &std::free);
        if (!name || !attributes || !geometry || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
        const std::string title(static_cast<const char*>(xcb_get_property_value(name.get())),
                                size_t(xcb_get_property_value_length(name.get())));
        if (title == "Video") found.push_back({children[i], geometry->width, geometry->height});
    }
    return found;
}

bool Eventually(const std::function<bool()>& condition) {
    for (auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;) {
        if (condition()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

bool Near(uint32_t actual, uint32_t expected, int tolerance) {
    for (int shift : {0, 8, 16})
        if (std::abs(int(actual >> shift & 0xFF) - int(expected >> shift & 0xFF)) > tolerance) return false;
    return true;
}

// Whether the window shows the four quadrants upright, looked at in their middles.
bool ShowsQuadrants(const ShownWindow& w, const uint32_t expected[4], int tolerance) {
    const std::vector<uint32_t> pixels = WindowPixels(w.handle, w.width, w.height);
    if (pixels.size() != size_t(w.width) * w.height) return false;
    for (int q = 0; q < 4; ++q) {
        const int x = (q % 2 * 2 + 1) * w.width / 4, y = (q / 2 * 2 + 1) * w.height / 4;
        if (!Near(pixels[size_t(y) * w.width + x], expected[q], tolerance)) return false;
    }
    return true;
}

std::string Hex(const std::vector<uint32_t>& pixels, const ShownWindow& w) {
    std::string out;
    for (int q = 0; q < 4 && !pixels.empty(); ++q) {
        const int x = (q % 2 * 2 + 1) * w.width / 4, y = (q / 2 * 2 + 1) * w.height / 4;
        char text[16];
        std::snprintf(text, sizeof text, " %06X", pixels[size_t(y) * w.width + x]);
        out += text;
    }
    return out;
}

class DefaultVideoRenderer : public ::testing::Test {
protected:
    void SetUp() override {
        ORVO_REQUIRE_DISPLAY();
        ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()),
            S_OK);
        ASSERT_EQ(graph.As(control), S_OK);
        initialised = true;
    }
    void TearDown() override {
        Release();
        if (initialised) CoUninitialize();
    }
    void Release() {
        control.Reset();
        graph.Reset();
    }
    // Renders the source's pin in a graph that holds no renderer.
    void Render(FrameSource* frames) {
        ComPtr<FrameSource> source(frames);
        ASSERT_GE(graph->AddFilter(frames, u"Source"), 0);
        ComPtr<IPin> out;
        ASSERT_EQ(frames->FindPin(u"Video", out.Put()), S_OK);
        ASSERT_EQ(graph->Render(out.Get()), S_OK);
    }
    // The filters in the graph of the class.
    int CountOf(REFCLSID clsid) {
        ComPtr<IEnumFilters> filters;
        EXPECT_EQ(graph->EnumFilters(filters.Put()), S_OK);
        int count = 0;
        for (ComPtr<IBaseFilter> f; filters->Next(1, f.Put(), nullptr) == S_OK;) {
            CLSID id{};
            f->GetClassID(&id);
            count += id == clsid;
        }
        return count;
    }
    // The graph's default video renderer.
    ComPtr<IBaseFilter> DefaultRenderer() {
        ComPtr<IEnumFilters> filters;
        EXPECT_EQ(graph->EnumFilters(filters.Put()), S_OK);
        for (ComPtr<IBaseFilter> f; filters->Next(1, f.Put(), nullptr) == S_OK;) {
            CLSID id{};
            if (SUCCEEDED(f->GetClassID(&id)) && id == CLSID_VideoRenderer) return f;
        }
        return {};
    }
    // The one video window, once it is shown.
    ShownWindow WaitForWindow() {
        std::vector<ShownWindow> shown;
        EXPECT_TRUE(Eventually([&] { return (shown = VideoWindows()).size() == 1; })) << shown.size() << " windows";
        return shown.empty() ? ShownWindow{} : shown[0];
    }

    bool initialised = false;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
};

TEST_F(DefaultVideoRenderer, ShowsEveryDecodedLayoutUprightInAWindowOfTheVideosSize) {
    const uint32_t rgb[4] = {kA, kB, kC, kD};
    Picture picture = Quadrants(kWidth, kHeight, kA, kB, kC, kD);
    std::vector<uint8_t> topDown(size_t(kWidth) * kHeight * 4);
    std::memcpy(topDown.data(), picture.rgb.data(), topDown.size());
    struct Case {
        const char* name;
        std::function<FrameSource*()> source;
        const uint32_t* expected;
        int tolerance;
    } cases[] = {
        {"RGB32 bottom-up", [&] { return FrameSource::Rgb32(picture); }, rgb, 0},
        {"RGB32 top-down", [&] { return FrameSource::Raw(MEDIASUBTYPE_RGB32, topDown, kWidth, -kHeight, 32); }, rgb, 0},
        {"RGB24",
         [&] {
             return FrameSource::Raw(MEDIASUBTYPE_RGB24, Rgb24Quadrants(kWidth, kHeight, rgb), kWidth, kHeight, 24);
         },
         rgb, 0},
        {"YV12", [&] { return FrameSource::Yv12(kWidth, kHeight, kYuv); }, kYuvRgb, 6},
        {"IYUV",
         [&] {
             return FrameSource::Raw(MEDIASUBTYPE_IYUV, YuvQuadrants(MEDIASUBTYPE_IYUV, kWidth, kHeight, kYuv), kWidth,
                                     kHeight, 12);
         },
         kYuvRgb, 6},
        {"I420",
         [&] {
             return FrameSource::Raw(MEDIASUBTYPE_I420, YuvQuadrants(MEDIASUBTYPE_I420, kWidth, kHeight, kYuv), kWidth,
                                     kHeight, 12);
         },
         kYuvRgb, 6},
        {"NV12",
         [&] {
             return FrameSource::Raw(MEDIASUBTYPE_NV12, YuvQuadrants(MEDIASUBTYPE_NV12, kWidth, kHeight, kYuv), kWidth,
                                     kHeight, 12);
         },
         kYuvRgb, 6},
        {"YUY2",
         [&] {
             return FrameSource::Raw(MEDIASUBTYPE_YUY2, YuvQuadrants(MEDIASUBTYPE_YUY2, kWidth, kHeight, kYuv), kWidth,
                                     kHeight, 16);
         },
         kYuvRgb, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Release();
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()),
            S_OK);
        ASSERT_EQ(graph.As(control), S_OK);
        Render(c.source());
        EXPECT_EQ(CountOf(CLSID_VideoRenderer), 1);
        EXPECT_TRUE(VideoWindows().empty()) << "no window before the graph leaves Stopped";
        ASSERT_GE(control->Run(), 0);
        const ShownWindow w = WaitForWindow();
        EXPECT_EQ(w.width, kWidth);
        EXPECT_EQ(w.height, kHeight);
        EXPECT_TRUE(Eventually([&] { return ShowsQuadrants(w, c.expected, c.tolerance); }))
            << Hex(WindowPixels(w.handle, w.width, w.height), w);
        EXPECT_EQ(control->Stop(), S_OK);
        EXPECT_TRUE(VideoWindows().empty()) << "the window is gone once Stop returns";
    }
}

TEST_F(DefaultVideoRenderer, PauseShowsTheFirstFrameAndReleasingTheGraphClosesTheWindow) {
    const uint32_t rgb[4] = {kA, kB, kC, kD};
    Render(FrameSource::Rgb32(Quadrants(kWidth, kHeight, kA, kB, kC, kD)));
    ASSERT_GE(control->Pause(), 0);
    const ShownWindow w = WaitForWindow();
    EXPECT_TRUE(Eventually([&] { return ShowsQuadrants(w, rgb, 0); }));
    Release();
    EXPECT_TRUE(VideoWindows().empty());
}

TEST_F(DefaultVideoRenderer, StateChangesWhileFramesStreamKeepOneWindow) {
    const uint32_t rgb[4] = {kA, kB, kC, kD};
    Render(FrameSource::Rgb32(Quadrants(kWidth, kHeight, kA, kB, kC, kD)));
    ComPtr<IQualProp> statistics;
    ASSERT_EQ(DefaultRenderer().As(statistics), S_OK);
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        ASSERT_GE(control->Run(), 0);
        const ShownWindow w = WaitForWindow();
        EXPECT_TRUE(Eventually([&] { return ShowsQuadrants(w, rgb, 0); }));
        int drawn = 0;
        EXPECT_TRUE(Eventually([&] { return statistics->get_FramesDrawn(&drawn) == S_OK && drawn >= 3; }))
            << "frames drawn while running: " << drawn;
        ASSERT_GE(control->Pause(), 0);
        ASSERT_GE(control->Run(), 0);
        EXPECT_EQ(VideoWindows().size(), 1u);
        ASSERT_EQ(control->Stop(), S_OK);
        EXPECT_TRUE(VideoWindows().empty());
    }
}

TEST_F(DefaultVideoRenderer, FramesShorterThanTheirTypeAreNotDrawn) {
    // The type says 64 x 32 RGB32; every sample holds half of that.
    Render(FrameSource::Raw(MEDIASUBTYPE_RGB32, std::vector<uint8_t>(size_t(kWidth) * kHeight * 2, 0xFF), kWidth,
                            kHeight, 32));
    ASSERT_GE(control->Run(), 0);
    const ShownWindow w = WaitForWindow();
    std::this_thread::sleep_for(200ms);
    const uint32_t black[4] = {0, 0, 0, 0};
    EXPECT_TRUE(ShowsQuadrants(w, black, 0));
    EXPECT_EQ(control->Stop(), S_OK);
}

// Clips through the platform's own splitter and decoder, paused on their first frame: raw
// RGB24 of an odd size (packed rows of 963 bytes, bottom-up) and Motion JPEG (full-range 4:2:0,
// delivered as NV12). The expected colours come from the generator's pattern; the JPEG ones
// through the full-range BT.601 equations, with room for the lossy coding.
TEST_F(DefaultVideoRenderer, RenderFileShowsTheFirstDecodedFrameUpright) {
    auto rgb24Pixel = [](int x, int y) {
        const Rgb p = ViewPixel(0, 0, x, y);
        return uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | p.b;
    };
    auto jpegPixel = [](int x, int y) {
        const double Y = LumaPixel(0, x, y), U = ChromaUPixel(0, x / 2, y / 2) - 128.0,
                     V = ChromaVPixel(0, x / 2, y / 2) - 128.0;
        auto channel = [](double v) { return uint32_t(std::clamp(std::lround(v), 0L, 255L)); };
        return channel(Y + 1.402 * V) << 16 | channel(Y - 0.344 * U - 0.714 * V) << 8 | channel(Y + 1.772 * U);
    };
    struct Case {
        const char* clip;
        int width, height, tolerance;
        std::function<uint32_t(int, int)> pixel;
        std::vector<std::pair<int, int>> points;
    } cases[] = {{"rgb24_odd.avi", 321, 179, 0, rgb24Pixel, {{3, 2}, {200, 40}, {320, 178}}},
                 {"mjpeg.avi", 320, 240, 6, jpegPixel, {{60, 40}, {30, 150}}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clip);
        Release();
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()),
            S_OK);
        ASSERT_EQ(graph.As(control), S_OK);
        const std::string path = MediaClip(c.clip);
        ASSERT_FALSE(path.empty());
        ASSERT_GE(graph->RenderFile(com::Utf8ToUtf16(path).c_str(), nullptr), 0);
        EXPECT_EQ(CountOf(CLSID_VideoRenderer), 1);
        ASSERT_GE(control->Pause(), 0);
        const ShownWindow w = WaitForWindow();
        EXPECT_EQ(w.width, c.width);
        EXPECT_EQ(w.height, c.height);
        std::vector<uint32_t> pixels;
        auto shown = [&] {
            pixels = WindowPixels(w.handle, w.width, w.height);
            if (pixels.size() != size_t(w.width) * w.height) return false;
            for (auto [x, y] : c.points)
                if (!Near(pixels[size_t(y) * w.width + x], c.pixel(x, y), c.tolerance)) return false;
            return true;
        };
        EXPECT_TRUE(Eventually(shown)) << [&] {
            std::string text;
            for (auto [x, y] : c.points) {
                char line[64];
                std::snprintf(line, sizeof line, " (%d,%d) %06X for %06X", x, y,
                              pixels.empty() ? 0 : pixels[size_t(y) * w.width + x], c.pixel(x, y));
                text += line;
            }
            return text;
        }();
        EXPECT_EQ(control->Stop(), S_OK);
        EXPECT_TRUE(VideoWindows().empty());
    }
}

// A sink of RGB32 video, standing for any renderer the caller put in the graph.
class OtherRenderer final : public CBaseVideoRenderer {
public:
    static constexpr GUID kClsid = MakeGuid("{5E1D0101-0000-4000-8000-00000000B0D1}");
    OtherRenderer() : CBaseVideoRenderer(kClsid) {}
    HRESULT CheckMediaType(const graph::MediaType& mt) override {
        return mt.subtype == MEDIASUBTYPE_RGB32 ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT DoRenderSample(IMediaSample*) override { return S_OK; }
};

TEST_F(DefaultVideoRenderer, ARendererAlreadyInTheGraphTakesTheStream) {
    ComPtr<OtherRenderer> other(new OtherRenderer);
    ASSERT_GE(graph->AddFilter(other.Get(), u"Other"), 0);
    Render(FrameSource::Rgb32(Quadrants(kWidth, kHeight, kA, kB, kC, kD)));
    EXPECT_EQ(CountOf(CLSID_VideoRenderer), 0);
    EXPECT_TRUE(other->InputPin()->IsConnected());
    ASSERT_GE(control->Run(), 0);
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(VideoWindows().empty());
}

}  // namespace
}  // namespace orvo::test
