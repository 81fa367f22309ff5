#include "engine/stereo/StereoKernels.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "engine/stereo/StereoKernelsLanes.h"

namespace orvo::stereo {
namespace {

uint32_t LoadPixel(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void StorePixel(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// The reference loops, also the tails of the vector paths.
void PlainMerge(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t from, size_t pixels,
                uint32_t fromSecond) {
    const uint32_t fromFirst = ~fromSecond & ~lanes::kX;
    for (size_t i = from; i < pixels; ++i) {
        const uint32_t f = LoadPixel(first + 4 * i), s = LoadPixel(second + 4 * i);
        const uint32_t x = std::max(f >> 24, s >> 24) << 24;
        StorePixel(out + 4 * i, (f & fromFirst) | (s & fromSecond & ~lanes::kX) | x);
    }
}

void PlainGreyMix(uint8_t* pixels, size_t from, size_t count, uint32_t channels) {
    for (size_t i = from; i < count; ++i) {
        const uint32_t p = LoadPixel(pixels + 4 * i);
        const uint32_t v = ((p & 0xFF) + (p >> 8 & 0xFF) + (p >> 16 & 0xFF)) / 3;
        const uint32_t grey = v | v << 8 | v << 16;
        StorePixel(pixels + 4 * i, (p & ~channels) | (grey & channels));
    }
}

void PlainProject(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t from, size_t pixels,
                  const Projection& p) {
    for (size_t i = from; i < pixels; ++i) {
        const uint32_t f = LoadPixel(first + 4 * i), s = LoadPixel(second + 4 * i);
        // Red, green, blue of the first view, then of the second: the weights' columns.
        const int32_t in[6] = {int32_t(f >> 16 & 0xFF), int32_t(f >> 8 & 0xFF), int32_t(f & 0xFF),
                               int32_t(s >> 16 & 0xFF), int32_t(s >> 8 & 0xFF), int32_t(s & 0xFF)};
        uint32_t pixel = std::max(f >> 24, s >> 24) << 24;
        for (int row = 0; row < 3; ++row) {
            int32_t sum = 0;
            for (int c = 0; c < 6; ++c) sum += KernelWeight(p.weights[row][c]) * in[c];
            pixel |= uint32_t(std::clamp(sum >> kKernelWeightBits, 0, 255)) << (16 - 8 * row);
        }
        StorePixel(out + 4 * i, pixel);
    }
}

struct Sse2 {
    using Vec = __m128i;
    static constexpr size_t kPixels = 4;
    static Vec Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Store(uint8_t* p, Vec v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static Vec Set32(int32_t v) { return _mm_set1_epi32(v); }
    static Vec And(Vec a, Vec b) { return _mm_and_si128(a, b); }
    static Vec AndNot(Vec a, Vec b) { return _mm_andnot_si128(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm_or_si128(a, b); }
    static Vec Add32(Vec a, Vec b) { return _mm_add_epi32(a, b); }
    static Vec ShiftLeft32(Vec a, int bits) { return _mm_slli_epi32(a, bits); }
    static Vec ShiftRight32(Vec a, int bits) { return _mm_srli_epi32(a, bits); }
    static Vec MaxU8(Vec a, Vec b) { return _mm_max_epu8(a, b); }
    static Vec MulHiU16(Vec a, Vec b) { return _mm_mulhi_epu16(a, b); }
    static Vec ShiftRightArith32(Vec a, int bits) { return _mm_srai_epi32(a, bits); }
    static Vec MulAddS16(Vec a, Vec b) { return _mm_madd_epi16(a, b); }
    static Vec PackS32(Vec a, Vec b) { return _mm_packs_epi32(a, b); }
    static Vec PackU16(Vec a, Vec b) { return _mm_packus_epi16(a, b); }
    static Vec ShiftRight8Bytes(Vec a) { return _mm_srli_si128(a, 8); }
    static Vec UnpackLo8(Vec a, Vec b) { return _mm_unpacklo_epi8(a, b); }
    static Vec UnpackLo16(Vec a, Vec b) { return _mm_unpacklo_epi16(a, b); }
};

// One path: its vector prefix, then the plain loop for the rest.
template <const VectorStereoKernels& (*Vector)()>
struct Path {
    static void Merge(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels, uint32_t fromSecond) {
        const size_t done = Vector().merge(out, first, second, pixels, fromSecond);
        PlainMerge(out, first, second, done, pixels, fromSecond);
    }
    static void GreyMix(uint8_t* pixels, size_t count, uint32_t channels) {
        PlainGreyMix(pixels, Vector().greyMix(pixels, count, channels), count, channels);
    }
    static void Project(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels,
                        const Projection& p) {
        PlainProject(out, first, second, Vector().project(out, first, second, pixels, LanesOf(p)), pixels, p);
    }
    static constexpr StereoKernels kKernels{Merge, GreyMix, Project};
};

constexpr StereoKernels kPlain{
    [](uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels, uint32_t fromSecond) {
        PlainMerge(out, first, second, 0, pixels, fromSecond);
    },
    [](uint8_t* pixels, size_t count, uint32_t channels) { PlainGreyMix(pixels, 0, count, channels); },
    [](uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels, const Projection& p) {
        PlainProject(out, first, second, 0, pixels, p);
    },
};

}  // namespace

const VectorStereoKernels& Sse2StereoKernels() {
    static constexpr VectorStereoKernels kKernels{lanes::Merge<Sse2>, lanes::GreyMix<Sse2>, lanes::Project<Sse2>};
    return kKernels;
}

int32_t KernelWeight(int32_t weight) { return (weight + 2) >> 2; }

ProjectionLanes LanesOf(const Projection& p) {
    ProjectionLanes lanes{};
    const auto pack = [](int32_t low, int32_t high) {
        return int32_t(uint32_t(uint16_t(KernelWeight(low))) | uint32_t(uint16_t(KernelWeight(high))) << 16);
    };
    // Output channels in memory order (blue, green, red) are the weights' rows 2, 1, 0; the
    // weights' columns are the first view's red, green, blue, then the second view's.
    for (int o = 0; o < 3; ++o) {
        const int32_t* w = p.weights[2 - o];
        lanes.pairs[o][0] = pack(w[2], w[0]);  // first blue, first red
        lanes.pairs[o][1] = pack(w[5], w[3]);  // second blue, second red
        lanes.pairs[o][2] = pack(w[1], w[4]);  // first green, second green
    }
    return lanes;
}

bool IsSupported(KernelPath path) {
    __builtin_cpu_init();
    switch (path) {
        case KernelPath::Plain:
        case KernelPath::Sse2:
            return true;
        case KernelPath::Avx2:
            return __builtin_cpu_supports("avx2");
        case KernelPath::Avx512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    }
    return false;
}

KernelPath BestKernelPath() {
    static const KernelPath best = [] {
        for (KernelPath path : {KernelPath::Avx512, KernelPath::Avx2})
            if (IsSupported(path)) return path;
        return KernelPath::Sse2;
    }();
    return best;
}

const StereoKernels& StereoKernelsOf(KernelPath path) {
    if (!IsSupported(path)) return kPlain;
    switch (path) {
        case KernelPath::Sse2:
            return Path<Sse2StereoKernels>::kKernels;
        case KernelPath::Avx2:
            return Path<Avx2StereoKernels>::kKernels;
        case KernelPath::Avx512:
            return Path<Avx512StereoKernels>::kKernels;
        case KernelPath::Plain:
            break;
    }
    return kPlain;
}

}  // namespace orvo::stereo
