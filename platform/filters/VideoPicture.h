#pragma once
// The uncompressed pictures the default video renderer shows: what a video media type says
// about them, and their copy into 32-bit pixels (bytes blue, green, red, X) top row first.
// Planes are packed, as the decoders deliver them: a row's stride is its width in bytes, and
// 4:2:0 and 4:2:2 chroma rows are the luma width rounded up to whole chroma samples. RGB
// pictures are bottom-up unless biHeight is negative; YUV pictures are always top-down.
#include <cstddef>
#include <cstdint>

#include "platform/graph/MediaType.h"

namespace orvo::filters {

struct VideoPicture {
    GUID subtype = GUID_NULL;
    int32_t width = 0;
    int32_t height = 0;  // rows, always positive
    bool bottomUp = false;
    size_t frameBytes = 0;  // one whole picture in the subtype's layout
};

// The picture a video type describes (FORMAT_VideoInfo or FORMAT_VideoInfo2, subtype RGB32,
// RGB24, YV12, IYUV, I420, NV12 or YUY2, at most 32767 pixels each way); false for any other.
bool DescribeVideoType(const graph::MediaType& type, VideoPicture& picture);

// Writes picture.width x picture.height pixels into target, rows pitch bytes apart, upright.
// False, with nothing read or written, when source holds fewer than picture.frameBytes bytes.
bool CopyToRgb32(const VideoPicture& picture, const uint8_t* source, size_t sourceBytes, uint8_t* target,
                 int32_t pitch);

}  // namespace orvo::filters
