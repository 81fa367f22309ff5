#pragma once
// The YUV kernels, written once over vectors of 128-bit lanes. Each instruction-set file
// instantiates them with an `Ops` type of its own that has internal linkage, so code compiled
// for a wider instruction set is never merged into a narrower file's.
//
// Exactness. The table path computes clamp[(Y table[Y] + chroma) >> 16] on 32-bit sums, with the
// coefficients of one row of the table. Here the same sum is split as 65536*Y + (r*Y + c), where
// r = luma - 65536 and the luma and chroma offsets are folded into the block's chroma term c
// (itself the remainder products plus the whole multiples of 65536 of each chroma factor). The
// high half of (r*Y + c), plus Y, is exactly the shifted sum, and the signed-to-unsigned
// saturating pack is exactly the clamp table, since every shifted sum of every row lies within
// -384..639. So every byte equals the table path's.
//
// Pixel order. Packs and unpacks stay within 128-bit lanes. The loaders spread the groups of four
// pixels over the lanes so that after the final in-lane interleave to B,G,R,X each vector holds
// consecutive pixels and is stored as it stands.
//
// What `Ops` provides: Vec; kLanes; kBytes (16 * kLanes); Zero, Set16, Set32, And, Add16, Add32,
// Sub32, ShiftLeft32, ShiftRight16, MulAdd16 (signed 16-bit pair products summed to 32 bits),
// UnpackLo8/Hi8, UnpackLo16/Hi16, PackUs16, HighWords (the high halves of the 32-bit elements
// of a and b, interleaved a,b,a,b), Store, Stream (a non-temporal store to an aligned address);
// and the loaders LoadLuma (kBytes luma bytes), LoadPlanarChroma (kBytes / 2 bytes from each
// chroma plane, interleaved U,V), LoadInterleavedChroma (kBytes U,V bytes) and LoadPacked
// (kBytes Y0,U,Y1,V bytes), each returning its bytes spread as above.
#include "engine/stereo/ColorSpaceConverterKernels.h"

// The steps are forced inline so that each kernel is one loop with its vectors in registers;
// a step called out of line would also pass wide vectors across a call, after which the
// compiler no longer clears their upper halves on return and later SSE code slows down.
#define ORVO_LANE_STEP [[gnu::always_inline]] inline

namespace orvo::engine::lanes {

// A coefficient row broadcast to vectors, once per kernel call.
template <class Ops>
struct Factors {
    using V = typename Ops::Vec;
    V lumaEven, lumaOdd;  // the luma remainder against the even and the odd word of each pair
    V blueRemainders, greenRemainders, redRemainders, blueWholes, greenWholes, redWholes;
    V blueBias, greenBias, redBias;

