// The window presenter every renderer draws through, on a real window under Xvfb: the frame
// surface stretched over the window or a rectangle of the screen, letterboxing, resizing and a
// window that goes away. And the own renderer's band-by-band presentation of a decoded frame,
// which must put on the screen what the whole-frame path puts there.
#include "platform/surface/WindowPresenter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/stereo/ColorSpaceConverter.h"
#include "engine/stereo/FramePresentation.h"
#include "platform/graph/MediaGuids.h"
#include "platform/window/XConnection.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace {

using orvo::surface::Canvas;
using orvo::surface::WindowPresenter;
using orvo::test::NearColour;
using orvo::test::TestWindow;

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kGrey = 0x808080, kBorder = 0x00FF00;

bool Fill(const Canvas& c, uint32_t colour) {
    for (int32_t y = 0; y < c.height; ++y) std::fill_n(reinterpret_cast<uint32_t*>(c.pixels + ptrdiff_t(y) * c.pitch), c.width, colour);
    return true;
}

class WindowPresenterTest : public ::testing::Test {
protected:
    void SetUp() override { ORVO_REQUIRE_DISPLAY(); }
};

TEST_F(WindowPresenterTest, StretchesTheFrameSurfaceOverTheWindowOrARectangle) {
    TestWindow window(10, 10, 120, 80, kGrey);
    WindowPresenter presenter;
    ASSERT_EQ(presenter.Open(window.Handle(), 30, 20), S_OK);
    ASSERT_TRUE(presenter.IsOpen());
    ASSERT_EQ(presenter.Draw([](const Canvas& c) {
        EXPECT_EQ(c.width, 30);
        EXPECT_EQ(c.height, 20);
        return Fill(c, kRed);
    }), S_OK);
    ASSERT_EQ(presenter.Blit(), S_OK);
    EXPECT_TRUE(NearColour(window.Pixel(0, 0), kRed));
    EXPECT_TRUE(NearColour(window.Pixel(119, 79), kRed));
    // A rectangle of the screen: the window's right half only.
    presenter.Draw([](const Canvas& c) { return Fill(c, kBlue); });
    const RECT right{10 + 60, 10, 10 + 120, 10 + 80};
    ASSERT_EQ(presenter.Blit(&right), S_OK);
    EXPECT_TRUE(NearColour(window.Pixel(30, 40), kRed));
    EXPECT_TRUE(NearColour(window.Pixel(90, 40), kBlue));
    // Painting nothing is reported and keeps the surface as it was.
    EXPECT_EQ(presenter.Draw([](const Canvas&) { return false; }), S_FALSE);
}

TEST_F(WindowPresenterTest, LetterboxKeepsThePictureAspectInsideTheBorder) {
    TestWindow window(0, 0, 160, 120, kGrey);
    WindowPresenter presenter;
    ASSERT_EQ(presenter.Open(window.Handle(), 160, 120), S_OK);
    // A 16:9 picture in a 4:3 surface: 160 x 90, with 15 rows of border above and below.
    ASSERT_EQ(presenter.DrawLetterboxed({16, 9}, kBorder, [](const Canvas& c) {
        EXPECT_EQ(c.width, 160);
        EXPECT_EQ(c.height, 90);
        return Fill(c, kRed);
    }), S_OK);
    ASSERT_EQ(presenter.Blit(), S_OK);
    EXPECT_EQ(window.Pixel(80, 14), kBorder);
    EXPECT_EQ(window.Pixel(80, 15), kRed);
    EXPECT_EQ(window.Pixel(80, 104), kRed);
    EXPECT_EQ(window.Pixel(80, 105), kBorder);
}

TEST_F(WindowPresenterTest, ResizeMakesASurfaceOnlyForANewSize) {
    TestWindow window(0, 0, 40, 40, kGrey);
    WindowPresenter presenter;
    ASSERT_EQ(presenter.Open(window.Handle(), 8, 8), S_OK);
    IDirectDrawSurface7* first = presenter.FrameSurface();
    EXPECT_EQ(presenter.Resize(8, 8), S_OK);
    EXPECT_EQ(presenter.FrameSurface(), first);
    EXPECT_EQ(presenter.Resize(12, 6), S_OK);
    presenter.Draw([](const Canvas& c) {
        EXPECT_EQ(c.width, 12);
        EXPECT_EQ(c.height, 6);
        return true;
    });
    // A size the service refuses leaves the presenter closed, not half made.
    EXPECT_TRUE(FAILED(presenter.Resize(0, 6)));
    EXPECT_FALSE(presenter.IsOpen());
    EXPECT_TRUE(FAILED(presenter.Blit()));
    EXPECT_TRUE(FAILED(presenter.Draw([](const Canvas&) { return true; })));
}

TEST_F(WindowPresenterTest, AWindowThatIsGoneIsReportedLostAndCanBeShownAgain) {
    TestWindow window(0, 0, 40, 30, kGrey);
    WindowPresenter presenter;
    ASSERT_EQ(presenter.Open(window.Handle(), 4, 3), S_OK);
    presenter.Draw([](const Canvas& c) { return Fill(c, kBlue); });
    window.Destroy();
    EXPECT_EQ(presenter.Blit(), DDERR_SURFACELOST);
    window.Recreate();
    if (presenter.IsOpen()) {
        ASSERT_EQ(presenter.Blit(), S_OK);
    } else {
        ASSERT_EQ(presenter.Open(window.Handle(), 4, 3), S_OK);
        presenter.Draw([](const Canvas& c) { return Fill(c, kBlue); });
        ASSERT_EQ(presenter.Blit(), S_OK);
    }
    EXPECT_TRUE(NearColour(window.Pixel(20, 15), kBlue));
}

