// The AVX2 stereo kernels: eight pixels per vector. Compiled with -mavx2.
#include <immintrin.h>

#include "engine/stereo/StereoKernelsLanes.h"

namespace orvo::stereo {
namespace {

struct Avx2 {
    using Vec = __m256i;
    static constexpr size_t kPixels = 8;
    static Vec Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static void Store(uint8_t* p, Vec v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    static Vec Set32(int32_t v) { return _mm256_set1_epi32(v); }
    static Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    static Vec AndNot(Vec a, Vec b) { return _mm256_andnot_si256(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    static Vec Add32(Vec a, Vec b) { return _mm256_add_epi32(a, b); }
    static Vec ShiftLeft32(Vec a, int bits) { return _mm256_slli_epi32(a, bits); }
    static Vec ShiftRight32(Vec a, int bits) { return _mm256_srli_epi32(a, bits); }
    static Vec MaxU8(Vec a, Vec b) { return _mm256_max_epu8(a, b); }
    static Vec MulHiU16(Vec a, Vec b) { return _mm256_mulhi_epu16(a, b); }
    static Vec ShiftRightArith32(Vec a, int bits) { return _mm256_srai_epi32(a, bits); }
    static Vec MulAddS16(Vec a, Vec b) { return _mm256_madd_epi16(a, b); }
    static Vec PackS32(Vec a, Vec b) { return _mm256_packs_epi32(a, b); }
    static Vec PackU16(Vec a, Vec b) { return _mm256_packus_epi16(a, b); }
    static Vec ShiftRight8Bytes(Vec a) { return _mm256_bsrli_epi128(a, 8); }
    static Vec UnpackLo8(Vec a, Vec b) { return _mm256_unpacklo_epi8(a, b); }
    static Vec UnpackLo16(Vec a, Vec b) { return _mm256_unpacklo_epi16(a, b); }
};

}  // namespace

const VectorStereoKernels& Avx2StereoKernels() {
    static constexpr VectorStereoKernels kKernels{lanes::Merge<Avx2>, lanes::GreyMix<Avx2>, lanes::Project<Avx2>};
    return kKernels;
}

}  // namespace orvo::stereo
