#include "engine/stereo/StereoTransform.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace orvo::stereo {
namespace {

// A pixel read from byte buffers: may alias them and need not be aligned.
using Pixel = uint32_t __attribute__((may_alias, aligned(1)));

constexpr uint32_t kXMask = 0xFF000000;
constexpr uint32_t kBlue = 0x000000FF;
constexpr uint32_t kGreen = 0x0000FF00;
constexpr uint32_t kRed = 0x00FF0000;

// The channels an anaglyph takes from the second view, per view mode 0..2.
constexpr uint32_t SecondViewChannels(uint32_t viewMode) {
    if (viewMode == VIEW_RED_CYAN) return kBlue | kGreen;
    if (viewMode == VIEW_GREEN_MAGENTA) return kBlue | kRed;
    return kBlue;
}

bool IsAnaglyph(uint32_t viewMode) { return viewMode <= VIEW_GREEN_MAGENTA; }

// out = first with the second view's channels, X the larger of both. out may be first.
[[gnu::always_inline]] inline void MergeAnaglyphBody(Pixel* out, const Pixel* first, const Pixel* second, size_t n,
                                                     uint32_t fromSecond) {
    const uint32_t fromFirst = ~fromSecond & ~kXMask;
    for (size_t i = 0; i < n; ++i) {
        uint32_t f = first[i];
        uint32_t s = second[i];
        uint32_t x = std::max(f >> 24, s >> 24) << 24;
        out[i] = (f & fromFirst) | (s & fromSecond) | x;
    }
}

[[gnu::always_inline]] inline void GreyMixBody(Pixel* p, size_t n, uint32_t channels) {
    for (size_t i = 0; i < n; ++i) {
        uint32_t px = p[i];
        uint32_t v = ((px & 0xFF) + (px >> 8 & 0xFF) + (px >> 16 & 0xFF)) / 3;
        uint32_t grey = v | v << 8 | v << 16;
        p[i] = (px & ~channels) | (grey & channels);
    }
}

// The pixel loops, compiled twice: for the baseline and for AVX2.
struct Kernels {
    void (*mergeAnaglyph)(Pixel*, const Pixel*, const Pixel*, size_t, uint32_t);
    void (*greyMix)(Pixel*, size_t, uint32_t);
};

void MergeAnaglyphBaseline(Pixel* o, const Pixel* f, const Pixel* s, size_t n, uint32_t m) {
    MergeAnaglyphBody(o, f, s, n, m);
}
void GreyMixBaseline(Pixel* p, size_t n, uint32_t c) { GreyMixBody(p, n, c); }
[[gnu::target("avx2")]] void MergeAnaglyphAvx2(Pixel* o, const Pixel* f, const Pixel* s, size_t n, uint32_t m) {
    MergeAnaglyphBody(o, f, s, n, m);
}
[[gnu::target("avx2")]] void GreyMixAvx2(Pixel* p, size_t n, uint32_t c) { GreyMixBody(p, n, c); }

// Chosen once, on first use. (Not ifunc: resolvers run before sanitizer runtimes start.)
const Kernels& Kernel() {
    static const Kernels kernels = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2")) return Kernels{MergeAnaglyphAvx2, GreyMixAvx2};
        return Kernels{MergeAnaglyphBaseline, GreyMixBaseline};
    }();
    return kernels;
}

void MergeAnaglyph(Pixel* out, const Pixel* first, const Pixel* second, size_t n, uint32_t fromSecond) {
    Kernel().mergeAnaglyph(out, first, second, n, fromSecond);
}

Pixel* Pixels(uint8_t* bytes) { return reinterpret_cast<Pixel*>(bytes); }

size_t PixelCount(int32_t w, int32_t h) { return size_t(w) * size_t(h); }

// Full frame, view 3: the halves of every row change places. With an odd width the middle
// column stays where it is, so no pixel is split between halves.
void SwapRowHalves(Pixel* frame, size_t w, size_t h) {
    const size_t half = w / 2;
    for (size_t r = 0; r < h; ++r) {
        Pixel* row = frame + r * w;
        std::swap_ranges(row, row + half, row + (w - half));
    }
}

