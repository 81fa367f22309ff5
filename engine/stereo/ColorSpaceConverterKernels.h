#pragma once
// The coefficient table of the YUV to RGB conversion and the interface of the vector kernel
// sets. Every kernel set turns the longest prefix of a row (or run) it can cover with whole
// vectors into output pixels and returns how far it got; the table path converts the rest, so
// a kernel set never handles partial vectors and never reads or writes past its arguments.
#include <cstddef>
#include <cstdint>

#include "platform/graph/VideoColorInfo.h"

namespace orvo::engine {

// One row of the coefficient table, in 16.16 fixed point: for luma Y and chroma U, V of the
// row's bit depth,
//   y = luma * (Y - lumaOffset)
//   blue = (y + uToBlue * (U - chromaOffset)) >> 16
//   green = (y - uToGreen * (U - chromaOffset) - vToGreen * (V - chromaOffset)) >> 16
//   red = (y + vToRed * (V - chromaOffset)) >> 16, each clamped to 0..255.
struct ColorCoefficients {
    int32_t luma, vToRed, uToBlue, uToGreen, vToGreen;
    int32_t lumaOffset, chromaOffset;
    bool operator==(const ColorCoefficients&) const = default;
};

// The row of a matrix and range for samples of 8, 10 or 12 bits; unspecified parts are taken as
// BT.601 and limited range.
const ColorCoefficients& CoefficientsOf(graph::ColorMatrix matrix, graph::ColorRange range, int depth = 8);

// A row as the 16-bit multipliers of the vector kernels take it. Each chroma product splits into
// a multiple of 65536 and a signed 16-bit remainder; the pairs hold the U factor in the low half
// and the V factor in the high half, so that one multiply-add of a U,V pair gives a product sum.
struct LaneCoefficients {
    int32_t lumaRemainder;  // luma less 65536 where it is that large (8-bit samples), else luma
    int32_t blueRemainders, greenRemainders, redRemainders;
    int32_t blueWholes, greenWholes, redWholes;
    int32_t blueBias, greenBias, redBias;  // the offsets of luma and chroma, folded in
};
LaneCoefficients LaneCoefficientsOf(const ColorCoefficients& row);

// The rows of a planar or semi-planar frame that one chroma row serves: one row, or the two
// rows of a 4:2:0 pair.
struct RowSources {
    const uint8_t* luma0;
    const uint8_t* luma1;  // the pair's second row
    const uint8_t* u;      // the chroma row: U (or U,V pairs), then V
    const uint8_t* v;
    uint8_t* out0;
    uint8_t* out1;
    bool pair;  // luma1 and out1 are used
    int shift;  // 16-bit samples: the right shift to their significant bits
};

// How the samples of a row are stored. 4:2:x chroma holds one sample per two columns, 4:4:4 one
// per column; 16-bit samples are little-endian.
enum RowFamily : int {
    kPlanar8,        // 8-bit 4:2:x, U and V planes
    kInterleaved8,   // 8-bit 4:2:x, one U,V plane
    kPlanar444x8,    // 8-bit 4:4:4, U and V planes
    kPlanar16,       // 16-bit 4:2:x, U and V planes
    kInterleaved16,  // 16-bit 4:2:x, one U,V plane
    kPlanar444x16,   // 16-bit 4:4:4, U and V planes
    kRowFamilies
};

// Converts the longest prefix of the row (or pair) that whole vectors cover; returns the number
// of columns converted (a multiple of the vector's pixels, at most width).
using RowKernel = int (*)(const RowSources& rows, int width, bool streamOutput, const LaneCoefficients& k);

// streamOutput: write with non-temporal stores, for outputs too large to stay in the cache; the
// output rows then start on 64-byte boundaries, and the caller fences after the frame.
struct ColorKernels {
    RowKernel rows[kRowFamilies];
    // Packed Y0,U,Y1,V pixel pairs; returns the number of pairs converted.
    size_t (*packedPairs)(const uint8_t* src, uint8_t* out, size_t pairs, bool streamOutput,
                          const LaneCoefficients& k);
    // Three-byte blue,green,red pixels; returns the number of pixels converted.
    size_t (*rgb24)(const uint8_t* src, uint8_t* out, size_t pixels);
};

// Each set lives in a file of its own, compiled for its instruction set; call one only
// where the CPU has that instruction set.
const ColorKernels& Sse2ColorKernels();
const ColorKernels& Avx2ColorKernels();
const ColorKernels& Avx512ColorKernels();

}  // namespace orvo::engine
