#pragma once
// Brings a decoded picture into one of the decoder's packed output forms (VideoOutputFormat.h):
// a plain copy when the picture is in that form already, else one libswscale pass. RGB rows
// are written bottom-up. Used on the decoder's streaming thread only.
extern "C" {
#include <libavutil/frame.h>
}

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/graph/VideoColorInfo.h"

struct SwsContext;

namespace orvo::ffmpeg {

class FrameConverter {
public:
    FrameConverter() = default;
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // Writes frame (of exactly width x height) into out as subtype. E_INVALIDARG when the
    // frame's size differs or out is smaller than the packed picture, E_FAIL when libswscale
    // cannot convert the format.
    HRESULT Convert(const AVFrame& frame, const GUID& subtype, int width, int height, uint8_t* out, size_t size);

    // The colour of frame once written as subtype: its own when it is copied, else its matrix in
    // the limited range, to which the libswscale pass brings YUV.
    static graph::VideoColorInfo OutputColor(const AVFrame& frame, const GUID& subtype);

private:
    SwsContext* m_scaler = nullptr;
};

}  // namespace orvo::ffmpeg
