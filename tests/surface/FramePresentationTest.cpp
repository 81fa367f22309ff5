// Frames through the transform into a real window under Xvfb, read back from the server.
#include "engine/stereo/FramePresentation.h"

#include <sys/socket.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "platform/window/XConnection.h"
#include "tests/support/XvfbServer.h"
#include "tests/support/TestWindow.h"

namespace {

using orvo::stereo::FrameDescriptor;
using orvo::stereo::PictureStore;
using orvo::stereo::PresentFrame;
using orvo::stereo::SetupSurfaces;
using orvo::stereo::STEREO_SIDE_BY_SIDE;
using orvo::stereo::VIEW_FIRST;
using orvo::test::MakePicture;
using orvo::test::NearColour;
using orvo::test::TestWindow;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kGrey = 0x808080;

void Describe(FrameDescriptor& d, HWND window, int32_t width, int32_t height, int32_t topDown) {
    d.window = window;
    d.topDown = topDown;
    d.sourceWidth = d.width = width;
    d.sourceHeight = d.height = height;
}

// Red top half, blue bottom half as seen, stored in the order topDown says.
std::vector<uint32_t> RedOverBlue(int width, int height, bool topDown) {
    return MakePicture(width, height, [&](int, int row) {
        const int seenRow = topDown ? row : height - 1 - row;
        return seenRow < height / 2 ? kRed : kBlue;
    });
}

uint8_t* Bytes(std::vector<uint32_t>& pixels) { return reinterpret_cast<uint8_t*>(pixels.data()); }

class FramePresentationTest : public ::testing::Test {
protected:
    void SetUp() override { ORVO_REQUIRE_DISPLAY(); }
    PictureStore m_store;
};

TEST_F(FramePresentationTest, TopDownAndBottomUpPicturesAppearUpright) {
    TestWindow window(30, 30, 160, 120, kGrey);
    for (int32_t topDown : {1, 0}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        FrameDescriptor d;
        Describe(d, window.Handle(), 80, 60, topDown);
        ASSERT_EQ(SetupSurfaces(d), 1);
        std::vector<uint32_t> frame = RedOverBlue(80, 60, topDown);
        EXPECT_EQ(PresentFrame(d, Bytes(frame), m_store), 1);
        EXPECT_TRUE(NearColour(window.Pixel(80, 10), kRed));
        EXPECT_TRUE(NearColour(window.Pixel(80, 110), kBlue));
        EXPECT_TRUE(NearColour(window.Pixel(0, 0), kRed));
        EXPECT_TRUE(NearColour(window.Pixel(159, 119), kBlue));
    }
}

TEST_F(FramePresentationTest, SideBySideHalfPictureFillsTheWindow) {
    TestWindow window(0, 0, 200, 100, kGrey);
    // Left view: red then green quarters of the frame; right view: blue.
    std::vector<uint32_t> frame = MakePicture(200, 100, [](int x, int) { return x < 50 ? kRed : x < 100 ? kGreen : kBlue; });
    FrameDescriptor d;
    Describe(d, window.Handle(), 200, 100, 1);
    d.stereoMode = STEREO_SIDE_BY_SIDE;
    d.viewMode = VIEW_FIRST;
    d.width = 100;  // W/2 x H
    ASSERT_EQ(SetupSurfaces(d), 1);
    ASSERT_EQ(PresentFrame(d, Bytes(frame), m_store), 1);
    std::vector<uint32_t> shown = window.Pixels();
    // Stretched by two: the red quarter covers the left half of the window.
    for (int y : {0, 50, 99}) {
        for (int x : {0, 45, 95}) EXPECT_TRUE(NearColour(shown[y * 200 + x], kRed)) << x << "," << y;
        for (int x : {105, 150, 199}) EXPECT_TRUE(NearColour(shown[y * 200 + x], kGreen)) << x << "," << y;
    }
}

TEST_F(FramePresentationTest, DescriptorWithoutSurfacesShowsNothingAndKeepsTheFrame) {
    TestWindow window(0, 0, 64, 64, kGrey);
    FrameDescriptor d;
    Describe(d, window.Handle(), 64, 64, 1);
    d.viewMode = VIEW_FIRST;  // full frame, first view: would swap the halves in place
    std::vector<uint32_t> frame = RedOverBlue(64, 64, true);
    const std::vector<uint32_t> original = frame;
    EXPECT_EQ(PresentFrame(d, Bytes(frame), m_store), 0);
    EXPECT_EQ(frame, original);
    for (uint32_t p : window.Pixels()) ASSERT_EQ(p, kGrey);
}

TEST_F(FramePresentationTest, SetupReplacesEarlierSurfaces) {
    TestWindow first(0, 0, 40, 40, kGrey), second(50, 0, 40, 40, kGrey);
    FrameDescriptor d;
    Describe(d, first.Handle(), 20, 20, 1);
    ASSERT_EQ(SetupSurfaces(d), 1);
    d.window = second.Handle();
    ASSERT_EQ(SetupSurfaces(d), 1);
    EXPECT_TRUE(d.surfaces.FrameSurface());
    std::vector<uint32_t> frame = MakePicture(20, 20, [](int, int) { return kGreen; });
    ASSERT_EQ(PresentFrame(d, Bytes(frame), m_store), 1);
    EXPECT_TRUE(NearColour(second.Pixel(20, 20), kGreen));
    EXPECT_EQ(first.Pixel(20, 20), kGrey);
}

TEST_F(FramePresentationTest, DestroyedAndRecreatedWindowShowsLaterFrames) {
    TestWindow window(10, 10, 64, 64, kGrey);
    FrameDescriptor d;
    Describe(d, window.Handle(), 32, 32, 1);
    ASSERT_EQ(SetupSurfaces(d), 1);
    std::vector<uint32_t> frame = RedOverBlue(32, 32, true);
    window.Destroy();
    EXPECT_EQ(PresentFrame(d, Bytes(frame), m_store), 1);  // lost, restored, not shown
    window.Recreate();
    EXPECT_EQ(window.Pixel(32, 8), kGrey);
    EXPECT_EQ(PresentFrame(d, Bytes(frame), m_store), 1);
    EXPECT_TRUE(NearColour(window.Pixel(32, 8), kRed));
    EXPECT_TRUE(NearColour(window.Pixel(32, 56), kBlue));
}

TEST_F(FramePresentationTest, BrokenConnectionIsRestoredForLaterFrames) {
    TestWindow window(10, 10, 64, 64, kGrey);
    FrameDescriptor d;
    Describe(d, window.Handle(), 32, 32, 1);
    ASSERT_EQ(SetupSurfaces(d), 1);
    xcb_connection_t* c = orvo::window::Connection();
    shutdown(xcb_get_file_descriptor(c), SHUT_RDWR);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    ASSERT_TRUE(xcb_connection_has_error(c));

    std::vector<uint32_t> frame = RedOverBlue(32, 32, true);
    EXPECT_EQ(PresentFrame(d, Bytes(frame), m_store), 1);  // the lock finds the surface lost
    EXPECT_EQ(window.Pixel(32, 8), kGrey);
    EXPECT_EQ(PresentFrame(d, Bytes(frame), m_store), 1);
    EXPECT_TRUE(NearColour(window.Pixel(32, 8), kRed));
    EXPECT_TRUE(NearColour(window.Pixel(32, 56), kBlue));
}

TEST_F(FramePresentationTest, SurfaceSmallerThanThePictureIsFilledWithoutOverrun) {
    TestWindow window(0, 0, 40, 40, kGrey);
    FrameDescriptor d;
    Describe(d, window.Handle(), 20, 20, 0);
    ASSERT_EQ(SetupSurfaces(d), 1);
    // The descriptor now claims a larger picture than its surface holds.
    d.sourceWidth = d.width = 30;
    d.sourceHeight = d.height = 30;
    std::vector<uint32_t> frame = MakePicture(30, 30, [](int, int) { return kBlue; });
    EXPECT_EQ(PresentFrame(d, Bytes(frame), m_store), 1);
}

// Frames stream on their own thread while the caller's thread rebuilds the surfaces
// under the frame lock and stores the grey mix without it, as the own renderer does.
TEST_F(FramePresentationTest, StreamingThreadPresentsWhileTheCallerRebuilds) {
    TestWindow window(0, 0, 64, 64, kGrey);
    FrameDescriptor d;
    Describe(d, window.Handle(), 32, 32, 1);
    std::mutex frameLock;
    {
        std::lock_guard lock(frameLock);
        ASSERT_EQ(SetupSurfaces(d), 1);
    }
    std::atomic<bool> streaming{true};
    std::thread stream([&] {
        std::vector<uint32_t> frame = RedOverBlue(32, 32, true);
        while (streaming) {
            std::lock_guard lock(frameLock);
            PresentFrame(d, Bytes(frame), m_store);
        }
    });
    for (int i = 0; i < 20; ++i) {
        d.greyMix = i % 2 ? 2 : 0;
        std::lock_guard lock(frameLock);
        EXPECT_EQ(SetupSurfaces(d), 1);
    }
    streaming = false;
    stream.join();
    std::vector<uint32_t> frame = RedOverBlue(32, 32, true);
    ASSERT_EQ(PresentFrame(d, Bytes(frame), m_store), 1);
    EXPECT_TRUE(NearColour(window.Pixel(32, 8), kRed));
}

}  // namespace