    ORVO_LANE_STEP explicit Factors(const LaneCoefficients& k)
        : lumaEven(Ops::Set32(int32_t(uint32_t(uint16_t(k.lumaRemainder))))),
          lumaOdd(Ops::Set32(int32_t(uint32_t(uint16_t(k.lumaRemainder)) << 16))),
          blueRemainders(Ops::Set32(k.blueRemainders)),
          greenRemainders(Ops::Set32(k.greenRemainders)),
          redRemainders(Ops::Set32(k.redRemainders)),
          blueWholes(Ops::Set32(k.blueWholes)),
          greenWholes(Ops::Set32(k.greenWholes)),
          redWholes(Ops::Set32(k.redWholes)),
          blueBias(Ops::Set32(k.blueBias)),
          greenBias(Ops::Set32(k.greenBias)),
          redBias(Ops::Set32(k.redBias)) {}
};

template <class Ops>
struct ChromaTerms {
    typename Ops::Vec blue, green, red;
};

// uv holds one block per 32-bit element, U in the low half and V in the high half. Each term is
// the remainder products, plus the whole multiples of 65536, plus the bias.
template <class Ops>
ORVO_LANE_STEP typename Ops::Vec ChromaTerm(typename Ops::Vec uv, typename Ops::Vec remainders,
                                           typename Ops::Vec wholes, typename Ops::Vec bias) {
    return Ops::Add32(Ops::Add32(Ops::MulAdd16(uv, remainders), Ops::ShiftLeft32(Ops::MulAdd16(uv, wholes), 16)),
                      bias);
}

template <class Ops>
ORVO_LANE_STEP ChromaTerms<Ops> ChromaOfBlocks(typename Ops::Vec uv, const Factors<Ops>& f) {
    return {ChromaTerm<Ops>(uv, f.blueRemainders, f.blueWholes, f.blueBias),
            ChromaTerm<Ops>(uv, f.greenRemainders, f.greenWholes, f.greenBias),
            ChromaTerm<Ops>(uv, f.redRemainders, f.redWholes, f.redBias)};
}

// Eight pixels per lane as 16-bit luma, with the remainder products of the even and the odd
// pixels in 32-bit elements that line up with the blocks of ChromaOfBlocks.
template <class Ops>
struct LumaWords {
    typename Ops::Vec luma, even, odd;
};

template <class Ops>
ORVO_LANE_STEP LumaWords<Ops> LumaOfWords(typename Ops::Vec luma, const Factors<Ops>& f) {
    return {luma, Ops::MulAdd16(luma, f.lumaEven), Ops::MulAdd16(luma, f.lumaOdd)};
}

// One colour channel of eight pixels per lane, as signed 16-bit values before the clamp.
template <class Ops>
ORVO_LANE_STEP typename Ops::Vec ChannelWords(const LumaWords<Ops>& y, typename Ops::Vec chroma) {
    return Ops::Add16(Ops::HighWords(Ops::Add32(y.even, chroma), Ops::Add32(y.odd, chroma)), y.luma);
}

template <class Ops, bool kStream>
ORVO_LANE_STEP void Put(uint8_t* out, typename Ops::Vec v) {
    if constexpr (kStream)
        Ops::Stream(out, v);
    else
        Ops::Store(out, v);
}

template <class Ops, bool kStream>
ORVO_LANE_STEP void StorePixels(typename Ops::Vec blue, typename Ops::Vec green, typename Ops::Vec red, uint8_t* out) {
    using V = typename Ops::Vec;
    const V opaque = Ops::Set32(-1);
    const V bgLow = Ops::UnpackLo8(blue, green), bgHigh = Ops::UnpackHi8(blue, green);
    const V rxLow = Ops::UnpackLo8(red, opaque), rxHigh = Ops::UnpackHi8(red, opaque);
    Put<Ops, kStream>(out, Ops::UnpackLo16(bgLow, rxLow));
    Put<Ops, kStream>(out + Ops::kBytes, Ops::UnpackHi16(bgLow, rxLow));
    Put<Ops, kStream>(out + 2 * Ops::kBytes, Ops::UnpackLo16(bgHigh, rxHigh));
    Put<Ops, kStream>(out + 3 * Ops::kBytes, Ops::UnpackHi16(bgHigh, rxHigh));
}

// Sixteen pixels per lane: the first eight with `first`'s chroma, the last eight with `second`'s.
template <class Ops, bool kStream>
ORVO_LANE_STEP void StoreConverted(const LumaWords<Ops>& yFirst, const LumaWords<Ops>& ySecond, const ChromaTerms<Ops>& first,
                    const ChromaTerms<Ops>& second, uint8_t* out) {
    StorePixels<Ops, kStream>(Ops::PackUs16(ChannelWords(yFirst, first.blue), ChannelWords(ySecond, second.blue)),
                     Ops::PackUs16(ChannelWords(yFirst, first.green), ChannelWords(ySecond, second.green)),
                     Ops::PackUs16(ChannelWords(yFirst, first.red), ChannelWords(ySecond, second.red)), out);
}

template <class Ops, bool kStream>
ORVO_LANE_STEP void StoreLumaRow(typename Ops::Vec lumaBytes, const ChromaTerms<Ops>& first,
                                 const ChromaTerms<Ops>& second, const Factors<Ops>& f, uint8_t* out) {
    const typename Ops::Vec zero = Ops::Zero();
    StoreConverted<Ops, kStream>(LumaOfWords<Ops>(Ops::UnpackLo8(lumaBytes, zero), f),
                                 LumaOfWords<Ops>(Ops::UnpackHi8(lumaBytes, zero), f), first, second, out);
}

// chromaBytes: one U,V byte pair per 2x2 block, as the loaders arrange them.
template <class Ops, bool kStream>
ORVO_LANE_STEP void ConvertBlockRowPair(typename Ops::Vec chromaBytes, const uint8_t* y0, const uint8_t* y1,
                                        uint8_t* out0, uint8_t* out1, const Factors<Ops>& f) {
    const typename Ops::Vec zero = Ops::Zero();
    const ChromaTerms<Ops> first = ChromaOfBlocks<Ops>(Ops::UnpackLo8(chromaBytes, zero), f);
    const ChromaTerms<Ops> second = ChromaOfBlocks<Ops>(Ops::UnpackHi8(chromaBytes, zero), f);
    StoreLumaRow<Ops, kStream>(Ops::LoadLuma(y0), first, second, f, out0);
    StoreLumaRow<Ops, kStream>(Ops::LoadLuma(y1), first, second, f, out1);
}

template <class Ops, bool kStream>
int PlanarRows(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, uint8_t* out0, uint8_t* out1,
               int width, const LaneCoefficients& k) {
    constexpr int kPixels = Ops::kBytes;
    const Factors<Ops> f(k);
    int x = 0;
    for (; x + kPixels <= width; x += kPixels)
        ConvertBlockRowPair<Ops, kStream>(Ops::LoadPlanarChroma(u + x / 2, v + x / 2), y0 + x, y1 + x, out0 + 4 * x,
                                          out1 + 4 * x, f);
    return x;
}

template <class Ops>
int PlanarRowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, uint8_t* out0,
                  uint8_t* out1, int width, bool streamOutput, const LaneCoefficients& k) {
    return streamOutput ? PlanarRows<Ops, true>(y0, y1, u, v, out0, out1, width, k)
                        : PlanarRows<Ops, false>(y0, y1, u, v, out0, out1, width, k);
}

