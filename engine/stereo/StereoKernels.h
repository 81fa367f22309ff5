#pragma once
// The pixel loops of the stereo transform: the anaglyph merge and the grey mix, on 32-bit
// pixels (bytes blue, green, red, X) that need not be aligned. Each instruction-set path
// writes exactly the bytes of the plain path, which is the reference the others are held to.
#include <cstddef>
#include <cstdint>

#include "engine/stereo/StereoGeometry.h"

namespace orvo::stereo {

enum class KernelPath { Plain, Sse2, Avx2, Avx512 };

struct StereoKernels {
    // out[i] = first[i] with the channels in fromSecond taken from second[i], and X the
    // larger of both X bytes. out may be first (or second); no other overlap.
    void (*merge)(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels, uint32_t fromSecond);
    // Replaces the channels in `channels` of every pixel by (blue + green + red) / 3.
    void (*greyMix)(uint8_t* pixels, size_t count, uint32_t channels);
    // out[i] = the projection of first[i] and second[i], X the larger of both X bytes. out
    // may be first (or second); no other overlap.
    void (*project)(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels, const Projection& p);
};

// The kernels weigh with the 16.16 weights rounded to 2.14 fixed point, (w + 2) >> 2, so that
// each product fits a 16-bit multiply-add: a channel then differs from the one the 16.16 sum
// gives by at most one level (the rounding moves the sum by less than 0.05 of a level).
int32_t KernelWeight(int32_t weight);
constexpr int kKernelWeightBits = 14;

// A projection's kernel weights as the vector kernels take them: for each output channel and
// each input channel in memory order (blue, green, red), the first and second view's weights
// as two 16-bit words in one 32-bit lane, the first view's low.
struct ProjectionLanes {
    int32_t pairs[3][3];
};
ProjectionLanes LanesOf(const Projection& p);

bool IsSupported(KernelPath path);
// The widest path this CPU runs, found once per process.
KernelPath BestKernelPath();
// The kernels of path; a path this CPU does not run gives the plain ones.
const StereoKernels& StereoKernelsOf(KernelPath path);

// The vector part of each path, in a file of its own compiled for its instruction set. Each
// converts the longest prefix it covers with whole vectors and returns its length in pixels.
struct VectorStereoKernels {
    size_t (*merge)(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels, uint32_t fromSecond);
    size_t (*greyMix)(uint8_t* pixels, size_t count, uint32_t channels);
    size_t (*project)(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels,
                      const ProjectionLanes& lanes);
};
const VectorStereoKernels& Sse2StereoKernels();
const VectorStereoKernels& Avx2StereoKernels();
const VectorStereoKernels& Avx512StereoKernels();

}  // namespace orvo::stereo
