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
// Samples of more than 8 bits arrive as 16-bit words, shifted down to 10 or 12 significant bits.
// Their luma factor is below 32768, so r is the whole factor and Y is not added again. The words
// of 8 pixels are spread as the unpacked bytes of 16 would be: one permute of 64-bit units.
// In 4:4:4 each pixel has its own chroma: the even and the odd pixels of a 32-bit element take
// the terms of their own U,V pairs.
//
// What `Ops` provides: Vec; kLanes; kBytes (16 * kLanes); Zero, Set16, Set32, And, Or, Add16,
// Add32, Sub32, ShiftLeft32, ShiftRight32, ShiftRight16, MulAdd16 (signed 16-bit pair products
// summed to 32 bits), UnpackLo8/Hi8, UnpackLo16/Hi16, PackUs16, HighWords (the high halves of
// the 32-bit elements of a and b, interleaved a,b,a,b), Load, Store, Stream (a non-temporal
// store to an aligned address); the loaders LoadLuma (kBytes luma bytes), LoadPlanarChroma
// (kBytes / 2 bytes from each chroma plane, interleaved U,V), LoadInterleavedChroma (kBytes U,V
// bytes) and LoadPacked (kBytes Y0,U,Y1,V bytes), each returning its bytes spread as above;
// SpreadWords (kBytes / 2 words as loaded, spread); and LoadPlanarChromaWords (kBytes / 2
// words from each chroma plane, interleaved U,V, spread, as two vectors).
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

// Eight pixels per lane as 16-bit luma, with the luma products of the even and the odd pixels
// in 32-bit elements that line up with the blocks of ChromaOfBlocks.
template <class Ops>
struct LumaWords {
    typename Ops::Vec luma, even, odd;
};

template <class Ops>
ORVO_LANE_STEP LumaWords<Ops> LumaOfWords(typename Ops::Vec luma, const Factors<Ops>& f) {
    return {luma, Ops::MulAdd16(luma, f.lumaEven), Ops::MulAdd16(luma, f.lumaOdd)};
}

// The chroma of eight pixels per lane: the terms of the even and of the odd pixels of each
// 32-bit element (the same terms where a block covers both).
template <class Ops>
struct PixelChroma {
    ChromaTerms<Ops> even, odd;
};

