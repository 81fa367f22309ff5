#pragma once
// The uncompressed forms the video decoder delivers, their media types and packed layouts.
// Rows are packed: a plane's row stride is its width in bytes (for 4:2:0 and 4:2:2 the chroma
// width is the luma width rounded up to whole chroma samples). RGB is bottom-up.
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
}

#include "platform/graph/MediaType.h"
#include "platform/graph/VideoColorInfo.h"

namespace orvo::ffmpeg {

// The output subtypes in order of preference for frames of the decoded format: the format
// itself when it is one of the output forms (NV12, YV12, IYUV, YUY2, RGB32, RGB24, and the
// planar and semi-planar formats of MediaGuids.h: 4:2:2 and 4:4:4 of 8 bits, P010, P016, P210,
// P216, and planar 4:2:0, 4:2:2, 4:4:4 of 10 and 12 bits); else NV12 for 4:2:0, YUY2 for 4:2:2,
// RGB32 for the rest; then NV12, YV12, IYUV, YUY2, RGB32 and RGB24 as fallbacks.
std::vector<GUID> PreferredOutputSubtypes(AVPixelFormat decoded);

// Whether the subtype is one the decoder can deliver.
bool IsOutputSubtype(const GUID& subtype);

// The FFmpeg format whose planes, packed, are the subtype's (YV12: those of IYUV, swapped).
AVPixelFormat PackedPixelFormat(const GUID& subtype);
// Bytes of one packed picture; the largest of any output form.
size_t PackedImageSize(const GUID& subtype, int width, int height);
size_t LargestImageSize(int width, int height);

// An output type: FORMAT_VideoInfo2, or FORMAT_VideoInfo when videoInfo2 is false; biHeight
// is positive (bottom-up RGB, top-down YUV as the platform has it). A VIDEOINFOHEADER2 of a YUV
// subtype carries color.
graph::MediaType OutputMediaType(const GUID& subtype, int width, int height, REFERENCE_TIME frameTime,
                                 bool videoInfo2 = true, const graph::VideoColorInfo& color = {});

// The colour of pictures in that FFmpeg colour space, range and pixel format (the full-range
// "yuvj" formats say their range themselves).
graph::VideoColorInfo ColorInfoOfPictures(AVColorSpace space, AVColorRange range, AVPixelFormat format);

// Picture size of a video type of either format, false when it has neither header.
bool VideoTypeSize(const AM_MEDIA_TYPE& type, int& width, int& height);

}  // namespace orvo::ffmpeg
