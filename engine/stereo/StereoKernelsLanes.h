#pragma once
// The vector anaglyph merge and grey mix, written once over an `Ops` type that each
// instruction-set file defines with internal linkage (Vec, kPixels, Load, Store, Set32, And,
// AndNot, Or, Add32, ShiftLeft32, ShiftRight32, ShiftRightArith32, MaxU8, MaxS16, MinS16,
// MulHiU16, MulAddS16).
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

// Each view's channel c of a pixel as a pair of 16-bit words in one 32-bit lane, the first
// view's low, so that one multiply-add of a lane pair gives both views' terms.
template <class Ops>
typename Ops::Vec ChannelPair(typename Ops::Vec f, typename Ops::Vec s, int channel) {
    const typename Ops::Vec low = Ops::Set32(0xFF), high = Ops::Set32(0xFF0000);
    const typename Ops::Vec first = Ops::And(channel ? Ops::ShiftRight32(f, 8 * channel) : f, low);
    const typename Ops::Vec second = channel == 2 ? s : Ops::ShiftLeft32(s, 16 - 8 * channel);
    return Ops::Or(first, Ops::And(second, high));
}

// The weighted sums stay within 16 bits once shifted down, so each lane's value is its low
// word with the high word its sign: clamping both words as 16-bit numbers clamps the lane.
template <class Ops>
size_t Project(uint8_t* out, const uint8_t* first, const uint8_t* second, size_t pixels, const ProjectionLanes& l) {
    using V = typename Ops::Vec;
    V weights[3][3];
    for (int o = 0; o < 3; ++o)
        for (int c = 0; c < 3; ++c) weights[o][c] = Ops::Set32(l.pairs[o][c]);
    const V x = Ops::Set32(int32_t(kX)), zero = Ops::Set32(0), top = Ops::Set32(0xFF);
    size_t i = 0;
    for (; i + Ops::kPixels <= pixels; i += Ops::kPixels) {
        const V f = Ops::Load(first + 4 * i), s = Ops::Load(second + 4 * i);
        const V pair[3] = {ChannelPair<Ops>(f, s, 0), ChannelPair<Ops>(f, s, 1), ChannelPair<Ops>(f, s, 2)};
        V result = Ops::MaxU8(Ops::And(f, x), Ops::And(s, x));
        for (int o = 0; o < 3; ++o) {
            const V sum = Ops::Add32(Ops::Add32(Ops::MulAddS16(pair[0], weights[o][0]), Ops::MulAddS16(pair[1], weights[o][1])),
                                     Ops::MulAddS16(pair[2], weights[o][2]));
            const V v = Ops::MinS16(Ops::MaxS16(Ops::ShiftRightArith32(sum, kKernelWeightBits), zero), top);
            result = Ops::Or(result, o ? Ops::ShiftLeft32(v, 8 * o) : v);
        }
        Ops::Store(out + 4 * i, result);
    }
    return i;
}

}  // namespace orvo::stereo::lanes