// One colour channel of eight pixels per lane, as signed 16-bit values before the clamp.
template <class Ops, bool kWholeLuma>
ORVO_LANE_STEP typename Ops::Vec ChannelWords(const LumaWords<Ops>& y, typename Ops::Vec even,
                                             typename Ops::Vec odd) {
    const typename Ops::Vec high = Ops::HighWords(Ops::Add32(y.even, even), Ops::Add32(y.odd, odd));
    if constexpr (kWholeLuma)
        return Ops::Add16(high, y.luma);
    else
        return high;
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
template <class Ops, bool kStream, bool kWholeLuma>
ORVO_LANE_STEP void StoreConverted(const LumaWords<Ops>& yFirst, const LumaWords<Ops>& ySecond,
                                   const PixelChroma<Ops>& first, const PixelChroma<Ops>& second, uint8_t* out) {
    const auto channel = [&](auto term) {
        return Ops::PackUs16(ChannelWords<Ops, kWholeLuma>(yFirst, term(first.even), term(first.odd)),
                             ChannelWords<Ops, kWholeLuma>(ySecond, term(second.even), term(second.odd)));
    };
    StorePixels<Ops, kStream>(channel([](const ChromaTerms<Ops>& c) { return c.blue; }),
                              channel([](const ChromaTerms<Ops>& c) { return c.green; }),
                              channel([](const ChromaTerms<Ops>& c) { return c.red; }), out);
}

template <class Ops>
ORVO_LANE_STEP PixelChroma<Ops> BlockChroma(typename Ops::Vec uv, const Factors<Ops>& f) {
    const ChromaTerms<Ops> c = ChromaOfBlocks<Ops>(uv, f);
    return {c, c};
}

// 4:4:4: u and v hold one word per pixel, spread as the luma words are.
template <class Ops>
ORVO_LANE_STEP PixelChroma<Ops> OwnChroma(typename Ops::Vec u, typename Ops::Vec v, const Factors<Ops>& f) {
    const typename Ops::Vec low = Ops::Set32(0xFFFF);
    const typename Ops::Vec evenPairs = Ops::Or(Ops::And(u, low), Ops::ShiftLeft32(v, 16));
    const typename Ops::Vec oddPairs = Ops::Or(Ops::ShiftRight32(u, 16), Ops::And(v, Ops::Set32(int32_t(0xFFFF0000u))));
    return {ChromaOfBlocks<Ops>(evenPairs, f), ChromaOfBlocks<Ops>(oddPairs, f)};
}

// The words of kBytes pixels: two vectors.
template <class Ops>
struct Words {
    typename Ops::Vec first, second;
};

template <class Ops>
ORVO_LANE_STEP Words<Ops> BytesAsWords(typename Ops::Vec bytes) {
    return {Ops::UnpackLo8(bytes, Ops::Zero()), Ops::UnpackHi8(bytes, Ops::Zero())};
}

// kBytes 16-bit samples from p, shifted down to their significant bits.
template <class Ops>
ORVO_LANE_STEP Words<Ops> LoadWords(const uint8_t* p, int shift) {
    return {Ops::ShiftRight16(Ops::SpreadWords(Ops::Load(p)), shift),
            Ops::ShiftRight16(Ops::SpreadWords(Ops::Load(p + Ops::kBytes)), shift)};
}

// How the kernels read each family of sources, kBytes pixels of one row at a time: luma words
// from a row, and the chroma of those pixels from the chroma row(s) of RowSources.
template <class Ops>
struct Planar8 {
    static constexpr bool kWholeLuma = true;
    static Words<Ops> Luma(const uint8_t* row, int x, int) { return BytesAsWords<Ops>(Ops::LoadLuma(row + x)); }
    static void Chroma(const RowSources& s, int x, const Factors<Ops>& f, PixelChroma<Ops>& a, PixelChroma<Ops>& b) {
        const Words<Ops> uv = BytesAsWords<Ops>(Ops::LoadPlanarChroma(s.u + x / 2, s.v + x / 2));
        a = BlockChroma<Ops>(uv.first, f), b = BlockChroma<Ops>(uv.second, f);
    }
};

template <class Ops>
struct Interleaved8 : Planar8<Ops> {
    static void Chroma(const RowSources& s, int x, const Factors<Ops>& f, PixelChroma<Ops>& a, PixelChroma<Ops>& b) {
        const Words<Ops> uv = BytesAsWords<Ops>(Ops::LoadInterleavedChroma(s.u + x));
        a = BlockChroma<Ops>(uv.first, f), b = BlockChroma<Ops>(uv.second, f);
    }
};

template <class Ops>
struct Planar444x8 : Planar8<Ops> {
    static void Chroma(const RowSources& s, int x, const Factors<Ops>& f, PixelChroma<Ops>& a, PixelChroma<Ops>& b) {
        const Words<Ops> u = BytesAsWords<Ops>(Ops::LoadLuma(s.u + x)), v = BytesAsWords<Ops>(Ops::LoadLuma(s.v + x));
        a = OwnChroma<Ops>(u.first, v.first, f), b = OwnChroma<Ops>(u.second, v.second, f);
    }
};

template <class Ops>
struct Planar16 {
    static constexpr bool kWholeLuma = false;
    static Words<Ops> Luma(const uint8_t* row, int x, int shift) { return LoadWords<Ops>(row + 2 * x, shift); }
    static void Chroma(const RowSources& s, int x, const Factors<Ops>& f, PixelChroma<Ops>& a, PixelChroma<Ops>& b) {
        typename Ops::Vec first, second;
        Ops::LoadPlanarChromaWords(s.u + x, s.v + x, first, second);  // x / 2 words
        a = BlockChroma<Ops>(Ops::ShiftRight16(first, s.shift), f);
        b = BlockChroma<Ops>(Ops::ShiftRight16(second, s.shift), f);
    }
};

template <class Ops>
struct Interleaved16 : Planar16<Ops> {
    static void Chroma(const RowSources& s, int x, const Factors<Ops>& f, PixelChroma<Ops>& a, PixelChroma<Ops>& b) {
        const Words<Ops> uv = LoadWords<Ops>(s.u + 2 * x, s.shift);  // x / 2 U,V word pairs
        a = BlockChroma<Ops>(uv.first, f), b = BlockChroma<Ops>(uv.second, f);
    }
};

template <class Ops>
struct Planar444x16 : Planar16<Ops> {
    static void Chroma(const RowSources& s, int x, const Factors<Ops>& f, PixelChroma<Ops>& a, PixelChroma<Ops>& b) {
        const Words<Ops> u = LoadWords<Ops>(s.u + 2 * x, s.shift), v = LoadWords<Ops>(s.v + 2 * x, s.shift);
        a = OwnChroma<Ops>(u.first, v.first, f), b = OwnChroma<Ops>(u.second, v.second, f);
    }
};

template <class Ops, class Source, bool kStream>
ORVO_LANE_STEP void StoreRow(const uint8_t* luma, int x, int shift, const PixelChroma<Ops>& a,
                             const PixelChroma<Ops>& b, const Factors<Ops>& f, uint8_t* out) {
    const Words<Ops> y = Source::Luma(luma, x, shift);
    StoreConverted<Ops, kStream, Source::kWholeLuma>(LumaOfWords<Ops>(y.first, f), LumaOfWords<Ops>(y.second, f), a,
                                                     b, out + 4 * x);
}

template <class Ops, class Source, bool kStream, bool kPair>
int ConvertRows(const RowSources& s, int width, const LaneCoefficients& k) {
    constexpr int kPixels = Ops::kBytes;
    const Factors<Ops> f(k);
    int x = 0;
    for (; x + kPixels <= width; x += kPixels) {
        PixelChroma<Ops> a, b;
        Source::Chroma(s, x, f, a, b);
        StoreRow<Ops, Source, kStream>(s.luma0, x, s.shift, a, b, f, s.out0);
        if constexpr (kPair) StoreRow<Ops, Source, kStream>(s.luma1, x, s.shift, a, b, f, s.out1);
    }
    return x;
}

template <class Ops, template <class> class Source>
int Rows(const RowSources& s, int width, bool streamOutput, const LaneCoefficients& k) {
    using S = Source<Ops>;
    if (s.pair)
        return streamOutput ? ConvertRows<Ops, S, true, true>(s, width, k) : ConvertRows<Ops, S, false, true>(s, width, k);
    return streamOutput ? ConvertRows<Ops, S, true, false>(s, width, k) : ConvertRows<Ops, S, false, false>(s, width, k);
}

// Y0,U,Y1,V: the even bytes are the luma of consecutive pixels, the odd bytes the pair's U,V.
template <class Ops>
ORVO_LANE_STEP void SplitPacked(typename Ops::Vec packed, const Factors<Ops>& f, LumaWords<Ops>& y,
                                PixelChroma<Ops>& chroma) {
    y = LumaOfWords<Ops>(Ops::And(packed, Ops::Set16(0x00FF)), f);
    chroma = BlockChroma<Ops>(Ops::ShiftRight16(packed, 8), f);
}

template <class Ops, bool kStream>
size_t PackedRun(const uint8_t* src, uint8_t* out, size_t pairs, const LaneCoefficients& k) {
    constexpr size_t kPairs = Ops::kBytes / 2;  // two vectors of kBytes / 4 pairs each
    const Factors<Ops> f(k);
    size_t done = 0;
    for (; done + kPairs <= pairs; done += kPairs) {
        LumaWords<Ops> yFirst, ySecond;
        PixelChroma<Ops> first, second;
        SplitPacked<Ops>(Ops::LoadPacked(src + 4 * done), f, yFirst, first);
        SplitPacked<Ops>(Ops::LoadPacked(src + 4 * done + Ops::kBytes), f, ySecond, second);
        StoreConverted<Ops, kStream, true>(yFirst, ySecond, first, second, out + 8 * done);
    }
    return done;
}

template <class Ops>
size_t PackedPairs(const uint8_t* src, uint8_t* out, size_t pairs, bool streamOutput, const LaneCoefficients& k) {
    return streamOutput ? PackedRun<Ops, true>(src, out, pairs, k) : PackedRun<Ops, false>(src, out, pairs, k);
}

// The kernel set of one instruction set: every row family, in the order of RowFamily.
template <class Ops>
constexpr ColorKernels MakeKernels(size_t (*rgb24)(const uint8_t*, uint8_t*, size_t)) {
    return {{Rows<Ops, Planar8>, Rows<Ops, Interleaved8>, Rows<Ops, Planar444x8>, Rows<Ops, Planar16>,
             Rows<Ops, Interleaved16>, Rows<Ops, Planar444x16>},
            PackedPairs<Ops>,
            rgb24};
}

}  // namespace orvo::engine::lanes

#undef ORVO_LANE_STEP
