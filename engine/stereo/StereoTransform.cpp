#include "engine/stereo/StereoTransform.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/stereo/StereoGeometry.h"

namespace orvo::stereo {
namespace {

// A pixel read from byte buffers: may alias them and need not be aligned.
using Pixel = uint32_t __attribute__((may_alias, aligned(1)));

constexpr uint32_t kOpaqueBlack = 0xFF000000;

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

uint8_t* Whole(const FrameDescriptor& d, uint8_t* frame) {
    if (d.stereoMode != STEREO_FULL_FRAME) return frame;
    if (d.viewMode == VIEW_FIRST) SwapRowHalves(Pixels(frame), size_t(d.width), size_t(d.height));
    if (d.viewMode == VIEW_GREEN_MAGENTA) MirrorRows(Pixels(frame), size_t(d.width), size_t(d.height));
    return frame;
}

// Side by side: the first view is the first w pixels of each source row, the second the
// next w. Rows are stepped by the source width, so with an odd width the last column is
// unused rather than every row drifting by one pixel.
uint8_t* SideBySide(const FrameDescriptor& d, uint8_t* frame, PictureStore& store, const StereoKernels& k) {
    const size_t W = size_t(d.sourceWidth), w = size_t(d.width), h = size_t(d.height);
    uint8_t* out = store.Picture(4 * w * h);
    if (!out) return nullptr;
    const ViewRule rule = ViewRuleOf(d);
    if (rule.kind == ViewKind::Other) {
        // Nothing uses this combination; it shows the frame's second half of bytes.
        std::memcpy(out, frame + 4 * w * h, 4 * w * h);
        return out;
    }
    const size_t firstAt = d.options.swapEyes ? 4 * w : 0, secondAt = 4 * w - firstAt;
    for (size_t r = 0; r < h; ++r) {
        const uint8_t* row = frame + 4 * r * W;
        ViewRow(rule, out + 4 * r * w, row + firstAt, row + secondAt, w, k);
    }
    return out;
}

// Top/bottom: the first view is the first h rows in memory, the second the next h; with an
// odd height the last row is unused. Other view modes show the frame's first h rows.
uint8_t* TopBottom(const FrameDescriptor& d, uint8_t* frame, PictureStore& store, const StereoKernels& k) {
    const ViewRule rule = ViewRuleOf(d);
    if (rule.kind == ViewKind::Other) return frame;
    const size_t n = PixelCount(d.width, d.height);
    uint8_t* out = store.Picture(4 * n);
    if (!out) return nullptr;
    const size_t firstAt = d.options.swapEyes ? 4 * n : 0, secondAt = 4 * n - firstAt;
    ViewRow(rule, out, frame + firstAt, frame + secondAt, n, k);
    return out;
}

// Stacked pair re-laid side by side: output row r is source row r, then source row r + h.
uint8_t* Beside(const FrameDescriptor& d, uint8_t* frame, PictureStore& store) {
    const size_t W = size_t(d.sourceWidth), h = size_t(d.height);
    uint8_t* out = store.Picture(4 * 2 * W * h);
    if (!out) return nullptr;
    const size_t firstRow = d.options.swapEyes ? h : 0, secondRow = h - firstRow;
    for (size_t r = 0; r < h; ++r) {
        uint8_t* row = out + r * 8 * W;
        std::memcpy(row, frame + (r + firstRow) * 4 * W, 4 * W);
        std::memcpy(row + 4 * W, frame + (r + secondRow) * 4 * W, 4 * W);
    }
    return out;
}

// Side-by-side pair re-laid stacked, in the frame itself: the first views of all rows,
// then the second views. The views shown first move towards the start, never over a source
// row not yet read; the others wait in scratch.
uint8_t* Stacked(const FrameDescriptor& d, uint8_t* frame, PictureStore& store) {
    const size_t W = size_t(d.sourceWidth), H = size_t(d.sourceHeight), w = W / 2;
    uint8_t* scratch = store.Scratch(4 * w * H);
    if (!scratch) return nullptr;
    const size_t topAt = d.options.swapEyes ? 4 * w : 0, bottomAt = 4 * w - topAt;
    for (size_t r = 0; r < H; ++r) std::memcpy(scratch + r * 4 * w, frame + r * 4 * W + bottomAt, 4 * w);
    for (size_t r = 0; r < H; ++r) std::memmove(frame + r * 4 * w, frame + r * 4 * W + topAt, 4 * w);
    std::memcpy(frame + 4 * w * H, scratch, 4 * w * H);
    return frame;
}

// 2D pseudo-stereo: the second view of pixel p is pixel p - 7 as it was before, across row
// ends. Worked from the end in chunks whose sources are copied first, so every read sees
// the original frame. The first 7 pixels have no earlier pixel and stay as they are.
void FlatAnaglyph(uint8_t* frame, size_t n, const ViewRule& rule, const StereoKernels& k) {
    constexpr size_t kShift = 7;
    constexpr size_t kChunk = 1024;
    uint8_t source[4 * kChunk];
    for (size_t end = n; end > kShift;) {
        const size_t begin = std::max(kShift, end > kChunk ? end - kChunk : 0);
        std::memcpy(source, frame + 4 * (begin - kShift), (end - begin) * 4);
        Anaglyph(rule, frame + 4 * begin, frame + 4 * begin, source, end - begin, k);
        end = begin;
    }
}

// 2D shown shifted: every pixel takes pixel p - 8; the first 8 become opaque black.
void FlatShift(uint8_t* frame, size_t n) {
    constexpr size_t kShift = 8;
    const size_t kept = n > kShift ? n - kShift : 0;
    std::memmove(frame + 4 * (n - kept), frame, kept * 4);
    std::fill(Pixels(frame), Pixels(frame) + (n - kept), kOpaqueBlack);
}

uint8_t* Shifted(const FrameDescriptor& d, uint8_t* frame, const StereoKernels& k) {
    const size_t n = PixelCount(d.width, d.height);
    const ViewRule rule = ViewRuleOf(d);
    if (rule.kind == ViewKind::Anaglyph)
        FlatAnaglyph(frame, n, rule, k);
    else if (rule.kind == ViewKind::Second)
        FlatShift(frame, n);
    return frame;
}

}  // namespace

ViewRule ViewRuleOf(const FrameDescriptor& d) {
    return ViewRuleOf(d.stereoMode, d.viewMode, d.options.optimisedAnaglyph);
}

void Anaglyph(const ViewRule& rule, uint8_t* out, const uint8_t* first, const uint8_t* second, size_t n,
              const StereoKernels& k) {
    if (rule.projection)
        k.project(out, first, second, n, *rule.projection);
    else
        k.merge(out, first, second, n, rule.fromSecond);
}

void ViewRow(const ViewRule& rule, uint8_t* out, const uint8_t* first, const uint8_t* second, size_t w,
             const StereoKernels& k) {
    if (rule.kind == ViewKind::Anaglyph)
        Anaglyph(rule, out, first, second, w, k);
    else
        std::memcpy(out, rule.kind == ViewKind::Second ? second : first, 4 * w);
}

uint8_t* PictureStore::Buffer::Reserve(size_t bytes) {
    if (bytes > m_size) {
        m_data.reset(new (std::nothrow) uint8_t[bytes]);
        m_size = m_data ? bytes : 0;
    }
    return m_data.get();
}

uint8_t* TransformFrame(const FrameDescriptor& d, uint8_t* frame, PictureStore& store, const StereoKernels& k) {
    if (!frame || d.sourceWidth <= 0 || d.sourceHeight <= 0) return nullptr;
    const FrameSize expected = StereoOutputSize(d.stereoMode, d.viewMode, d.sourceWidth, d.sourceHeight);
    if (expected.width <= 0 || expected.height <= 0 || FrameSize{d.width, d.height} != expected) return nullptr;
    switch (GeometryOf(d.stereoMode, d.viewMode).combine) {
        case Combine::Whole:
            return Whole(d, frame);
        case Combine::Views:
            return GeometryOf(d.stereoMode, d.viewMode).split == Split::Columns ? SideBySide(d, frame, store, k)
                                                                                 : TopBottom(d, frame, store, k);
        case Combine::Beside:
            return Beside(d, frame, store);
        case Combine::Stacked:
            return Stacked(d, frame, store);
        case Combine::Shifted:
            return Shifted(d, frame, k);
    }
    return frame;
}

void GreyMix(const FrameDescriptor& d, uint8_t* picture, const StereoKernels& k) {
    if (!picture || d.greyMix.load(std::memory_order_relaxed) != 1 || d.width <= 0 || d.height <= 0) return;
    const uint32_t channels = ViewRuleOf(d).greyChannels;
    if (channels) k.greyMix(picture, PixelCount(d.width, d.height), channels);
}

}  // namespace orvo::stereo
