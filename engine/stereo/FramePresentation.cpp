#include "engine/stereo/FramePresentation.h"

#include <algorithm>
#include <cstring>

#include "platform/surface/PictureScaler.h"
#include "platform/window/WindowSystem.h"

namespace orvo::stereo {
namespace {

constexpr int32_t kRgb32 = 1;
constexpr uint32_t kOpaqueBlack = 0xFF000000;

// Copies the picture into the locked surface, bottom-up sources with their rows reversed
// so that both appear upright. Only the part both share is copied, so a surface that does
// not match the descriptor's size is never read or written beyond either.
void CopyUpright(const FrameDescriptor& d, const uint8_t* picture, const surface::Canvas& locked) {
    const int32_t rows = std::min(locked.height, d.height);
    const size_t rowBytes = size_t(std::min(locked.width, d.width)) * 4;
    const size_t stride = size_t(d.width) * 4;
    for (int32_t r = 0; r < rows; ++r) {
        const int32_t target = d.topDown ? r : rows - 1 - r;
        std::memcpy(locked.pixels + ptrdiff_t(target) * locked.pitch, picture + size_t(r) * stride, rowBytes);
    }
}

// The picture's display shape, from the frame's shape and the modes.
SIZE DisplayShape(const FrameDescriptor& d) {
    const FrameShape& s = d.options.shape;
    const FrameSize a = PictureAspect(d.stereoMode, d.viewMode, d.sourceWidth, d.sourceHeight, s.aspectNum,
                                      s.aspectDen, s.halfSideBySide, s.halfTopBottom);
    return {a.width, a.height};
}

// The picture upright in scratch, for stretching: the whole-frame path's rows are in memory order.
const uint8_t* UprightPicture(const FrameDescriptor& d, const uint8_t* picture, PictureStore& store) {
    if (d.topDown) return picture;
    const size_t stride = size_t(d.width) * 4;
    uint8_t* upright = store.Scratch(stride * size_t(d.height));
    if (!upright) return nullptr;
    for (int32_t r = 0; r < d.height; ++r)
        std::memcpy(upright + size_t(d.height - 1 - r) * stride, picture + size_t(r) * stride, stride);
    return upright;
}

// At its display shape in a window-sized surface: black bars, and the picture stretched into
// the part its shape fits.
int PresentShaped(FrameDescriptor& d, FrameRows& rows, bool rowForm, const RECT& window, PictureStore& store,
                  const StereoKernels& kernels) {
    if (FAILED(d.surfaces.Resize(RectWidth(window), RectHeight(window)))) return 1;
    uint8_t* picture = nullptr;
    if (!rowForm) {
        uint8_t* frame = rows.Whole();
        if (!frame || !(picture = TransformFrame(d, frame, store, kernels))) return 1;
        GreyMix(d, picture, kernels);
    }
    const HRESULT hr = d.surfaces.DrawLetterboxed(DisplayShape(d), kOpaqueBlack, [&](const surface::Canvas& part) {
        if (part.width <= 0 || part.height <= 0) return true;
        if (rowForm) return TransformRowsScaled(d, rows, part, store, kernels);
        const uint8_t* upright = UprightPicture(d, picture, store);
        return upright && surface::ScalePicture({upright, d.width * 4, d.width, d.height}, part.pixels, part.pitch,
                                                part.width, part.height, {0, 0, part.width, part.height});
    });
    if (hr == S_OK) d.surfaces.Blit(&window);
    return 1;
}

}  // namespace

int SetupSurfaces(FrameDescriptor& d) {
    return SUCCEEDED(d.surfaces.Open(d.window, d.width, d.height)) ? 1 : 0;
}

int PresentFrame(FrameDescriptor& d, uint8_t* frame, PictureStore& store, const StereoKernels& kernels) {
    if (!d.surfaces.IsOpen()) return 0;
    uint8_t* picture = TransformFrame(d, frame, store, kernels);
    if (!picture) return 1;
    const HRESULT hr = d.surfaces.Draw([&](const surface::Canvas& locked) {
        GreyMix(d, picture, kernels);
        if (d.surfaceFormat == kRgb32) CopyUpright(d, picture, locked);
        return true;
    });
    if (SUCCEEDED(hr)) d.surfaces.Blit();
    return 1;  // the picture belongs to the store (or is the frame) and is kept for reuse
}

int PresentRows(FrameDescriptor& d, FrameRows& rows, PictureStore& store, const StereoKernels& kernels) {
    if (!d.surfaces.IsOpen()) return 0;
    const bool rowForm = d.surfaceFormat == kRgb32 && HasRowForm(d, rows, d.width, d.height);
    RECT window{};
    const bool inWindow = GetWindowRect(d.window, &window) && RectWidth(window) > 0 && RectHeight(window) > 0;
    if (d.options.keepShape && inWindow && d.surfaceFormat == kRgb32)
        return PresentShaped(d, rows, rowForm, window, store, kernels);
    const bool stretched =
        rowForm && inWindow && (RectWidth(window) != d.width || RectHeight(window) != d.height);
    // Stretched, the picture is made at the window's size, so that showing it is a plain
    // copy to the screen; else the frame surface holds the picture at its own size.
    const HRESULT sized = stretched ? d.surfaces.Resize(RectWidth(window), RectHeight(window))
                                    : d.surfaces.Resize(d.width, d.height);
    if (FAILED(sized)) return 1;
    if (!rowForm) {
        uint8_t* frame = rows.Whole();
        return frame ? PresentFrame(d, frame, store, kernels) : 1;
    }
    const HRESULT hr = d.surfaces.Draw([&](const surface::Canvas& locked) {
        return stretched ? TransformRowsScaled(d, rows, locked, store, kernels)
                         : TransformRows(d, rows, locked.pixels, locked.pitch, store, kernels);
    });
    if (hr == S_OK) d.surfaces.Blit(stretched ? &window : nullptr);
    return 1;
}

}  // namespace orvo::stereo
