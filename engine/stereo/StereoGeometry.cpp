#include "engine/stereo/StereoGeometry.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <numeric>

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

// Indexed by view mode: blue/yellow is the amber/blue projection (first view through the
// amber filter), red/cyan and green/magenta take the first view through red and green.
constexpr Projection kProjections[] = {
    /* VIEW_BLUE_YELLOW   */ {{{69599, -13435, 19595, -1048, -8061, -1114},
                               {-1704, 59507, 4456, 393, 4063, -1114},
                               {-2490, -11338, 1442, 6160, 12124, 59703}}},
    /* VIEW_RED_CYAN      */ {{{29884, 32768, 11534, -2818, -5767, -131},
                               {-2621, -2490, -1049, 24773, 48103, -1180},
                               {-983, -1376, -328, -4719, -7406, 80347}}},
    /* VIEW_GREEN_MAGENTA */ {{{-4063, -10354, -2556, 34669, 46203, 1573},
                               {18612, 43778, 9372, -1049, -983, -4260},
                               {-983, -1769, 1376, 590, 4915, 61407}}},
};

bool HasOptimisedAnaglyph(int32_t stereoMode) {
    return stereoMode == STEREO_SIDE_BY_SIDE || stereoMode == STEREO_TOP_BOTTOM || stereoMode == STEREO_FLAT;
}

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

FrameSize PictureAspect(int32_t stereoMode, uint32_t viewMode, int32_t w, int32_t h, int32_t num, int32_t den,
                        bool halfSideBySide, bool halfTopBottom) {
    if (num <= 0 || den <= 0) num = w, den = h;
    if (num <= 0 || den <= 0) return {0, 0};
    const StereoGeometry& g = GeometryOf(stereoMode, viewMode);
    int64_t width = int64_t(num) * g.widthMul * g.heightDiv, height = int64_t(den) * g.widthDiv * g.heightMul;
    if (g.split == Split::Columns && halfSideBySide) width *= 2;
    if (g.split == Split::Rows && halfTopBottom) height *= 2;
    const int64_t common = std::gcd(width, height);
    width /= common, height /= common;
    while (width > INT32_MAX || height > INT32_MAX) width = std::max<int64_t>(1, width / 2), height = std::max<int64_t>(1, height / 2);
    return {int32_t(width), int32_t(height)};
}

const ViewRule& ViewRuleOf(uint32_t viewMode) {
    return viewMode < std::size(kViewRules) ? kViewRules[viewMode] : kOtherView;
}

ViewRule ViewRuleOf(int32_t stereoMode, uint32_t viewMode, bool optimisedAnaglyph) {
    ViewRule rule = ViewRuleOf(viewMode);
    if (optimisedAnaglyph && rule.kind == ViewKind::Anaglyph && HasOptimisedAnaglyph(stereoMode)) {
        rule.projection = ProjectionOf(viewMode);
        rule.greyChannels = 0;
    }
    return rule;
}

const Projection* ProjectionOf(uint32_t viewMode) {
    return viewMode < std::size(kProjections) ? &kProjections[viewMode] : nullptr;
}

}  // namespace orvo::stereo
