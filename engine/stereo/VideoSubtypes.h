#pragma once
// The video formats the own renderer takes, in one table: each subtype's code (which also
// tells the row order: RGB bottom-up, YUV top-down) and the layout the colour converter reads
// it in: planes, chroma sampling and sample size.
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
    SUBTYPE_Y42B = 10,
    SUBTYPE_444P = 11,
    SUBTYPE_P010 = 12,
    SUBTYPE_P016 = 13,
    SUBTYPE_P210 = 14,
    SUBTYPE_P216 = 15,
    SUBTYPE_YUV420P10 = 16,
    SUBTYPE_YUV420P12 = 17,
    SUBTYPE_YUV422P10 = 18,
    SUBTYPE_YUV422P12 = 19,
    SUBTYPE_YUV444P10 = 20,
    SUBTYPE_YUV444P12 = 21,
};

enum class PixelLayout : uint8_t {
    None,
    PlanarVFirst,  // Y plane, then V, then U
    PlanarUFirst,  // Y plane, then U, then V
    Interleaved,   // Y plane, then U,V pairs
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
    // The planar and interleaved layouts: chroma holds one sample per 2^chromaShiftX columns and
    // 2^chromaShiftY rows (4:2:0 1,1; 4:2:2 1,0; 4:4:4 0,0); samples of 1 or 2 bytes, of which
    // `depth` bits count after a right shift by `shift`.
    uint8_t chromaShiftX = 1, chromaShiftY = 1;
    uint8_t sampleBytes = 1, depth = 8, shift = 0;
};

// The table's row for subtype; a row with SUBTYPE_NONE and PixelLayout::None for any other.
const VideoSubtype& VideoSubtypeOf(const GUID& subtype);
inline SubtypeCode SubtypeCodeOf(const GUID& subtype) { return VideoSubtypeOf(subtype).code; }
inline PixelLayout PixelLayoutOf(const GUID& subtype) { return VideoSubtypeOf(subtype).layout; }
// RGB formats arrive bottom row first unless their height is negative.
bool IsRgbCode(int32_t code);

}  // namespace orvo::stereo
