#pragma once
// One frame of four flat quadrants in each decoded layout the default video renderer takes,
// packed as the decoders deliver them.
#include <cstdint>
#include <vector>

#include "platform/com/Guid.h"

namespace orvo::test {

// (Y, U, V) of each quadrant: top-left, top-right, bottom-left, bottom-right.
using QuadrantYuv = uint8_t[4][3];

// YV12, IYUV, I420, NV12 or YUY2 bytes of a width x height frame (both even).
std::vector<uint8_t> YuvQuadrants(const GUID& subtype, int width, int height, const QuadrantYuv& yuv);

// RGB24 bytes (blue, green, red) of a frame of 0xRRGGBB quadrants, bottom row first.
std::vector<uint8_t> Rgb24Quadrants(int width, int height, const uint32_t rgb[4]);

}  // namespace orvo::test
