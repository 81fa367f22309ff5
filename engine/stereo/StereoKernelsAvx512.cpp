// The AVX-512 stereo kernels: sixteen pixels per vector. Compiled with -mavx512f -mavx512bw.
#include <immintrin.h>

#include "engine/stereo/StereoKernelsLanes.h"

namespace orvo::stereo {
namespace {

struct Avx512 {
    using Vec = __m512i;
    static constexpr size_t kPixels = 16;
    static Vec Load(const uint8_t* p) { return _mm512_loadu_si512(p); }
    static void Store(uint8_t* p, Vec v) { _mm512_storeu_si512(p, v); }
    static Vec Set32(int32_t v) { return _mm512_set1_epi32(v); }
    static Vec And(Vec a, Vec b) { return _mm512_and_si512(a, b); }
    static Vec AndNot(Vec a, Vec b) { return _mm512_andnot_si512(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm512_or_si512(a, b); }
    static Vec Add32(Vec a, Vec b) { return _mm512_add_epi32(a, b); }
    static Vec ShiftLeft32(Vec a, int bits) { return _mm512_slli_epi32(a, unsigned(bits)); }
    static Vec ShiftRight32(Vec a, int bits) { return _mm512_srli_epi32(a, unsigned(bits)); }
    static Vec MaxU8(Vec a, Vec b) { return _mm512_max_epu8(a, b); }
    static Vec MulHiU16(Vec a, Vec b) { return _mm512_mulhi_epu16(a, b); }
    static Vec ShiftRightArith32(Vec a, int bits) { return _mm512_srai_epi32(a, unsigned(bits)); }
    static Vec MulAddS16(Vec a, Vec b) { return _mm512_madd_epi16(a, b); }
    static Vec PackS32(Vec a, Vec b) { return _mm512_packs_epi32(a, b); }
    static Vec PackU16(Vec a, Vec b) { return _mm512_packus_epi16(a, b); }
    static Vec ShiftRight8Bytes(Vec a) { return _mm512_bsrli_epi128(a, 8); }
    static Vec UnpackLo8(Vec a, Vec b) { return _mm512_unpacklo_epi8(a, b); }
    static Vec UnpackLo16(Vec a, Vec b) { return _mm512_unpacklo_epi16(a, b); }
};

}  // namespace

const VectorStereoKernels& Avx512StereoKernels() {
    static constexpr VectorStereoKernels kKernels{lanes::Merge<Avx512>, lanes::GreyMix<Avx512>, lanes::Project<Avx512>};
    return kKernels;
}

}  // namespace orvo::stereo
