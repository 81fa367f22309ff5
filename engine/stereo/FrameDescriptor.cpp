#include "engine/stereo/FrameDescriptor.h"

namespace orvo::stereo {

FrameSize StereoOutputSize(int32_t stereoMode, uint32_t viewMode, int32_t w, int32_t h) {
    switch (stereoMode) {
        case STEREO_SIDE_BY_SIDE:
            return {w / 2, h};
        case STEREO_TOP_BOTTOM:
            return viewMode == VIEW_WHOLE_FRAME ? FrameSize{w, h} : FrameSize{w, h / 2};
        case STEREO_TB_TO_SBS:
            return {w * 2, h / 2};
        case STEREO_SBS_TO_TB:
            return {w / 2, h * 2};
        default:
            return {w, h};
    }
}

}  // namespace orvo::stereo
