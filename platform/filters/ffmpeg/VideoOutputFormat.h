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
// itself when it is one of NV12, YV12, IYUV, YUY2, RGB32, RGB24; else NV12 for 4:2:0, YUY2 for
// 4:2:2, RGB32 for the rest; then every other output subtype as a fallback.
std::vector<GUID> PreferredOutputSubtypes(AVPixelFormat decoded);

// Whether the subtype is one the decoder can deliver.
bool IsOutputSubtype(const GUID& subtype);

// Bytes of one packed picture.
size_t PackedImageSize(const GUID& subtype, int width, int height);

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
