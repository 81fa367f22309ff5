// The AVX-512 kernel set (F, BW and VBMI): four 128-bit lanes per vector. Compiled for those
// instruction sets; nothing from the standard library is used here, so no AVX-512 code can stand
// in for another file's inline function.
#include <immintrin.h>

#include "engine/stereo/ColorSpaceConverterLanes.h"

namespace orvo::engine {
namespace {

// Four-pixel group 4m + k goes to lane k, position m, where the final interleave leaves
// consecutive pixels in each stored vector: a 4x4 transpose of 32-bit elements.
constexpr int SpreadSource(int element) { return element % 4 * 4 + element / 4; }

struct ByteIndex {
    alignas(64) uint8_t bytes[64];
};

// Interleaves 32 U and 32 V bytes into U,V pairs and spreads them as the luma is spread.
consteval ByteIndex PlanarChromaIndex() {
    ByteIndex index{};
    for (int pair = 0; pair < 32; ++pair) {
        const int block = 2 * SpreadSource(pair / 2) + pair % 2;
        index.bytes[2 * pair] = uint8_t(block);
        index.bytes[2 * pair + 1] = uint8_t(64 + block);
    }
    return index;
}

constexpr ByteIndex kPlanarChromaIndex = PlanarChromaIndex();

struct Avx512 {
    using Vec = __m512i;
    static constexpr int kLanes = 4;
    static constexpr int kBytes = 64;

    static Vec Zero() { return _mm512_setzero_si512(); }
    static Vec Set16(int16_t v) { return _mm512_set1_epi16(v); }
    static Vec Set32(int32_t v) { return _mm512_set1_epi32(v); }
    static Vec And(Vec a, Vec b) { return _mm512_and_si512(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm512_or_si512(a, b); }
    static Vec Add16(Vec a, Vec b) { return _mm512_add_epi16(a, b); }
    static Vec Add32(Vec a, Vec b) { return _mm512_add_epi32(a, b); }
    static Vec Sub32(Vec a, Vec b) { return _mm512_sub_epi32(a, b); }
    static Vec ShiftLeft32(Vec a, int bits) { return _mm512_slli_epi32(a, unsigned(bits)); }
    static Vec ShiftRight16(Vec a, int bits) { return _mm512_srli_epi16(a, unsigned(bits)); }
    static Vec ShiftRight32(Vec a, int bits) { return _mm512_srli_epi32(a, unsigned(bits)); }
    static Vec MulAdd16(Vec a, Vec b) { return _mm512_madd_epi16(a, b); }
    static Vec UnpackLo8(Vec a, Vec b) { return _mm512_unpacklo_epi8(a, b); }
    static Vec UnpackHi8(Vec a, Vec b) { return _mm512_unpackhi_epi8(a, b); }
    static Vec UnpackLo16(Vec a, Vec b) { return _mm512_unpacklo_epi16(a, b); }
    static Vec UnpackHi16(Vec a, Vec b) { return _mm512_unpackhi_epi16(a, b); }
    static Vec PackUs16(Vec a, Vec b) { return _mm512_packus_epi16(a, b); }
    static Vec HighWords(Vec a, Vec b) { return _mm512_mask_blend_epi16(0xAAAAAAAAu, _mm512_srli_epi32(a, 16), b); }
    static void Store(uint8_t* p, Vec v) { _mm512_storeu_si512(p, v); }
    static void Stream(uint8_t* p, Vec v) { _mm512_stream_si512(reinterpret_cast<__m512i*>(p), v); }
    static Vec Load(const uint8_t* p) { return _mm512_loadu_si512(p); }

    static Vec SpreadGroups(Vec v) {
        return _mm512_permutexvar_epi32(_mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15), v);
    }
    static Vec LoadLuma(const uint8_t* p) { return SpreadGroups(Load(p)); }
    static Vec LoadInterleavedChroma(const uint8_t* p) { return SpreadGroups(Load(p)); }
    static Vec LoadPlanarChroma(const uint8_t* u, const uint8_t* v) {
        const __m512i us = _mm512_castsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(u)));
        const __m512i vs = _mm512_castsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(v)));
        return _mm512_permutex2var_epi8(us, Load(kPlanarChromaIndex.bytes), vs);
    }
    // Packed pixels and words come eight bytes per group of four; the same spread, in 64-bit units.
    static Vec SpreadWords(Vec v) { return _mm512_permutexvar_epi64(_mm512_setr_epi64(0, 4, 1, 5, 2, 6, 3, 7), v); }
    static Vec LoadPacked(const uint8_t* p) { return SpreadWords(Load(p)); }
    // The in-lane interleave leaves lane k with blocks 8k..8k+3 (low) and 8k+4..8k+7 (high);
    // one two-source permute puts them in order and spreads them.
    static void LoadPlanarChromaWords(const uint8_t* u, const uint8_t* v, Vec& first, Vec& second) {
        const Vec us = Load(u), vs = Load(v);
        const Vec low = _mm512_unpacklo_epi16(us, vs), high = _mm512_unpackhi_epi16(us, vs);
        first = _mm512_permutex2var_epi64(low, _mm512_setr_epi64(0, 2, 1, 3, 8, 10, 9, 11), high);
        second = _mm512_permutex2var_epi64(low, _mm512_setr_epi64(4, 6, 5, 7, 12, 14, 13, 15), high);
    }
};

}  // namespace

const ColorKernels& Avx512ColorKernels() {
    // Three-byte pixels take the AVX2 kernel: measured here, 512-bit byte permutes are no faster
    // while the frame is in the cache and slower once it is not.
    static const ColorKernels kKernels = lanes::MakeKernels<Avx512>(Avx2ColorKernels().rgb24);
    return kKernels;
}

}  // namespace orvo::engine
