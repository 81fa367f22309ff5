#pragma once
// The YUV kernels, written once over vectors of 128-bit lanes. Each instruction-set file
// instantiates them with an `Ops` type of its own that has internal linkage, so code compiled
// for a wider instruction set is never merged into a narrower file's.
//
// Exactness. The table path computes clamp[(Y table[Y] + chroma) >> 16] on 32-bit sums. Here
// the same sum is split as 65536*Y + (10773*Y + c), with the luma and chroma offsets folded into
// the block's chroma term c. The high half of (10773*Y + c), plus Y, is exactly the shifted sum,
// and the signed-to-unsigned saturating pack is exactly the clamp table, since every shifted sum
// lies within -277..534. So every byte equals the table path's.
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

consteval int32_t WordPair(int low, int high) {
    return int32_t(uint32_t(uint16_t(low)) | uint32_t(uint16_t(high)) << 16);
}

// Each scale as a multiple of 65536 plus a signed 16-bit remainder, for the 16-bit multiplier.
inline constexpr int32_t kLumaRemainder = kLumaScale - 65536;
inline constexpr int32_t kUToBlueRemainder = kUToBlueScale - 2 * 65536;
inline constexpr int32_t kVToGreenRemainder = 65536 - kVToGreenScale;
inline constexpr int32_t kVToRedRemainder = kVToRedScale - 2 * 65536;
static_assert(kLumaRemainder > 0 && kLumaRemainder < 32768);
static_assert(kUToBlueRemainder > 0 && kUToBlueRemainder < 32768);
static_assert(kVToGreenRemainder > 0 && kVToGreenRemainder < 32768);
static_assert(kVToRedRemainder > -32768 && kVToRedRemainder < 0);
static_assert(kUToGreenScale < 32768);

inline constexpr int32_t kLumaBias = -kLumaScale * kLumaOffset;
inline constexpr int32_t kBlueBias = kLumaBias - kUToBlueScale * kChromaOffset;
inline constexpr int32_t kGreenBias = kLumaBias + (kUToGreenScale + kVToGreenScale) * kChromaOffset;
inline constexpr int32_t kRedBias = kLumaBias - kVToRedScale * kChromaOffset;

template <class Ops>
struct ChromaTerms {
    typename Ops::Vec blue, green, red;
};

// uv holds one block per 32-bit element, U in the low half and V in the high half.
template <class Ops>
ORVO_LANE_STEP ChromaTerms<Ops> ChromaOfBlocks(typename Ops::Vec uv) {
    using V = typename Ops::Vec;
    const V vTimes65536 = Ops::And(uv, Ops::Set32(int32_t(0xFFFF0000u)));
    const V uTimes131072 = Ops::ShiftLeft32(uv, 17);
    ChromaTerms<Ops> c;
    c.blue = Ops::Add32(Ops::Add32(Ops::MulAdd16(uv, Ops::Set32(WordPair(kUToBlueRemainder, 0))), uTimes131072),
                        Ops::Set32(kBlueBias));
    c.green = Ops::Add32(
        Ops::Sub32(Ops::MulAdd16(uv, Ops::Set32(WordPair(-kUToGreenScale, kVToGreenRemainder))), vTimes65536),
        Ops::Set32(kGreenBias));
    c.red = Ops::Add32(Ops::Add32(Ops::MulAdd16(uv, Ops::Set32(WordPair(0, kVToRedRemainder))),
                                  Ops::Add32(vTimes65536, vTimes65536)),
                       Ops::Set32(kRedBias));
    return c;
}

// Eight pixels per lane as 16-bit luma, with the remainder products of the even and the odd
// pixels in 32-bit elements that line up with the blocks of ChromaOfBlocks.
template <class Ops>
struct LumaWords {
    typename Ops::Vec luma, even, odd;
};

