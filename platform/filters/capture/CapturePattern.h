#pragma once
// The picture a virtual camera sends: eight vertical bars of distinct colours that move one
// bar to the left with every frame, so that any frame shown names its number modulo eight.
#include <cstdint>
#include <vector>

#include "platform/graph/MediaGuids.h"

namespace orvo::capture {

inline constexpr int kPatternBars = 8;

// 0xRRGGBB of the pixel at column x of frame n in a picture of the given width.
uint32_t PatternColour(uint64_t frame, int x, int width);
// The bar colours, in order from the left edge of frame 0.
const uint32_t* PatternBarColours();

// One frame of the pattern in a camera format: YUY2, NV12 or I420 (limited-range BT.601), or
// Motion JPEG (full range, 4:2:0). Empty for any other subtype or a size that is not a
// multiple of 16 by 2.
std::vector<uint8_t> PatternFrame(uint64_t frame, int width, int height, const GUID& subtype);

}  // namespace orvo::capture
