#pragma once
// The video formats the own renderer takes, in one table: each subtype's code (which also
// tells the row order: RGB bottom-up, YUV top-down) and the pixel layout the colour converter
// reads it in.
#include <cstdint>

#include "platform/com/Guid.h"

namespace orvo::stereo {

enum SubtypeCode : int32_t {
    SUBTYPE_NONE = 0,
    SUBTYPE_RGB24 = 1,
    SUBTYPE_RGB32 = 2,
    SUBTYPE_RGB555 = 3,
    SUBTYPE_IYUV = 4,
    SUBTYPE_I420 = 5,
    SUBTYPE_YV12 = 6,
    SUBTYPE_NV12 = 7,
    SUBTYPE_RGB565 = 8,
    SUBTYPE_YUY2 = 9,
};

enum class PixelLayout : uint8_t {
    None,
    PlanarVFirst,  // 4:2:0, Y plane, then V, then U
    PlanarUFirst,  // 4:2:0, Y plane, then U, then V
    Interleaved,   // 4:2:0, Y plane, then U,V pairs
    Packed,        // 4:2:2, Y0,U,Y1,V
    Rgb24,
    Rgb32,  // already the pipeline's pixels: never converted
    Rgb555,
    Rgb565,
};

struct VideoSubtype {
    const GUID* guid;
    SubtypeCode code;
    PixelLayout layout;
};

// The table's row for subtype; a row with SUBTYPE_NONE and PixelLayout::None for any other.
const VideoSubtype& VideoSubtypeOf(const GUID& subtype);
inline SubtypeCode SubtypeCodeOf(const GUID& subtype) { return VideoSubtypeOf(subtype).code; }
inline PixelLayout PixelLayoutOf(const GUID& subtype) { return VideoSubtypeOf(subtype).layout; }
// RGB formats arrive bottom row first unless their height is negative.
bool IsRgbCode(int32_t code);

}  // namespace orvo::stereo