// Full frame, view 2: every row mirrored horizontally, within the row.
void MirrorRows(Pixel* frame, size_t w, size_t h) {
    for (size_t r = 0; r < h; ++r) std::reverse(frame + r * w, frame + (r + 1) * w);
}

// Side by side: the first view is the first w pixels of each source row, the second the
// next w. Rows are stepped by the source width, so with an odd width the last column is
// unused rather than every row drifting by one pixel.
uint8_t* SideBySide(const FrameDescriptor& d, uint8_t* frame, PictureStore& store) {
    const size_t W = size_t(d.sourceWidth), w = size_t(d.width), h = size_t(d.height);
    uint8_t* out = store.Picture(4 * w * h);
    if (!out) return nullptr;
    const Pixel* src = Pixels(frame);
    Pixel* dst = Pixels(out);
    if (d.viewMode > VIEW_SECOND) {
        // Nothing uses this combination; it shows the frame's second half of bytes.
        std::memcpy(out, frame + 4 * w * h, 4 * w * h);
        return out;
    }
    for (size_t r = 0; r < h; ++r) {
        const Pixel* first = src + r * W;
        const Pixel* second = first + w;
        if (IsAnaglyph(d.viewMode))
            MergeAnaglyph(dst + r * w, first, second, w, SecondViewChannels(d.viewMode));
        else
            std::memcpy(dst + r * w, d.viewMode == VIEW_SECOND ? second : first, 4 * w);
    }
    return out;
}

// Top/bottom: the first view is the first h rows in memory, the second the next h; with an
// odd height the last row is unused.
uint8_t* TopBottom(const FrameDescriptor& d, uint8_t* frame, PictureStore& store) {
    if (d.viewMode > VIEW_SECOND) return frame;
    const size_t n = PixelCount(d.width, d.height);
    uint8_t* out = store.Picture(4 * n);
    if (!out) return nullptr;
    const Pixel* first = Pixels(frame);
    const Pixel* second = first + n;
    if (IsAnaglyph(d.viewMode))
        MergeAnaglyph(Pixels(out), first, second, n, SecondViewChannels(d.viewMode));
    else
        std::memcpy(out, d.viewMode == VIEW_SECOND ? second : first, 4 * n);
    return out;
}

// Stacked pair re-laid side by side: output row r is source row r, then source row r + h.
uint8_t* TopBottomToSideBySide(const FrameDescriptor& d, uint8_t* frame, PictureStore& store) {
    const size_t W = size_t(d.sourceWidth), h = size_t(d.height);
    uint8_t* out = store.Picture(4 * 2 * W * h);
    if (!out) return nullptr;
    for (size_t r = 0; r < h; ++r) {
        uint8_t* row = out + r * 8 * W;
        std::memcpy(row, frame + r * 4 * W, 4 * W);
        std::memcpy(row + 4 * W, frame + (r + h) * 4 * W, 4 * W);
    }
    return out;
}

// Side-by-side pair re-laid stacked, in the frame itself: the first views of all rows,
// then the second views. First views move towards the start, never over a source row not
// yet read; the second views wait in scratch.
uint8_t* SideBySideToTopBottom(const FrameDescriptor& d, uint8_t* frame, PictureStore& store) {
    const size_t W = size_t(d.sourceWidth), H = size_t(d.sourceHeight), w = W / 2;
    uint8_t* scratch = store.Scratch(4 * w * H);
    if (!scratch) return nullptr;
    for (size_t r = 0; r < H; ++r) std::memcpy(scratch + r * 4 * w, frame + (r * W + w) * 4, 4 * w);
    for (size_t r = 1; r < H; ++r) std::memmove(frame + r * 4 * w, frame + r * 4 * W, 4 * w);
    std::memcpy(frame + 4 * w * H, scratch, 4 * w * H);
    return frame;
}

