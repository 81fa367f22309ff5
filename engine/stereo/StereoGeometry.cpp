#include "engine/stereo/StereoGeometry.h"

#include <cstdint>
#include <iterator>

namespace orvo::stereo {
namespace {

constexpr uint32_t kBlue = 0x000000FF;
constexpr uint32_t kGreen = 0x0000FF00;
constexpr uint32_t kRed = 0x00FF0000;

// Indexed by stereo mode.
constexpr StereoGeometry kGeometry[] = {
    /* STEREO_FULL_FRAME   */ {Split::None, Combine::Whole, 1, 1, 1, 1},
    /* STEREO_SIDE_BY_SIDE */ {Split::Columns, Combine::Views, 1, 2, 1, 1},
    /* STEREO_TOP_BOTTOM   */ {Split::Rows, Combine::Views, 1, 1, 1, 2},
    /* STEREO_TB_TO_SBS    */ {Split::Rows, Combine::Beside, 2, 1, 1, 2},
    /* STEREO_SBS_TO_TB    */ {Split::Columns, Combine::Stacked, 1, 2, 2, 1},
    /* STEREO_FLAT         */ {Split::None, Combine::Shifted, 1, 1, 1, 1},
};
constexpr StereoGeometry kUnchanged{Split::None, Combine::Whole, 1, 1, 1, 1};

// Indexed by view mode.
constexpr ViewRule kViewRules[] = {
    /* VIEW_BLUE_YELLOW   */ {ViewKind::Anaglyph, kBlue, kBlue},
    /* VIEW_RED_CYAN      */ {ViewKind::Anaglyph, kBlue | kGreen, kBlue | kGreen},
    /* VIEW_GREEN_MAGENTA */ {ViewKind::Anaglyph, kBlue | kRed, kBlue | kRed},
    /* VIEW_FIRST         */ {ViewKind::First, 0, kBlue},
    /* VIEW_SECOND        */ {ViewKind::Second, 0, kBlue},
};
constexpr ViewRule kOtherView{ViewKind::Other, 0, kBlue};

}  // namespace

const StereoGeometry& GeometryOf(int32_t stereoMode, uint32_t viewMode) {
    if (stereoMode < 0 || stereoMode >= int32_t(std::size(kGeometry))) return kUnchanged;
    if (stereoMode == STEREO_TOP_BOTTOM && viewMode == VIEW_WHOLE_FRAME) return kUnchanged;
    return kGeometry[stereoMode];
}

FrameSize StereoOutputSize(int32_t stereoMode, uint32_t viewMode, int32_t w, int32_t h) {
    const StereoGeometry& g = GeometryOf(stereoMode, viewMode);
    const int64_t width = int64_t(w) * g.widthMul / g.widthDiv, height = int64_t(h) * g.heightMul / g.heightDiv;
    // A size that does not fit shows nothing rather than wrapping round.
    if (width > INT32_MAX || height > INT32_MAX) return {0, 0};
    return {int32_t(width), int32_t(height)};
}

const ViewRule& ViewRuleOf(uint32_t viewMode) {
    return viewMode < std::size(kViewRules) ? kViewRules[viewMode] : kOtherView;
}

}  // namespace orvo::stereo
