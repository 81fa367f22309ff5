#pragma once
// The vector anaglyph merge and grey mix, written once over an `Ops` type that each
// instruction-set file defines with internal linkage (Vec, kPixels, Load, Store, Set32, And,
// AndNot, Or, Add32, ShiftLeft32, ShiftRight32, ShiftRightArith32, MaxU8, MulHiU16, MulAddS16,
// PackS32, PackU16, ShiftRight8Bytes, UnpackLo8, UnpackLo16; the last five work within each
// 128-bit lane).
//
// The grey level (b + g + r) / 3 is the high half of sum * 21846 for every sum up to 765: the
// product overshoots sum / 3 by less than 0.008, and sum / 3 is never within that of the next
// whole number from below.
#include "engine/stereo/StereoKernels.h"

namespace orvo::stereo::lanes {

inline constexpr uint32_t kX = 0xFF000000u;
inline constexpr int32_t kThird = 21846;

template <class Ops>
size_t Merge(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels, uint32_t fromSecond) {
    using V = typename Ops::Vec;
    const V takeSecond = Ops::Set32(int32_t(fromSecond & ~kX));
    const V takeFirst = Ops::Set32(int32_t(~fromSecond & ~kX));
    const V x = Ops::Set32(int32_t(kX));
    size_t i = 0;
    for (; i + Ops::kPixels <= pixels; i += Ops::kPixels) {
        const V f = Ops::Load(first + 4 * i), s = Ops::Load(second + 4 * i);
        const V colour = Ops::Or(Ops::And(f, takeFirst), Ops::And(s, takeSecond));
        Ops::Store(out + 4 * i, Ops::Or(colour, Ops::MaxU8(Ops::And(f, x), Ops::And(s, x))));
    }
    return i;
}

template <class Ops>
size_t GreyMix(uint8_t* pixels, size_t count, uint32_t channels) {
    using V = typename Ops::Vec;
    const V low = Ops::Set32(0xFF), third = Ops::Set32(kThird), mask = Ops::Set32(int32_t(channels));
    size_t i = 0;
    for (; i + Ops::kPixels <= count; i += Ops::kPixels) {
        const V p = Ops::Load(pixels + 4 * i);
        const V sum = Ops::Add32(Ops::Add32(Ops::And(p, low), Ops::And(Ops::ShiftRight32(p, 8), low)),
                                 Ops::And(Ops::ShiftRight32(p, 16), low));
        const V v = Ops::MulHiU16(sum, third);  // the high word of each element stays 0
        const V grey = Ops::Or(Ops::Or(v, Ops::ShiftLeft32(v, 8)), Ops::ShiftLeft32(v, 16));
        Ops::Store(pixels + 4 * i, Ops::Or(Ops::AndNot(mask, p), Ops::And(grey, mask)));
    }
    return i;
}

// The three output channels (32-bit lanes of values) and X as pixels, each channel clamped to
// 0..255 by the saturating packs. Within every 128-bit lane: b0-3 r0-3 g0-3 x0-3 as bytes,
// then b0 g0 b1 g1 ... r0 x0 r1 x1 ..., then b0 g0 r0 x0 b1 g1 r1 x1 ...
template <class Ops>
typename Ops::Vec Interleave(typename Ops::Vec b, typename Ops::Vec g, typename Ops::Vec r, typename Ops::Vec x) {
    const typename Ops::Vec bytes = Ops::PackU16(Ops::PackS32(b, r), Ops::PackS32(g, x));
    const typename Ops::Vec pairs = Ops::UnpackLo8(bytes, Ops::ShiftRight8Bytes(bytes));
    return Ops::UnpackLo16(pairs, Ops::ShiftRight8Bytes(pairs));
}

// Each 32-bit lane as two 16-bit words: (first blue, first red), (second blue, second red) and
// (first green, second green), so that three multiply-adds give an output channel.
template <class Ops>
size_t Project(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels, const ProjectionLanes& l) {
    using V = typename Ops::Vec;
    V weights[3][3];
    for (int o = 0; o < 3; ++o)
        for (int k = 0; k < 3; ++k) weights[o][k] = Ops::Set32(l.pairs[o][k]);
    const V x = Ops::Set32(int32_t(kX)), blueRed = Ops::Set32(0x00FF00FF), low = Ops::Set32(0xFF),
            third = Ops::Set32(0xFF0000);
    size_t i = 0;
    for (; i + Ops::kPixels <= pixels; i += Ops::kPixels) {
        const V f = Ops::Load(first + 4 * i), s = Ops::Load(second + 4 * i);
        const V pair[3] = {Ops::And(f, blueRed), Ops::And(s, blueRed),
                           Ops::Or(Ops::And(Ops::ShiftRight32(f, 8), low), Ops::And(Ops::ShiftLeft32(s, 8), third))};
        V v[3];
        for (int o = 0; o < 3; ++o) {
            const V sum = Ops::Add32(Ops::Add32(Ops::MulAddS16(pair[0], weights[o][0]), Ops::MulAddS16(pair[1], weights[o][1])),
                                     Ops::MulAddS16(pair[2], weights[o][2]));
            v[o] = Ops::ShiftRightArith32(sum, kKernelWeightBits);
        }
        const V xs = Ops::ShiftRight32(Ops::MaxU8(Ops::And(f, x), Ops::And(s, x)), 24);
        Ops::Store(out + 4 * i, Interleave<Ops>(v[0], v[1], v[2], xs));
    }
    return i;
}

}  // namespace orvo::stereo::lanes
