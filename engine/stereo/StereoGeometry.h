#pragma once
// What each stereo mode and view mode does, as data: where the two views lie in the source,
// how the output is put together, its size, and which channels each view gives. The frame
// descriptor's size, the whole-frame transform and the row-by-row transform all read these
// tables, so they cannot disagree.
#include <cstdint>

#include "engine/stereo/StereoModes.h"

namespace orvo::stereo {

struct FrameSize {
    int32_t width;
    int32_t height;
    bool operator==(const FrameSize&) const = default;
};

// Where the second view lies in the source.
enum class Split : uint8_t {
    None,     // one picture
    Columns,  // side by side: the second view starts w pixels into every row
    Rows,     // stacked: the second view starts h rows in
};

// How the output is made from the views.
enum class Combine : uint8_t {
    Whole,    // the frame itself (full frame: rows swapped or mirrored for views 3 and 2)
    Views,    // one picture of view size, per the view rule: anaglyph, first or second view
    Beside,   // the two stacked views re-laid side by side
    Stacked,  // the two side-by-side views re-laid stacked
    Shifted,  // 2D pseudo-stereo: the frame paired with itself shifted sideways
};

struct StereoGeometry {
    Split split;
    Combine combine;
    // Output size = source size * mul / div on each axis; halving truncates.
    int8_t widthMul, widthDiv, heightMul, heightDiv;
};

// The geometry of a stereo mode with a view mode; a mode without a row of its own (any
// other value, or top/bottom shown whole with view 5) shows the frame unchanged.
const StereoGeometry& GeometryOf(int32_t stereoMode, uint32_t viewMode);

// The output picture size for a W x H source.
FrameSize StereoOutputSize(int32_t stereoMode, uint32_t viewMode, int32_t sourceWidth, int32_t sourceHeight);

// The display aspect (width:height) of the picture of a W x H source whose whole frame shows
// at aspectNum:aspectDen (0:0 for square pixels). A view of a pair packed at half is shown as
// large as the whole frame along the squeezed axis: a half-width side-by-side view at the
// whole frame's aspect, a full-width one at half of it; the same for top/bottom.
FrameSize PictureAspect(int32_t stereoMode, uint32_t viewMode, int32_t sourceWidth, int32_t sourceHeight,
                        int32_t aspectNum, int32_t aspectDen, bool halfSideBySide, bool halfTopBottom);

enum class ViewKind : uint8_t { Anaglyph, First, Second, Other };

// A colour-optimised anaglyph: each output channel is a weighted sum of the three colour
// channels of both views, the least-squares projections of E. Dubois in 16.16 fixed point.
// Rows are the output's red, green and blue; columns the first view's red, green and blue,
// then the second view's. out = clamp((sum of weight * channel) >> 16, 0, 255).
struct Projection {
    int32_t weights[3][6];
};

// What a view mode takes from the two views, and which channels the grey mix replaces.
struct ViewRule {
    ViewKind kind;
    uint32_t fromSecond;    // channels (byte masks) an anaglyph takes from the second view
    uint32_t greyChannels;  // channels the grey mix sets to the pixel's mean
    const Projection* projection = nullptr;  // set: the anaglyph is this projection, not the mix
};

const ViewRule& ViewRuleOf(uint32_t viewMode);
// The same, with the colour-optimised anaglyphs where they apply (the anaglyph views of the
// side-by-side, top/bottom and 2D modes); those leave the grey mix out.
ViewRule ViewRuleOf(int32_t stereoMode, uint32_t viewMode, bool optimisedAnaglyph);

// The projection that replaces an anaglyph view mode's channel mix, or nullptr.
const Projection* ProjectionOf(uint32_t viewMode);

}  // namespace orvo::stereo