// A decoded YV12 side-by-side frame shown red/cyan, grey-mixed, as the own renderer shows it:
// band by band into the frame surface, then stretched. The window shows exactly what the
// whole-frame path shows.
TEST_F(WindowPresenterTest, BandByBandPresentationShowsWhatTheWholeFramePathShows) {
    using namespace orvo::stereo;
    constexpr int kW = 64, kH = 36;
    // Each path into a window of its own, so that neither can show the other's picture.
    TestWindow wholeWindow(0, 0, 100, 70, kGrey), bandWindow(200, 0, 100, 70, kGrey);
    orvo::engine::CColorSpaceConverter converter(MEDIASUBTYPE_YV12, kW, kH);
    std::vector<uint8_t> source(converter.SourceSize());
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i * 37 + (i >> 5));
    auto describe = [&](FrameDescriptor& d, const TestWindow& window) {
        d.window = window.Handle();
        d.topDown = 1;
        d.stereoMode = STEREO_SIDE_BY_SIDE;
        d.viewMode = VIEW_RED_CYAN;
        d.greyMix = 1;
        d.sourceWidth = kW;
        d.sourceHeight = kH;
        d.width = kW / 2;
        d.height = kH;
        ASSERT_EQ(SetupSurfaces(d), 1);
    };
    PictureStore store;
    FrameDescriptor whole;
    describe(whole, wholeWindow);
    ASSERT_EQ(PresentFrame(whole, converter.Convert(source.data(), source.size()), store), 1);
    const std::vector<uint32_t> expected = wholeWindow.Pixels();
    FrameDescriptor bands;
    describe(bands, bandWindow);
    ConvertedRows rows(converter, source.data(), source.size());
    ASSERT_TRUE(HasRowForm(bands, rows, bands.width, bands.height));
    ASSERT_EQ(PresentRows(bands, rows, store), 1);
    EXPECT_EQ(bandWindow.Pixels(), expected);
}

// The band path makes a stretched picture at the window's size; the frame surface follows
// the window as it is resized and returns to the picture's size for a mode the band path
// cannot make. After each step the window shows what the whole-frame path shows.
TEST_F(WindowPresenterTest, StretchedBandPathFollowsWindowSizesAndModes) {
    using namespace orvo::stereo;
    constexpr int kW = 66, kH = 40;
    struct Step {
        int32_t stereo;
        uint32_t view;
        int width, height;  // of both windows
    };
    const Step steps[] = {
        {STEREO_SIDE_BY_SIDE, VIEW_RED_CYAN, 100, 70},  // up
        {STEREO_SIDE_BY_SIDE, VIEW_RED_CYAN, 25, 17},   // the same window made smaller: down
        {STEREO_SIDE_BY_SIDE, VIEW_WHOLE_FRAME, 100, 70},  // no row form: the whole-frame path
        {STEREO_SIDE_BY_SIDE, VIEW_FIRST, 33, 40},      // the picture's own size: not stretched
        {STEREO_TOP_BOTTOM, VIEW_SECOND, 90, 45},
        {STEREO_FLAT, VIEW_GREEN_MAGENTA, 61, 83},
    };
    TestWindow wholeWindow(0, 0, 100, 70, kGrey), bandWindow(200, 0, 100, 70, kGrey);
    orvo::engine::CColorSpaceConverter converter(MEDIASUBTYPE_NV12, kW, kH);
    std::vector<uint8_t> source(converter.SourceSize());
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i * 53 + (i >> 4));
    PictureStore store;
    FrameDescriptor whole, bands;
    for (FrameDescriptor* d : {&whole, &bands}) {
        d->window = (d == &whole ? wholeWindow : bandWindow).Handle();
        d->topDown = 0;
        d->greyMix = 1;
        d->sourceWidth = kW;
        d->sourceHeight = kH;
    }
    xcb_connection_t* c = orvo::window::Connection();
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.stereo) + "/" + std::to_string(step.view) + " into " +
                     std::to_string(step.width) + "x" + std::to_string(step.height));
        for (const TestWindow* w : {&wholeWindow, &bandWindow}) {
            const uint32_t size[] = {uint32_t(step.width), uint32_t(step.height)};
            xcb_configure_window(c, xcb_window_t(w->Handle()), XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                                 size);
        }
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        for (FrameDescriptor* d : {&whole, &bands}) {
            // A mode change rebuilds the surfaces at the picture's size, as the renderer does.
            if (d->stereoMode == step.stereo && d->viewMode == step.view && d->surfaces.IsOpen()) continue;
            d->stereoMode = step.stereo;
            d->viewMode = step.view;
            const FrameSize out = StereoOutputSize(step.stereo, step.view, kW, kH);
            d->width = out.width;
            d->height = out.height;
            ASSERT_EQ(SetupSurfaces(*d), 1);
        }
        ASSERT_EQ(PresentFrame(whole, converter.Convert(source.data(), source.size()), store), 1);
        ConvertedRows rows(converter, source.data(), source.size());
        ASSERT_EQ(PresentRows(bands, rows, store), 1);
        const std::vector<uint32_t> expected = orvo::test::WindowPixels(wholeWindow.Handle(), step.width, step.height);
        EXPECT_EQ(orvo::test::WindowPixels(bandWindow.Handle(), step.width, step.height), expected);
        EXPECT_NE(expected, std::vector<uint32_t>(expected.size(), kGrey));
    }
}

}  // namespace
