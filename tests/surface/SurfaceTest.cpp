// The surface service against a real X server (Xvfb): what reaches the window's pixels.
#include <sys/socket.h>

#include <atomic>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "platform/com/ComPtr.h"
#include "platform/surface/DirectDraw.h"
#include "platform/surface/PixelImage.h"
#include "platform/window/XConnection.h"
#include "tests/support/XvfbServer.h"
#include "tests/support/TestWindow.h"

namespace {

using orvo::test::MakePicture;
using orvo::test::NearColour;
using orvo::test::TestWindow;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kGrey = 0x808080;

DDSURFACEDESC2 Description(DWORD flags, DWORD caps) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = flags;
    desc.ddsCaps.dwCaps = caps;
    return desc;
}

DDSURFACEDESC2 OffscreenDescription(DWORD width, DWORD height) {
    DDSURFACEDESC2 desc = Description(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT,
                                      DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddpfPixelFormat = {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    return desc;
}

// Breaks the platform's display connection the way a lost server does.
void BreakPlatformConnection() {
    xcb_connection_t* c = orvo::window::Connection();
    ASSERT_NE(c, nullptr);
    shutdown(xcb_get_file_descriptor(c), SHUT_RDWR);
    xcb_flush(c);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    ASSERT_TRUE(xcb_connection_has_error(c));
}

class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ORVO_REQUIRE_DISPLAY();
        ASSERT_EQ(DirectDrawCreateEx(nullptr, m_directDraw.PutVoid(), IID_IDirectDraw7, nullptr), DD_OK);
        ASSERT_EQ(m_directDraw->SetCooperativeLevel(0, DDSCL_NORMAL | DDSCL_MULTITHREADED), DD_OK);
        DDSURFACEDESC2 primary = Description(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY);
        ASSERT_EQ(m_directDraw->CreateSurface(&primary, m_primary.Put(), nullptr), DD_OK);
    }
    void TearDown() override { orvo::surface::SetSharedMemoryAllowed(true); }

    ComPtr<IDirectDrawSurface7> Offscreen(DWORD width, DWORD height) {
        DDSURFACEDESC2 desc = OffscreenDescription(width, height);
        ComPtr<IDirectDrawSurface7> surface;
        EXPECT_EQ(m_directDraw->CreateSurface(&desc, surface.Put(), nullptr), DD_OK);
        return surface;
    }

    void Clip(HWND window) {
        ComPtr<IDirectDrawClipper> clipper;
        ASSERT_EQ(m_directDraw->CreateClipper(0, clipper.Put(), nullptr), DD_OK);
        ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
        ASSERT_EQ(m_primary->SetClipper(clipper.Get()), DD_OK);
    }

    static HRESULT Fill(IDirectDrawSurface7* surface, const std::vector<uint32_t>& picture) {
        DDSURFACEDESC2 locked{};
        locked.dwSize = sizeof(locked);
        HRESULT hr = surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
        if (FAILED(hr)) return hr;
        for (DWORD r = 0; r < locked.dwHeight; ++r)
            std::memcpy(static_cast<uint8_t*>(locked.lpSurface) + r * locked.lPitch, &picture[r * locked.dwWidth],
                        locked.dwWidth * 4);
        return surface->Unlock(nullptr);
    }

    ComPtr<IDirectDraw7> m_directDraw;
    ComPtr<IDirectDrawSurface7> m_primary;
};

// Four quadrants: red, green / blue, white.
std::vector<uint32_t> Quadrants(int width, int height) {
    return MakePicture(width, height, [&](int x, int y) {
        const bool right = x >= width / 2, bottom = y >= height / 2;
        return bottom ? (right ? kWhite : kBlue) : (right ? kGreen : kRed);
    });
}

void ExpectQuadrants(const TestWindow& w) {
    const int qx = w.Width() / 4, qy = w.Height() / 4;
    EXPECT_TRUE(NearColour(w.Pixel(qx, qy), kRed));
    EXPECT_TRUE(NearColour(w.Pixel(3 * qx, qy), kGreen));
    EXPECT_TRUE(NearColour(w.Pixel(qx, 3 * qy), kBlue));
    EXPECT_TRUE(NearColour(w.Pixel(3 * qx, 3 * qy), kWhite));
    EXPECT_TRUE(NearColour(w.Pixel(0, 0), kRed));  // the edges keep the border colour
    EXPECT_TRUE(NearColour(w.Pixel(w.Width() - 1, w.Height() - 1), kWhite));
}

