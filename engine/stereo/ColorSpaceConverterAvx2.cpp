// The AVX2 kernel set: two 128-bit lanes per vector. Compiled with -mavx2; nothing from the
// standard library is used here, so no AVX2 code can stand in for another file's inline function.
#include <immintrin.h>

#include "engine/stereo/ColorSpaceConverterLanes.h"

namespace orvo::engine {
namespace {

struct Avx2 {
    using Vec = __m256i;
    static constexpr int kLanes = 2;
    static constexpr int kBytes = 32;

    static Vec Zero() { return _mm256_setzero_si256(); }
    static Vec Set16(int16_t v) { return _mm256_set1_epi16(v); }
    static Vec Set32(int32_t v) { return _mm256_set1_epi32(v); }
    static Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    static Vec Add16(Vec a, Vec b) { return _mm256_add_epi16(a, b); }
    static Vec Add32(Vec a, Vec b) { return _mm256_add_epi32(a, b); }
    static Vec Sub32(Vec a, Vec b) { return _mm256_sub_epi32(a, b); }
    static Vec ShiftLeft32(Vec a, int bits) { return _mm256_slli_epi32(a, bits); }
    static Vec ShiftRight16(Vec a, int bits) { return _mm256_srli_epi16(a, bits); }
    static Vec ShiftRight32(Vec a, int bits) { return _mm256_srli_epi32(a, bits); }
    static Vec MulAdd16(Vec a, Vec b) { return _mm256_madd_epi16(a, b); }
    static Vec UnpackLo8(Vec a, Vec b) { return _mm256_unpacklo_epi8(a, b); }
    static Vec UnpackHi8(Vec a, Vec b) { return _mm256_unpackhi_epi8(a, b); }
    static Vec UnpackLo16(Vec a, Vec b) { return _mm256_unpacklo_epi16(a, b); }
    static Vec UnpackHi16(Vec a, Vec b) { return _mm256_unpackhi_epi16(a, b); }
    static Vec PackUs16(Vec a, Vec b) { return _mm256_packus_epi16(a, b); }
    static Vec HighWords(Vec a, Vec b) { return _mm256_blend_epi16(_mm256_srli_epi32(a, 16), b, 0xAA); }
    static void Store(uint8_t* p, Vec v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    static void Stream(uint8_t* p, Vec v) { _mm256_stream_si256(reinterpret_cast<__m256i*>(p), v); }
    static Vec Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

    // Four-pixel groups 0..7 go to lane positions 0,2,4,6 | 1,3,5,7: group 2m + k lands in lane k,
    // position m, where the final interleave leaves consecutive pixels in each stored vector.
    static Vec SpreadGroups(Vec v) { return _mm256_permutevar8x32_epi32(v, _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7)); }
    static Vec LoadLuma(const uint8_t* p) { return SpreadGroups(Load(p)); }
    static Vec LoadInterleavedChroma(const uint8_t* p) { return SpreadGroups(Load(p)); }
    static Vec LoadPlanarChroma(const uint8_t* u, const uint8_t* v) {
        const __m128i us = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u));
        const __m128i vs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v));
        return SpreadGroups(_mm256_set_m128i(_mm_unpackhi_epi8(us, vs), _mm_unpacklo_epi8(us, vs)));
    }
    // Packed pixels and words come eight bytes per group of four; the same spread, in 64-bit units.
    static Vec SpreadWords(Vec v) { return _mm256_permute4x64_epi64(v, 0xD8); }
    static Vec LoadPacked(const uint8_t* p) { return SpreadWords(Load(p)); }
    // The in-lane interleave leaves blocks 0-3 | 8-11 and 4-7 | 12-15; the halves are put back in
    // order before the spread.
    static void LoadPlanarChromaWords(const uint8_t* u, const uint8_t* v, Vec& first, Vec& second) {
        const Vec us = Load(u), vs = Load(v);
        const Vec low = _mm256_unpacklo_epi16(us, vs), high = _mm256_unpackhi_epi16(us, vs);
        first = SpreadWords(_mm256_permute2x128_si256(low, high, 0x20));
        second = SpreadWords(_mm256_permute2x128_si256(low, high, 0x31));
    }
};

// Eight pixels per vector from two 16-byte loads twelve bytes apart, spread within each lane.
size_t Rgb24(const uint8_t* src, uint8_t* out, size_t pixels) {
    const __m256i opaque = _mm256_set1_epi32(int32_t(0xFF000000u));
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                            0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    size_t done = 0;
    for (; 3 * done + 28 <= 3 * pixels; done += 8) {
        const uint8_t* p = src + 3 * done;
        const __m256i x = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
        Avx2::Store(out + 4 * done, _mm256_or_si256(_mm256_shuffle_epi8(x, spread), opaque));
    }
    return done;
}

}  // namespace

const ColorKernels& Avx2ColorKernels() {
    static constexpr ColorKernels kKernels = lanes::MakeKernels<Avx2>(Rgb24);
    return kKernels;
}

}  // namespace orvo::engine
