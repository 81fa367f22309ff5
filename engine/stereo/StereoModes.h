#pragma once
// The stereo modes (how the source frame holds its views) and view modes (what is shown of
// them) the stereo pipeline understands, and the presentation callback it calls per frame.
#include <cstdint>

namespace orvo::stereo {

enum StereoModeCode : int32_t {
    STEREO_FULL_FRAME = 0,
    STEREO_SIDE_BY_SIDE = 1,
    STEREO_TOP_BOTTOM = 2,
    STEREO_TB_TO_SBS = 3,
    STEREO_SBS_TO_TB = 4,
    STEREO_FLAT = 5,
};

enum ViewModeCode : int32_t {
    VIEW_BLUE_YELLOW = 0,
    VIEW_RED_CYAN = 1,
    VIEW_GREEN_MAGENTA = 2,
    VIEW_FIRST = 3,
    VIEW_SECOND = 4,
    VIEW_WHOLE_FRAME = 5,
};

// Receives each finished frame instead of the window: its pixels and byte count, then three
// values that are always 0.
using PresentCallback = void (*)(void* frame, uint32_t bytes, intptr_t, intptr_t, intptr_t);

}  // namespace orvo::stereo