class StretchTest : public SurfaceTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StretchTest, SourceFillsTheDestinationRectangle) {
    orvo::surface::SetSharedMemoryAllowed(GetParam());
    TestWindow window(40, 30, 320, 180, kGrey);
    Clip(window.Handle());
    // Shrinking, enlarging and the picture's own size, into the window's screen rectangle.
    for (auto [w, h] : {std::pair{640, 360}, std::pair{80, 60}, std::pair{320, 180}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        ComPtr<IDirectDrawSurface7> frame = Offscreen(w, h);
        ASSERT_EQ(Fill(frame.Get(), Quadrants(w, h)), DD_OK);
        RECT dest = window.ScreenRect();
        ASSERT_EQ(m_primary->Blt(&dest, frame.Get(), nullptr, 0, nullptr), DD_OK);
        ExpectQuadrants(window);
    }
}

INSTANTIATE_TEST_SUITE_P(SharedAndPlainImages, StretchTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Shared" : "Plain"; });

TEST_F(SurfaceTest, SourceRectangleSelectsThePartShown) {
    TestWindow window(10, 10, 100, 100, kGrey);
    Clip(window.Handle());
    ComPtr<IDirectDrawSurface7> frame = Offscreen(64, 64);
    ASSERT_EQ(Fill(frame.Get(), Quadrants(64, 64)), DD_OK);
    RECT dest = window.ScreenRect();
    RECT greenQuadrant{32, 0, 64, 32};
    ASSERT_EQ(m_primary->Blt(&dest, frame.Get(), &greenQuadrant, 0, nullptr), DD_OK);
    for (uint32_t p : window.Pixels()) ASSERT_TRUE(NearColour(p, kGreen));
}

TEST_F(SurfaceTest, NothingIsDrawnOutsideTheClipperWindow) {
    TestWindow backdrop(0, 0, 400, 300, kGrey);
    TestWindow window(100, 100, 120, 80, kBlue);
    Clip(window.Handle());
    ComPtr<IDirectDrawSurface7> frame = Offscreen(16, 16);
    ASSERT_EQ(Fill(frame.Get(), MakePicture(16, 16, [](int, int) { return kRed; })), DD_OK);
    RECT beyond{50, 50, 270, 230};  // 50 pixels past the window on every side
    ASSERT_EQ(m_primary->Blt(&beyond, frame.Get(), nullptr, 0, nullptr), DD_OK);
    for (uint32_t p : window.Pixels()) ASSERT_TRUE(NearColour(p, kRed));
    for (auto [x, y] : {std::pair{99, 140}, std::pair{220, 140}, std::pair{150, 99}, std::pair{150, 180},
                        std::pair{60, 60}, std::pair{260, 220}})
        EXPECT_EQ(TestWindow::ScreenPixel(x, y), kGrey) << x << "," << y;
}

TEST_F(SurfaceTest, LockDescribesTheSurfaceAndGuardsItsState) {
    ComPtr<IDirectDrawSurface7> frame = Offscreen(33, 7);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(frame->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(locked.dwWidth, 33u);
    EXPECT_EQ(locked.dwHeight, 7u);
    EXPECT_GE(locked.lPitch, 33 * 4);
    EXPECT_NE(locked.lpSurface, nullptr);
    EXPECT_EQ(locked.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(locked.ddpfPixelFormat.dwRBitMask, 0x00FF0000u);
    DDSURFACEDESC2 again = locked;
    EXPECT_EQ(frame->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    RECT dest{0, 0, 10, 10};
    EXPECT_EQ(m_primary->Blt(&dest, frame.Get(), nullptr, 0, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(frame->Unlock(nullptr), DD_OK);
    EXPECT_EQ(frame->Unlock(nullptr), DDERR_NOTLOCKED);

    DDSURFACEDESC2 wrongSize{};
    wrongSize.dwSize = 108;
    EXPECT_EQ(frame->Lock(nullptr, &wrongSize, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(frame->Lock(nullptr, nullptr, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(SurfaceTest, FirstGenerationInterfaceLocksTheSamePixels) {
    ComPtr<IDirectDrawSurface7> frame = Offscreen(8, 4);
    ComPtr<IDirectDrawSurface> first = frame.As<IDirectDrawSurface>();
    ASSERT_TRUE(first);
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(first->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    DDSURFACEDESC2 seven{};
    seven.dwSize = sizeof(seven);
    EXPECT_EQ(frame->Lock(nullptr, &seven, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(locked.dwWidth, 8u);
    EXPECT_EQ(locked.dwHeight, 4u);
    EXPECT_EQ(first->Unlock(nullptr), DD_OK);
}

TEST_F(SurfaceTest, CreationRefusesWhatItCannotMake) {
    struct Case {
        const char* name;
        DDSURFACEDESC2 desc;
        HRESULT expected;
    };
    DDSURFACEDESC2 alpha = OffscreenDescription(4, 4);
    alpha.ddpfPixelFormat.dwFlags |= DDPF_ALPHAPIXELS;
    DDSURFACEDESC2 bgr = OffscreenDescription(4, 4);
    std::swap(bgr.ddpfPixelFormat.dwRBitMask, bgr.ddpfPixelFormat.dwBBitMask);
    DDSURFACEDESC2 empty = OffscreenDescription(0, 4);
    DDSURFACEDESC2 huge = OffscreenDescription(40000, 4);
    DDSURFACEDESC2 noSize = OffscreenDescription(4, 4);
    noSize.dwFlags &= ~DDSD_WIDTH;
    DDSURFACEDESC2 both = OffscreenDescription(4, 4);
    both.ddsCaps.dwCaps |= DDSCAPS_PRIMARYSURFACE;
    DDSURFACEDESC2 neither = OffscreenDescription(4, 4);
    neither.ddsCaps.dwCaps = DDSCAPS_VIDEOMEMORY;
    DDSURFACEDESC2 shortRecord = OffscreenDescription(4, 4);
    shortRecord.dwSize = 108;
    const Case cases[] = {
        {"alpha", alpha, DDERR_INVALIDPIXELFORMAT},   {"bgr", bgr, DDERR_INVALIDPIXELFORMAT},
        {"empty", empty, DDERR_INVALIDPARAMS},        {"huge", huge, DDERR_INVALIDPARAMS},
        {"no size", noSize, DDERR_INVALIDPARAMS},     {"both kinds", both, DDERR_INVALIDCAPS},
        {"neither kind", neither, DDERR_INVALIDCAPS}, {"short record", shortRecord, DDERR_INVALIDPARAMS},
    };
    for (const Case& c : cases) {
        DDSURFACEDESC2 desc = c.desc;
        IDirectDrawSurface7* surface = reinterpret_cast<IDirectDrawSurface7*>(1);
        EXPECT_EQ(m_directDraw->CreateSurface(&desc, &surface, nullptr), c.expected) << c.name;
        EXPECT_EQ(surface, nullptr) << c.name;
    }

    ComPtr<IDirectDraw7> fresh;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, fresh.PutVoid(), IID_IDirectDraw7, nullptr), DD_OK);
    DDSURFACEDESC2 desc = OffscreenDescription(4, 4);
    ComPtr<IDirectDrawSurface7> surface;
    EXPECT_EQ(fresh->CreateSurface(&desc, surface.Put(), nullptr), DDERR_NOCOOPERATIVELEVELSET);
    EXPECT_EQ(fresh->SetCooperativeLevel(0, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_UNSUPPORTED);
    ComPtr<IDirectDraw7> other;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, other.PutVoid(), IID_IDirectDrawSurface7, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(SurfaceTest, BlitRefusesBadRectangles) {
    TestWindow window(0, 0, 50, 50, kGrey);
    Clip(window.Handle());
    ComPtr<IDirectDrawSurface7> frame = Offscreen(16, 16);
    RECT dest = window.ScreenRect();
    for (RECT source : {RECT{0, 0, 17, 16}, RECT{-1, 0, 16, 16}, RECT{8, 0, 8, 16}}) {
        EXPECT_EQ(m_primary->Blt(&dest, frame.Get(), &source, 0, nullptr), DDERR_INVALIDRECT);
    }
    RECT inverted{50, 50, 0, 0};
    EXPECT_EQ(m_primary->Blt(&inverted, frame.Get(), nullptr, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(m_primary->Blt(&dest, nullptr, nullptr, 0, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(frame->Blt(&dest, m_primary.Get(), nullptr, 0, nullptr), DDERR_UNSUPPORTED);
}

TEST_F(SurfaceTest, DestroyedWindowLosesTheBlitUntilItIsBack) {
    TestWindow window(20, 20, 64, 48, kGrey);
    Clip(window.Handle());
    ComPtr<IDirectDrawSurface7> frame = Offscreen(32, 24);
    ASSERT_EQ(Fill(frame.Get(), Quadrants(32, 24)), DD_OK);
    RECT dest = window.ScreenRect();
    Clip(window.Handle() | (HWND(1) << 32));  // no X window id, though its low half names one
    EXPECT_EQ(m_primary->Blt(&dest, frame.Get(), nullptr, 0, nullptr), DDERR_SURFACELOST);
    Clip(window.Handle());
    window.Destroy();
    EXPECT_EQ(m_primary->Blt(&dest, frame.Get(), nullptr, 0, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(m_directDraw->RestoreAllSurfaces(), DD_OK);
    window.Recreate();
    EXPECT_EQ(m_primary->Blt(&dest, frame.Get(), nullptr, 0, nullptr), DD_OK);
    ExpectQuadrants(window);
}

TEST_F(SurfaceTest, BrokenConnectionLosesSurfacesAndRestoreMakesThemUsable) {
    TestWindow window(20, 20, 64, 48, kGrey);
    Clip(window.Handle());
    ComPtr<IDirectDrawSurface7> frame = Offscreen(32, 24);
    ASSERT_EQ(Fill(frame.Get(), Quadrants(32, 24)), DD_OK);
    BreakPlatformConnection();

    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    EXPECT_EQ(frame->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
    RECT dest = window.ScreenRect();
    EXPECT_EQ(m_primary->Blt(&dest, frame.Get(), nullptr, 0, nullptr), DDERR_SURFACELOST);

    ASSERT_EQ(m_directDraw->RestoreAllSurfaces(), DD_OK);
    ASSERT_EQ(Fill(frame.Get(), Quadrants(32, 24)), DD_OK);
    ASSERT_EQ(m_primary->Blt(&dest, frame.Get(), nullptr, 0, nullptr), DD_OK);
    ExpectQuadrants(window);
}

// Made on this thread, drawn from another while this one restores and rebinds the clipper.
TEST_F(SurfaceTest, SurfacesServeAnotherThread) {
    TestWindow window(0, 0, 64, 64, kGrey);
    ComPtr<IDirectDrawClipper> clipper;
    ASSERT_EQ(m_directDraw->CreateClipper(0, clipper.Put(), nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window.Handle()), DD_OK);
    ASSERT_EQ(m_primary->SetClipper(clipper.Get()), DD_OK);
    ComPtr<IDirectDrawSurface7> frame = Offscreen(32, 32);
    const std::vector<uint32_t> picture = Quadrants(32, 32);
    std::atomic<bool> failed{false};
    std::thread streaming([&] {
        RECT dest = window.ScreenRect();
        for (int i = 0; i < 50; ++i) {
            if (Fill(frame.Get(), picture) != DD_OK) failed = true;
            if (m_primary->Blt(&dest, frame.Get(), nullptr, 0, nullptr) != DD_OK) failed = true;
        }
    });
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(m_directDraw->RestoreAllSurfaces(), DD_OK);
        EXPECT_EQ(clipper->SetHWnd(0, window.Handle()), DD_OK);
    }
    streaming.join();
    EXPECT_FALSE(failed);
    ExpectQuadrants(window);
}

}  // namespace
