#pragma once
// The pixel loops of the stereo transform: the anaglyph merge and the grey mix, on 32-bit
// pixels (bytes blue, green, red, X) that need not be aligned. Each instruction-set path
// writes exactly the bytes of the plain path, which is the reference the others are held to.
#include <cstddef>
#include <cstdint>

namespace orvo::stereo {

enum class KernelPath { Plain, Sse2, Avx2, Avx512 };

struct StereoKernels {
    // out[i] = first[i] with the channels in fromSecond taken from second[i], and X the
    // larger of both X bytes. out may be first (or second); no other overlap.
    void (*merge)(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels, uint32_t fromSecond);
    // Replaces the channels in `channels` of every pixel by (blue + green + red) / 3.
    void (*greyMix)(uint8_t* pixels, size_t count, uint32_t channels);
};

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
};
const VectorStereoKernels& Sse2StereoKernels();
const VectorStereoKernels& Avx2StereoKernels();
const VectorStereoKernels& Avx512StereoKernels();

}  // namespace orvo::stereo