template <class Ops>
ORVO_LANE_STEP LumaWords<Ops> LumaOfWords(typename Ops::Vec luma) {
    return {luma, Ops::MulAdd16(luma, Ops::Set32(WordPair(kLumaRemainder, 0))),
            Ops::MulAdd16(luma, Ops::Set32(WordPair(0, kLumaRemainder)))};
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
ORVO_LANE_STEP void StoreLumaRow(typename Ops::Vec lumaBytes, const ChromaTerms<Ops>& first, const ChromaTerms<Ops>& second,
                  uint8_t* out) {
    const typename Ops::Vec zero = Ops::Zero();
    StoreConverted<Ops, kStream>(LumaOfWords<Ops>(Ops::UnpackLo8(lumaBytes, zero)),
                        LumaOfWords<Ops>(Ops::UnpackHi8(lumaBytes, zero)), first, second, out);
}

// chromaBytes: one U,V byte pair per 2x2 block, as the loaders arrange them.
template <class Ops, bool kStream>
ORVO_LANE_STEP void ConvertBlockRowPair(typename Ops::Vec chromaBytes, const uint8_t* y0, const uint8_t* y1, uint8_t* out0,
                         uint8_t* out1) {
    const typename Ops::Vec zero = Ops::Zero();
    const ChromaTerms<Ops> first = ChromaOfBlocks<Ops>(Ops::UnpackLo8(chromaBytes, zero));
    const ChromaTerms<Ops> second = ChromaOfBlocks<Ops>(Ops::UnpackHi8(chromaBytes, zero));
    StoreLumaRow<Ops, kStream>(Ops::LoadLuma(y0), first, second, out0);
    StoreLumaRow<Ops, kStream>(Ops::LoadLuma(y1), first, second, out1);
}

template <class Ops, bool kStream>
int PlanarRows(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, uint8_t* out0, uint8_t* out1,
               int width) {
    constexpr int kPixels = Ops::kBytes;
    int x = 0;
    for (; x + kPixels <= width; x += kPixels)
        ConvertBlockRowPair<Ops, kStream>(Ops::LoadPlanarChroma(u + x / 2, v + x / 2), y0 + x, y1 + x, out0 + 4 * x,
                                          out1 + 4 * x);
    return x;
}

template <class Ops>
int PlanarRowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, uint8_t* out0,
                  uint8_t* out1, int width, bool streamOutput) {
    return streamOutput ? PlanarRows<Ops, true>(y0, y1, u, v, out0, out1, width)
                        : PlanarRows<Ops, false>(y0, y1, u, v, out0, out1, width);
}

template <class Ops, bool kStream>
int InterleavedRows(const uint8_t* y0, const uint8_t* y1, const uint8_t* uv, uint8_t* out0, uint8_t* out1,
                    int width) {
    constexpr int kPixels = Ops::kBytes;
    int x = 0;
    for (; x + kPixels <= width; x += kPixels)
        ConvertBlockRowPair<Ops, kStream>(Ops::LoadInterleavedChroma(uv + x), y0 + x, y1 + x, out0 + 4 * x,
                                          out1 + 4 * x);
    return x;
}

template <class Ops>
int InterleavedRowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* uv, uint8_t* out0, uint8_t* out1,
                       int width, bool streamOutput) {
    return streamOutput ? InterleavedRows<Ops, true>(y0, y1, uv, out0, out1, width)
                        : InterleavedRows<Ops, false>(y0, y1, uv, out0, out1, width);
}

// Y0,U,Y1,V: the even bytes are the luma of consecutive pixels, the odd bytes the pair's U,V.
template <class Ops>
ORVO_LANE_STEP void SplitPacked(typename Ops::Vec packed, LumaWords<Ops>& y, ChromaTerms<Ops>& chroma) {
    y = LumaOfWords<Ops>(Ops::And(packed, Ops::Set16(0x00FF)));
    chroma = ChromaOfBlocks<Ops>(Ops::ShiftRight16(packed, 8));
}

template <class Ops, bool kStream>
size_t PackedRun(const uint8_t* src, uint8_t* out, size_t pairs) {
    constexpr size_t kPairs = Ops::kBytes / 2;  // two vectors of kBytes / 4 pairs each
    size_t done = 0;
    for (; done + kPairs <= pairs; done += kPairs) {
        LumaWords<Ops> yFirst, ySecond;
        ChromaTerms<Ops> first, second;
        SplitPacked<Ops>(Ops::LoadPacked(src + 4 * done), yFirst, first);
        SplitPacked<Ops>(Ops::LoadPacked(src + 4 * done + Ops::kBytes), ySecond, second);
        StoreConverted<Ops, kStream>(yFirst, ySecond, first, second, out + 8 * done);
    }
    return done;
}

template <class Ops>
size_t PackedPairs(const uint8_t* src, uint8_t* out, size_t pairs, bool streamOutput) {
    return streamOutput ? PackedRun<Ops, true>(src, out, pairs) : PackedRun<Ops, false>(src, out, pairs);
}

}  // namespace orvo::engine::lanes

#undef ORVO_LANE_STEP
