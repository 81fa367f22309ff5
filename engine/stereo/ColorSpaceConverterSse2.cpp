// The SSE2 kernel set: the x86-64 baseline, one 128-bit lane per vector.
#include <emmintrin.h>

#include "engine/stereo/ColorSpaceConverterLanes.h"

namespace orvo::engine {
namespace {

struct Sse2 {
    using Vec = __m128i;
    static constexpr int kLanes = 1;
    static constexpr int kBytes = 16;

    static Vec Zero() { return _mm_setzero_si128(); }
    static Vec Set16(int16_t v) { return _mm_set1_epi16(v); }
    static Vec Set32(int32_t v) { return _mm_set1_epi32(v); }
    static Vec And(Vec a, Vec b) { return _mm_and_si128(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm_or_si128(a, b); }
    static Vec Add16(Vec a, Vec b) { return _mm_add_epi16(a, b); }
    static Vec Add32(Vec a, Vec b) { return _mm_add_epi32(a, b); }
    static Vec Sub32(Vec a, Vec b) { return _mm_sub_epi32(a, b); }
    static Vec ShiftLeft32(Vec a, int bits) { return _mm_slli_epi32(a, bits); }
    static Vec ShiftRight16(Vec a, int bits) { return _mm_srli_epi16(a, bits); }
    static Vec ShiftRight32(Vec a, int bits) { return _mm_srli_epi32(a, bits); }
    static Vec MulAdd16(Vec a, Vec b) { return _mm_madd_epi16(a, b); }
    static Vec UnpackLo8(Vec a, Vec b) { return _mm_unpacklo_epi8(a, b); }
    static Vec UnpackHi8(Vec a, Vec b) { return _mm_unpackhi_epi8(a, b); }
    static Vec UnpackLo16(Vec a, Vec b) { return _mm_unpacklo_epi16(a, b); }
    static Vec UnpackHi16(Vec a, Vec b) { return _mm_unpackhi_epi16(a, b); }
    static Vec PackUs16(Vec a, Vec b) { return _mm_packus_epi16(a, b); }
    static Vec HighWords(Vec a, Vec b) {
        return _mm_or_si128(_mm_srli_epi32(a, 16), _mm_and_si128(b, _mm_set1_epi32(int32_t(0xFFFF0000u))));
    }
    static void Store(uint8_t* p, Vec v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static void Stream(uint8_t* p, Vec v) { _mm_stream_si128(reinterpret_cast<__m128i*>(p), v); }
    static Vec Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static Vec LoadLuma(const uint8_t* p) { return Load(p); }
    static Vec LoadInterleavedChroma(const uint8_t* p) { return Load(p); }
    static Vec LoadPacked(const uint8_t* p) { return Load(p); }
    static Vec LoadPlanarChroma(const uint8_t* u, const uint8_t* v) {
        return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(u)),
                                 _mm_loadl_epi64(reinterpret_cast<const __m128i*>(v)));
    }
    // One lane: words stay as loaded.
    static Vec SpreadWords(Vec v) { return v; }
    static void LoadPlanarChromaWords(const uint8_t* u, const uint8_t* v, Vec& first, Vec& second) {
        const Vec us = Load(u), vs = Load(v);
        first = _mm_unpacklo_epi16(us, vs), second = _mm_unpackhi_epi16(us, vs);
    }
};

// Four pixels from each 16-byte load, of which twelve bytes are used: pixel k moves up by k bytes.
size_t Rgb24(const uint8_t* src, uint8_t* out, size_t pixels) {
    const __m128i opaque = _mm_set1_epi32(int32_t(0xFF000000u));
    const __m128i pixel0 = _mm_setr_epi32(0x00FFFFFF, 0, 0, 0);
    const __m128i pixel1 = _mm_slli_si128(pixel0, 4), pixel2 = _mm_slli_si128(pixel0, 8);
    const __m128i pixel3 = _mm_slli_si128(pixel0, 12);
    size_t done = 0;
    for (; 3 * done + 16 <= 3 * pixels; done += 4) {
        const __m128i x = Sse2::Load(src + 3 * done);
        const __m128i low = _mm_or_si128(_mm_and_si128(x, pixel0), _mm_and_si128(_mm_slli_si128(x, 1), pixel1));
        const __m128i high =
            _mm_or_si128(_mm_and_si128(_mm_slli_si128(x, 2), pixel2), _mm_and_si128(_mm_slli_si128(x, 3), pixel3));
        Sse2::Store(out + 4 * done, _mm_or_si128(_mm_or_si128(low, high), opaque));
    }
    return done;
}

}  // namespace

const ColorKernels& Sse2ColorKernels() {
    static constexpr ColorKernels kKernels = lanes::MakeKernels<Sse2>(Rgb24);
    return kKernels;
}

}  // namespace orvo::engine