template <class Ops, bool kStream>
int InterleavedRows(const uint8_t* y0, const uint8_t* y1, const uint8_t* uv, uint8_t* out0, uint8_t* out1,
                    int width, const LaneCoefficients& k) {
    constexpr int kPixels = Ops::kBytes;
    const Factors<Ops> f(k);
    int x = 0;
    for (; x + kPixels <= width; x += kPixels)
        ConvertBlockRowPair<Ops, kStream>(Ops::LoadInterleavedChroma(uv + x), y0 + x, y1 + x, out0 + 4 * x,
                                          out1 + 4 * x, f);
    return x;
}

template <class Ops>
int InterleavedRowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* uv, uint8_t* out0, uint8_t* out1,
                       int width, bool streamOutput, const LaneCoefficients& k) {
    return streamOutput ? InterleavedRows<Ops, true>(y0, y1, uv, out0, out1, width, k)
                        : InterleavedRows<Ops, false>(y0, y1, uv, out0, out1, width, k);
}

// Y0,U,Y1,V: the even bytes are the luma of consecutive pixels, the odd bytes the pair's U,V.
template <class Ops>
ORVO_LANE_STEP void SplitPacked(typename Ops::Vec packed, const Factors<Ops>& f, LumaWords<Ops>& y,
                                ChromaTerms<Ops>& chroma) {
    y = LumaOfWords<Ops>(Ops::And(packed, Ops::Set16(0x00FF)), f);
    chroma = ChromaOfBlocks<Ops>(Ops::ShiftRight16(packed, 8), f);
}

template <class Ops, bool kStream>
size_t PackedRun(const uint8_t* src, uint8_t* out, size_t pairs, const LaneCoefficients& k) {
    constexpr size_t kPairs = Ops::kBytes / 2;  // two vectors of kBytes / 4 pairs each
    const Factors<Ops> f(k);
    size_t done = 0;
    for (; done + kPairs <= pairs; done += kPairs) {
        LumaWords<Ops> yFirst, ySecond;
        ChromaTerms<Ops> first, second;
        SplitPacked<Ops>(Ops::LoadPacked(src + 4 * done), f, yFirst, first);
        SplitPacked<Ops>(Ops::LoadPacked(src + 4 * done + Ops::kBytes), f, ySecond, second);
        StoreConverted<Ops, kStream>(yFirst, ySecond, first, second, out + 8 * done);
    }
    return done;
}

template <class Ops>
size_t PackedPairs(const uint8_t* src, uint8_t* out, size_t pairs, bool streamOutput, const LaneCoefficients& k) {
    return streamOutput ? PackedRun<Ops, true>(src, out, pairs, k) : PackedRun<Ops, false>(src, out, pairs, k);
}

}  // namespace orvo::engine::lanes

#undef ORVO_LANE_STEP
