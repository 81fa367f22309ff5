// Lumex_Pointer2DDraw into a caller's surface.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "engine/api/Lumex.h"
#include "platform/com/ComPtr.h"
#include "platform/surface/DirectDraw.h"
#include "tests/support/XvfbServer.h"
#include "tests/support/TestWindow.h"

namespace {

// A surface whose rows are padded past their pixels: the service's own surfaces are
// packed, so only a surface of the test's making shows whether the pitch is honoured.
class PaddedSurface final : public CUnknown, public IDirectDrawSurface {
public:
    static constexpr DWORD kWidth = 5, kHeight = 3;
    static constexpr LONG kPitch = kWidth * 4 + 12;
    static constexpr uint8_t kPadding = 0xAB;

    PaddedSurface() : memory(size_t(kPitch) * kHeight, kPadding) { NonDelegatingAddRef(); }
    DECLARE_IUNKNOWN

    HRESULT STDMETHODCALLTYPE Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, void*) override {
        ++locks;
        if (rect || !desc || desc->dwSize != sizeof(DDSURFACEDESC) || !(flags & DDLOCK_WAIT)) return DDERR_INVALIDPARAMS;
        desc->dwWidth = kWidth;
        desc->dwHeight = kHeight;
        desc->lPitch = kPitch;
        desc->lpSurface = handOutNoMemory ? nullptr : memory.data();
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE Unlock(void*) override {
        ++unlocks;
        return DD_OK;
    }

    std::vector<uint8_t> memory;
    bool handOutNoMemory = false;
    int locks = 0, unlocks = 0;

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IDirectDrawSurface*>(this); }
};

TEST(Pointer2DDrawTest, CopiesRowByRowHonouringThePitch) {
    PaddedSurface surface;
    std::vector<uint32_t> pixels(PaddedSurface::kWidth * PaddedSurface::kHeight);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0x01010101u * uint32_t(i + 1);
    EXPECT_EQ(Lumex_Pointer2DDraw(pixels.data(), 0, static_cast<IDirectDrawSurface*>(&surface)), 1);
    for (DWORD r = 0; r < PaddedSurface::kHeight; ++r) {
        const uint8_t* row = surface.memory.data() + r * PaddedSurface::kPitch;
        EXPECT_EQ(std::memcmp(row, &pixels[r * PaddedSurface::kWidth], PaddedSurface::kWidth * 4), 0) << r;
        for (LONG b = PaddedSurface::kWidth * 4; b < PaddedSurface::kPitch; ++b)
            EXPECT_EQ(row[b], PaddedSurface::kPadding) << "row " << r << " byte " << b;
    }
    EXPECT_EQ(surface.locks, 1);
    EXPECT_EQ(surface.unlocks, 1);
}

TEST(Pointer2DDrawTest, RefusesMissingPixelsSurfaceOrMemory) {
    PaddedSurface surface;
    uint32_t pixels[PaddedSurface::kWidth * PaddedSurface::kHeight] = {};
    EXPECT_EQ(Lumex_Pointer2DDraw(nullptr, 0, static_cast<IDirectDrawSurface*>(&surface)), 0);
    EXPECT_EQ(surface.locks, 0);
    EXPECT_EQ(Lumex_Pointer2DDraw(pixels, 0, nullptr), 0);

    surface.handOutNoMemory = true;
    EXPECT_EQ(Lumex_Pointer2DDraw(pixels, 0, static_cast<IDirectDrawSurface*>(&surface)), 0);
    EXPECT_EQ(surface.locks, 1);
    EXPECT_EQ(surface.unlocks, 1);
    EXPECT_EQ(surface.memory, std::vector<uint8_t>(surface.memory.size(), PaddedSurface::kPadding));
}

// Into one of the service's surfaces, then onto the screen.
TEST(Pointer2DDrawTest, ServiceSurfaceShowsTheCopiedPicture) {
    ORVO_REQUIRE_DISPLAY();
    orvo::test::TestWindow window(0, 0, 32, 32, 0x808080);
    ComPtr<IDirectDraw7> directDraw;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, directDraw.PutVoid(), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(directDraw->SetCooperativeLevel(window.Handle(), DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = desc.dwHeight = 32;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    ComPtr<IDirectDrawSurface7> frame, primary;
    ASSERT_EQ(directDraw->CreateSurface(&desc, frame.Put(), nullptr), DD_OK);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(directDraw->CreateSurface(&desc, primary.Put(), nullptr), DD_OK);
    ComPtr<IDirectDrawClipper> clipper;
    ASSERT_EQ(directDraw->CreateClipper(0, clipper.Put(), nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window.Handle()), DD_OK);
    ASSERT_EQ(primary->SetClipper(clipper.Get()), DD_OK);

    std::vector<uint32_t> picture =
        orvo::test::MakePicture(32, 32, [](int, int y) { return y < 16 ? 0xFF0000u : 0x00FF00u; });
    ComPtr<IDirectDrawSurface> first = frame.As<IDirectDrawSurface>();
    ASSERT_EQ(Lumex_Pointer2DDraw(picture.data(), 0, first.Get()), 1);
    RECT dest = window.ScreenRect();
    ASSERT_EQ(primary->Blt(&dest, frame.Get(), nullptr, 0, nullptr), DD_OK);
    EXPECT_TRUE(orvo::test::NearColour(window.Pixel(16, 4), 0xFF0000u));
    EXPECT_TRUE(orvo::test::NearColour(window.Pixel(16, 28), 0x00FF00u));
}

}  // namespace
