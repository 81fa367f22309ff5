#pragma once
// The vector anaglyph merge and grey mix, written once over an `Ops` type that each
// instruction-set file defines with internal linkage (Vec, kPixels, Load, Store, Set32, And,
// AndNot, Or, Add32, ShiftLeft32, ShiftRight32, MaxU8, MulHiU16).
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

}  // namespace orvo::stereo::lanes
