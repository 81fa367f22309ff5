#pragma once
// What the own renderer does with each frame: the stereo and view modes, the output
// picture's size, and where it is shown.
#include <atomic>
#include <cstdint>

#include "engine/stereo/StereoGeometry.h"
#include "engine/stereo/StereoModes.h"
#include "platform/com/Types.h"
#include "platform/surface/WindowPresenter.h"

namespace orvo::stereo {

// The whole frame's display shape and how its pairs are packed, for showing pictures at
// their true shape. A 0:0 aspect means square pixels.
struct FrameShape {
    int32_t aspectNum = 0;
    int32_t aspectDen = 0;
    bool halfSideBySide = false;  // a side-by-side pair's views are squeezed to half the width
    bool halfTopBottom = false;   // a stacked pair's views are squeezed to half the height
};

// Settings beside the stereo and view modes; all off reproduces the modes' own pictures.
struct StereoOptions {
    bool swapEyes = false;           // the two views change places in the two-view and re-lay modes
    bool optimisedAnaglyph = false;  // anaglyphs as least-squares projections, not the channel mix
    bool keepShape = false;          // shown at its display shape with black bars, not stretched
    FrameShape shape;
};

// Built when a media type is set and replaced whole on every mode change, under the
// filter's frame lock. reservedFlag and greyMix are stored from the caller's thread
// without that lock while frames stream, hence atomic: a frame sees the old or new value.
struct FrameDescriptor {
    HWND window = 0;
    int32_t topDown = 0;  // nonzero: the first row in memory is the picture's top row
    int32_t stereoMode = STEREO_FULL_FRAME;
    uint32_t viewMode = VIEW_BLUE_YELLOW;  // unsigned, so a negative value counts as large
    std::atomic<bool> reservedFlag{false};
    std::atomic<int32_t> greyMix{0};  // 1 switches the grey mix on; any other value leaves it off
    int32_t width = 0;                // output picture size, also the frame surface's
    int32_t height = 0;
    int32_t surfaceFormat = 1;  // 32-bit RGB
    int32_t sourceWidth = 0;    // the connected media type's video size
    int32_t sourceHeight = 0;
    // The settings that outlast a rebuild (the filter keeps them), set under the frame lock.
    StereoOptions options;
    // The DirectDraw object, the screen with a clipper on window, and the width x height
    // frame surface; released frame surface first, then the screen, then the object.
    surface::WindowPresenter surfaces;

    FrameDescriptor() = default;
    FrameDescriptor(const FrameDescriptor&) = delete;
    FrameDescriptor& operator=(const FrameDescriptor&) = delete;
};

}  // namespace orvo::stereo
