#include "engine/stereo/FramePresentation.h"

#include <algorithm>
#include <cstring>

#include "platform/window/WindowSystem.h"

namespace orvo::stereo {
namespace {

constexpr int32_t kRgb32 = 1;

void ReleaseSurfaces(FrameDescriptor& d) {
    d.frameSurface.Reset();
    d.primarySurface.Reset();
    d.directDraw.Reset();
}

DDSURFACEDESC2 EmptyDescription() {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    return desc;
}

HRESULT CreatePrimary(FrameDescriptor& d) {
    DDSURFACEDESC2 desc = EmptyDescription();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY;
    return d.directDraw->CreateSurface(&desc, d.primarySurface.Put(), nullptr);
}

HRESULT CreateFrameSurface(FrameDescriptor& d) {
    DDSURFACEDESC2 desc = EmptyDescription();
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.dwWidth = DWORD(d.width);
    desc.dwHeight = DWORD(d.height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
    desc.ddpfPixelFormat = {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    return d.directDraw->CreateSurface(&desc, d.frameSurface.Put(), nullptr);
}

HRESULT AttachClipper(FrameDescriptor& d) {
    ComPtr<IDirectDrawClipper> clipper;
    HRESULT hr = d.directDraw->CreateClipper(0, clipper.Put(), nullptr);
    if (SUCCEEDED(hr)) hr = clipper->SetHWnd(0, d.window);
    if (SUCCEEDED(hr)) hr = d.primarySurface->SetClipper(clipper.Get());
    return hr;  // the primary surface keeps its own reference to the clipper
}

HRESULT CreateSurfaces(FrameDescriptor& d) {
    HRESULT hr = DirectDrawCreateEx(nullptr, d.directDraw.PutVoid(), IID_IDirectDraw7, nullptr);
    if (SUCCEEDED(hr)) hr = d.directDraw->SetCooperativeLevel(d.window, DDSCL_NORMAL | DDSCL_MULTITHREADED);
    if (SUCCEEDED(hr)) hr = CreatePrimary(d);
    if (SUCCEEDED(hr)) hr = CreateFrameSurface(d);
    if (SUCCEEDED(hr)) hr = AttachClipper(d);
    return hr;
}

// Copies the picture into the locked surface, bottom-up sources with their rows reversed
// so that both appear upright. Only the part both share is copied, so a surface that does
// not match the descriptor's size is never read or written beyond either.
void CopyUpright(const FrameDescriptor& d, const uint8_t* picture, const DDSURFACEDESC2& locked) {
    auto* surface = static_cast<uint8_t*>(locked.lpSurface);
    const int32_t rows = std::min<int32_t>(int32_t(locked.dwHeight), d.height);
    const size_t rowBytes = size_t(std::min<int32_t>(int32_t(locked.dwWidth), d.width)) * 4;
    const size_t stride = size_t(d.width) * 4;
    for (int32_t r = 0; r < rows; ++r) {
        const int32_t target = d.topDown ? r : rows - 1 - r;
        std::memcpy(surface + ptrdiff_t(target) * locked.lPitch, picture + size_t(r) * stride, rowBytes);
    }
}

HRESULT Blit(const FrameDescriptor& d) {
    RECT windowRect{};
    // A window that is gone leaves the rectangle empty; the blit then reports the loss.
    GetWindowRect(d.window, &windowRect);
    RECT source{0, 0, d.width, d.height};
    return d.primarySurface->Blt(&windowRect, d.frameSurface.Get(), &source, 0, nullptr);
}

}  // namespace

int SetupSurfaces(FrameDescriptor& d) {
    ReleaseSurfaces(d);
    if (FAILED(CreateSurfaces(d))) {
        ReleaseSurfaces(d);
        return 0;
    }
    return 1;
}

int PresentFrame(const FrameDescriptor& d, uint8_t* frame, PictureStore& store) {
    if (!d.primarySurface || !d.frameSurface) return 0;
    DDSURFACEDESC2 locked = EmptyDescription();
    uint8_t* picture = TransformFrame(d, frame, store);
    if (!picture) return 1;
    HRESULT hr = d.frameSurface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
    if (SUCCEEDED(hr)) {
        GreyMix(d, picture);
        if (d.surfaceFormat == kRgb32) CopyUpright(d, picture, locked);
        d.frameSurface->Unlock(nullptr);
        hr = Blit(d);
    }
    if (hr == DDERR_SURFACELOST && d.directDraw) d.directDraw->RestoreAllSurfaces();
    return 1;  // the picture belongs to the store (or is the frame) and is kept for reuse
}

}  // namespace orvo::stereo