// 2D pseudo-stereo: the second view of pixel p is pixel p - 7 as it was before, across row
// ends. Worked from the end in chunks whose sources are copied first, so every read sees
// the original frame. The first 7 pixels have no earlier pixel and stay as they are.
void FlatAnaglyph(Pixel* frame, size_t n, uint32_t viewMode) {
    constexpr size_t kShift = 7;
    constexpr size_t kChunk = 1024;
    Pixel source[kChunk];
    for (size_t end = n; end > kShift;) {
        const size_t begin = std::max(kShift, end > kChunk ? end - kChunk : 0);
        std::memcpy(source, frame + begin - kShift, (end - begin) * 4);
        MergeAnaglyph(frame + begin, frame + begin, source, end - begin, SecondViewChannels(viewMode));
        end = begin;
    }
}

// 2D shown shifted: every pixel takes pixel p - 8; the first 8 become opaque black.
void FlatShift(Pixel* frame, size_t n) {
    constexpr size_t kShift = 8;
    const size_t kept = n > kShift ? n - kShift : 0;
    std::memmove(frame + (n - kept), frame, kept * 4);
    std::fill(frame, frame + (n - kept), kXMask);
}

uint8_t* Flat(const FrameDescriptor& d, uint8_t* frame) {
    const size_t n = PixelCount(d.width, d.height);
    if (IsAnaglyph(d.viewMode))
        FlatAnaglyph(Pixels(frame), n, d.viewMode);
    else if (d.viewMode == VIEW_SECOND)
        FlatShift(Pixels(frame), n);
    return frame;
}

uint8_t* FullFrame(const FrameDescriptor& d, uint8_t* frame) {
    if (d.viewMode == VIEW_FIRST) SwapRowHalves(Pixels(frame), size_t(d.width), size_t(d.height));
    if (d.viewMode == VIEW_GREEN_MAGENTA) MirrorRows(Pixels(frame), size_t(d.width), size_t(d.height));
    return frame;
}

}  // namespace

uint8_t* PictureStore::Buffer::Reserve(size_t bytes) {
    if (bytes > m_size) {
        m_data.reset(new (std::nothrow) uint8_t[bytes]);
        m_size = m_data ? bytes : 0;
    }
    return m_data.get();
}

uint8_t* TransformFrame(const FrameDescriptor& d, uint8_t* frame, PictureStore& store) {
    if (!frame || d.sourceWidth <= 0 || d.sourceHeight <= 0) return nullptr;
    const FrameSize expected = StereoOutputSize(d.stereoMode, d.viewMode, d.sourceWidth, d.sourceHeight);
    if (expected.width <= 0 || expected.height <= 0 || FrameSize{d.width, d.height} != expected) return nullptr;
    switch (d.stereoMode) {
        case STEREO_FULL_FRAME:
            return FullFrame(d, frame);
        case STEREO_SIDE_BY_SIDE:
            return SideBySide(d, frame, store);
        case STEREO_TOP_BOTTOM:
            return TopBottom(d, frame, store);
        case STEREO_TB_TO_SBS:
            return TopBottomToSideBySide(d, frame, store);
        case STEREO_SBS_TO_TB:
            return SideBySideToTopBottom(d, frame, store);
        case STEREO_FLAT:
            return Flat(d, frame);
        default:
            return frame;
    }
}

void GreyMix(const FrameDescriptor& d, uint8_t* picture) {
    if (!picture || d.greyMix.load(std::memory_order_relaxed) != 1 || d.width <= 0 || d.height <= 0) return;
    uint32_t channels = kBlue;
    if (d.viewMode == VIEW_RED_CYAN) channels |= kGreen;
    if (d.viewMode == VIEW_GREEN_MAGENTA) channels |= kRed;
    Kernel().greyMix(Pixels(picture), PixelCount(d.width, d.height), channels);
}

}  // namespace orvo::stereo
