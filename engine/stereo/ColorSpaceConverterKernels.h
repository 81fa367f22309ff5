#pragma once
// The coefficient table of the YUV to RGB conversion and the interface of the vector kernel
// sets. Every kernel set turns the longest prefix of a row (or run) it can cover with whole
// vectors into output pixels and returns how far it got; the table path converts the rest, so
// a kernel set never handles partial vectors and never reads or writes past its arguments.
#include <cstddef>
#include <cstdint>

#include "platform/graph/VideoColorInfo.h"

namespace orvo::engine {

// One row of the coefficient table, in 16.16 fixed point: for luma Y and chroma U, V,
//   y = luma * (Y - lumaOffset)
//   blue = (y + uToBlue * (U - 128)) >> 16
//   green = (y - uToGreen * (U - 128) - vToGreen * (V - 128)) >> 16
//   red = (y + vToRed * (V - 128)) >> 16, each clamped to 0..255.
struct ColorCoefficients {
    int32_t luma, vToRed, uToBlue, uToGreen, vToGreen;
    int32_t lumaOffset;
    bool operator==(const ColorCoefficients&) const = default;
};
inline constexpr int kChromaOffset = 128;

// The row of a matrix and range; unspecified parts are taken as BT.601 and limited range.
const ColorCoefficients& CoefficientsOf(graph::ColorMatrix matrix, graph::ColorRange range);

// A row as the 16-bit multipliers of the vector kernels take it. Each chroma product splits into
// a multiple of 65536 and a signed 16-bit remainder; the pairs hold the U factor in the low half
// and the V factor in the high half, so that one multiply-add of a U,V pair gives a product sum.
struct LaneCoefficients {
    int32_t lumaRemainder;  // luma - 65536
    int32_t blueRemainders, greenRemainders, redRemainders;
    int32_t blueWholes, greenWholes, redWholes;
    int32_t blueBias, greenBias, redBias;  // the offsets of luma and chroma, folded in
};
LaneCoefficients LaneCoefficientsOf(const ColorCoefficients& row);

// streamOutput: write with non-temporal stores, for outputs too large to stay in the cache; the
// output rows then start on 64-byte boundaries, and the caller fences after the frame.
struct ColorKernels {
    // One row pair of a planar 4:2:0 frame: `u` and `v` point at the chroma row of the pair.
    // Returns the number of columns converted (even, at most width).
    int (*planarRowPair)(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v,
                         uint8_t* out0, uint8_t* out1, int width, bool streamOutput, const LaneCoefficients& k);
    // The same with one interleaved U,V chroma row.
    int (*interleavedRowPair)(const uint8_t* y0, const uint8_t* y1, const uint8_t* uv, uint8_t* out0,
                              uint8_t* out1, int width, bool streamOutput, const LaneCoefficients& k);
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
