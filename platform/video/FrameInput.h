#pragma once
// The decoded video formats the stock renderers take (RGB32, RGB24, RGB565, RGB555, YV12,
// I420/IYUV, NV12, YUY2 in VIDEOINFOHEADER or VIDEOINFOHEADER2) and their conversion to
// the mixer's 32-bit top-down frames.
#include <cstddef>

#include "platform/graph/MediaType.h"
#include "platform/video/VideoMixer.h"

namespace orvo::video {

struct InputFormat {
    GUID subtype{};
    int width = 0, height = 0;
    bool bottomUp = false;  // RGB rows of a positive header height
    size_t stride = 0;      // bytes of a row of the first plane
    size_t imageBytes = 0;  // bytes of a whole frame
};

// Fills format for a type the renderers take; false for any other.
bool DescribeInput(const graph::MediaType& type, InputFormat& format);

// Converts one frame; false (frame untouched) when the sample holds fewer bytes than the
// format needs.
bool ConvertToFrame(const InputFormat& format, const BYTE* data, size_t length, Frame& frame);

}  // namespace orvo::video
