#pragma once
// The coefficients of the YUV to RGB conversion and the interface of the vector kernel sets.
// Every kernel set turns the longest prefix of a row (or run) it can cover with whole vectors
// into output pixels and returns how far it got; the table path converts the rest, so a
// kernel set never handles partial vectors and never reads or writes past its arguments.
#include <cstddef>
#include <cstdint>

namespace orvo::engine {

// BT.601 studio range in 16.16 fixed point.
inline constexpr int32_t kLumaScale = 76309;      // 1.164
inline constexpr int32_t kVToRedScale = 104597;   // 1.596
inline constexpr int32_t kUToBlueScale = 132201;  // 2.017
inline constexpr int32_t kUToGreenScale = 25675;  // 0.392
inline constexpr int32_t kVToGreenScale = 53279;  // 0.813
inline constexpr int kLumaOffset = 16;
inline constexpr int kChromaOffset = 128;

// streamOutput: write with non-temporal stores, for outputs too large to stay in the cache; the
// output rows then start on 64-byte boundaries, and the caller fences after the frame.
struct ColorKernels {
    // One row pair of a planar 4:2:0 frame: `u` and `v` point at the chroma row of the pair.
    // Returns the number of columns converted (even, at most width).
    int (*planarRowPair)(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v,
                         uint8_t* out0, uint8_t* out1, int width, bool streamOutput);
    // The same with one interleaved U,V chroma row.
    int (*interleavedRowPair)(const uint8_t* y0, const uint8_t* y1, const uint8_t* uv, uint8_t* out0,
                              uint8_t* out1, int width, bool streamOutput);
    // Packed Y0,U,Y1,V pixel pairs; returns the number of pairs converted.
    size_t (*packedPairs)(const uint8_t* src, uint8_t* out, size_t pairs, bool streamOutput);
    // Three-byte blue,green,red pixels; returns the number of pixels converted.
    size_t (*rgb24)(const uint8_t* src, uint8_t* out, size_t pixels);
};

// Each set lives in a file of its own, compiled for its instruction set; call one only
// where the CPU has that instruction set.
const ColorKernels& Sse2ColorKernels();
const ColorKernels& Avx2ColorKernels();
const ColorKernels& Avx512ColorKernels();

}  // namespace orvo::engine
