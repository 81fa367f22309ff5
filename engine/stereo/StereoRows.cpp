#include "engine/stereo/StereoRows.h"

#include <algorithm>
#include <cstring>

#include "engine/stereo/ColorSpaceConverter.h"
#include "engine/stereo/StereoGeometry.h"
#include "platform/surface/PictureScaler.h"

namespace orvo::stereo {
namespace {

// A band is about this many bytes per view, so that it stays in the second-level cache
// between being converted and being written out.
constexpr size_t kBandBytes = 64 * 1024;

constexpr uint32_t kOpaqueBlack = 0xFF000000;
constexpr size_t kFlatShift = 7;   // pseudo-stereo: the second view is 7 pixels earlier
constexpr size_t kShownShift = 8;  // 2D shown shifted by 8 pixels

// Where output rows [first, last) (in memory order) go, and what each gets on the way:
// row m is written at target + (m - first) * pitch (a negative pitch turns them over).
struct Writer {
    uint8_t* target;
    ptrdiff_t pitch;
    int32_t first;
    int32_t last;
    bool grey;
    uint32_t greyChannels;
    const StereoKernels& k;

    bool Has(int32_t m) const { return m >= first && m < last; }
    uint8_t* Row(int32_t m) const { return target + ptrdiff_t(m - first) * pitch; }
    void Finish(uint8_t* row, size_t pixels) const {
        if (grey) k.greyMix(row, pixels, greyChannels);
    }
};

// Full frame: the row as it is, its halves swapped (view 3) or mirrored (view 2).
void WholeRow(const FrameDescriptor& d, uint8_t* out, const uint8_t* src, size_t w) {
    if (d.stereoMode == STEREO_FULL_FRAME && d.viewMode == VIEW_FIRST) {
        const size_t half = w / 2;
        std::memcpy(out, src + 4 * (w - half), 4 * half);
        std::memcpy(out + 4 * half, src + 4 * half, 4 * (w - 2 * half));
        std::memcpy(out + 4 * (w - half), src, 4 * half);
    } else if (d.stereoMode == STEREO_FULL_FRAME && d.viewMode == VIEW_GREEN_MAGENTA) {
        for (size_t x = 0; x < w; ++x) std::memcpy(out + 4 * x, src + 4 * (w - 1 - x), 4);
    } else {
        std::memcpy(out, src, 4 * w);
    }
}

// 2D pseudo-stereo, row r of W >= 8 pixels, with `carry` the previous row's last 8 pixels.
// The shift runs across row ends: a row's first pixels pair with the previous row's last.
void ShiftedRow(const ViewRule& rule, uint8_t* out, const uint8_t* src, const uint8_t* carry, bool firstRow,
                size_t W, uint8_t* line, const StereoKernels& k) {
    if (rule.kind == ViewKind::Anaglyph) {
        // line = the previous row's last 7 pixels, then this row: line[x] is pixel p - 7.
        std::memcpy(line, carry + 4 * (kShownShift - kFlatShift), 4 * kFlatShift);
        std::memcpy(line + 4 * kFlatShift, src, 4 * W);
        if (firstRow) {
            // The frame's first 7 pixels have no earlier pixel and stay as they are.
            std::memcpy(out, src, 4 * kFlatShift);
            Anaglyph(rule, out + 4 * kFlatShift, src + 4 * kFlatShift, line + 4 * kFlatShift, W - kFlatShift, k);
        } else {
            Anaglyph(rule, out, src, line, W, k);
        }
    } else if (rule.kind == ViewKind::Second) {
        std::memcpy(out, carry, 4 * kShownShift);
        std::memcpy(out + 4 * kShownShift, src, 4 * (W - kShownShift));
    } else {
        std::memcpy(out, src, 4 * W);
    }
}

}  // namespace

bool ConvertedRows::HasRows() const { return m_source && m_converter.ConvertsRows() && m_bytes >= m_converter.SourceSize(); }

const uint8_t* ConvertedRows::Rows(int32_t first, int32_t count, uint8_t* band) {
    const ptrdiff_t pitch = ptrdiff_t(m_converter.Width()) * 4;
    return m_converter.ConvertRows(m_source, m_bytes, first, count, band, pitch) ? band : nullptr;
}

uint8_t* ConvertedRows::Whole() {
    if (m_bytes < m_converter.SourceSize()) return nullptr;
    return m_converter.Convert(m_source, m_bytes);
}

bool HasRowForm(const FrameDescriptor& d, const FrameRows& rows, int32_t targetWidth, int32_t targetHeight) {
    if (!rows.HasRows() || d.sourceWidth <= 0 || d.sourceHeight <= 0) return false;
    const FrameSize size = StereoOutputSize(d.stereoMode, d.viewMode, d.sourceWidth, d.sourceHeight);
    if (size.width <= 0 || size.height <= 0 || FrameSize{d.width, d.height} != size) return false;
    if (targetWidth != d.width || targetHeight != d.height) return false;
    const StereoGeometry& g = GeometryOf(d.stereoMode, d.viewMode);
    const ViewRule& rule = ViewRuleOf(d.viewMode);  // the row form does not depend on the options
    // Side by side with a view mode of 5 or more shows bytes that do not follow rows.
    if (g.combine == Combine::Views && g.split == Split::Columns && rule.kind == ViewKind::Other) return false;
    // The 2D shift runs across rows; a row of fewer pixels than the shift is left whole.
    if (g.combine == Combine::Shifted && size_t(d.sourceWidth) < kShownShift) return false;
    return true;
}

namespace {

// Writes d's output rows out.first to out.last - 1 (memory order) of rows.
bool TransformRange(const FrameDescriptor& d, FrameRows& rows, const Writer& out, PictureStore& store,
                    const StereoKernels& k) {
    const StereoGeometry& g = GeometryOf(d.stereoMode, d.viewMode);
    const ViewRule rule = ViewRuleOf(d);
    const size_t W = size_t(d.sourceWidth), w = size_t(d.width);
    const int32_t H = d.sourceHeight, h = d.height;
    // Bands of an even number of rows, so that 4:2:0 row pairs stay together.
    const int32_t band = int32_t(std::max<size_t>(2, kBandBytes / (4 * W)) & ~size_t(1));
    uint8_t* firstBand = store.Band(0, size_t(band) * 4 * W);
    uint8_t* secondBand = store.Band(1, size_t(band) * 4 * W + 4 * kFlatShift);
    if (!firstBand || !secondBand) return false;
    const bool stackedViews = g.split == Split::Rows && g.combine == Combine::Views;
    const bool needsFirst = !(stackedViews && rule.kind == ViewKind::Second);
    const bool needsSecond = g.split == Split::Rows && (g.combine == Combine::Beside ||
                                                        rule.kind == ViewKind::Anaglyph ||
                                                        rule.kind == ViewKind::Second);
    // With the eyes swapped the first view is read where the second lies and the other way
    // round: h rows further on (stacked) or w pixels into the row (side by side).
    // A stacked pair's view mode of 6 or more shows the frame's first rows, eyes or not.
    const bool swap = d.options.swapEyes && g.split != Split::None &&
                      !(g.combine == Combine::Views && rule.kind == ViewKind::Other);
    const int32_t firstRow = swap && g.split == Split::Rows ? h : 0, secondRow = h - firstRow;
    const size_t firstAt = swap && g.split == Split::Columns ? 4 * w : 0, secondAt = 4 * w - firstAt;
    uint8_t carry[4 * kShownShift];
    // Before the first row: what the 2D shift brings in at the frame's start.
    for (size_t i = 0; i < kShownShift; ++i) std::memcpy(carry + 4 * i, &kOpaqueBlack, 4);

    // Reads source rows [from, to) band by band; each source row makes the output rows of
    // the range it feeds. Each band is read once per view.
    const auto walk = [&](int32_t from, int32_t to) {
        for (int32_t r0 = from; r0 < to; r0 += band) {
            const int32_t n = std::min(band, to - r0);
            const uint8_t* first = nullptr;
            const uint8_t* second = nullptr;
            if (needsFirst && !(first = rows.Rows(r0 + firstRow, n, firstBand))) return false;
            if (needsSecond && !(second = rows.Rows(r0 + secondRow, n, secondBand))) return false;
            for (int32_t i = 0; i < n; ++i) {
                const int32_t r = r0 + i;
                const uint8_t* a = first ? first + size_t(i) * 4 * W : nullptr;
                const uint8_t* b = second ? second + size_t(i) * 4 * W : nullptr;
                switch (g.combine) {
                    case Combine::Whole:
                        WholeRow(d, out.Row(r), a, w);
                        out.Finish(out.Row(r), w);
                        break;
                    case Combine::Views:
                        if (g.split == Split::Columns)
                            ViewRow(rule, out.Row(r), a + firstAt, a + secondAt, w, k);
                        else
                            ViewRow(rule, out.Row(r), a, b, w, k);
                        out.Finish(out.Row(r), w);
                        break;
                    case Combine::Beside:
                        std::memcpy(out.Row(r), a, 4 * W);
                        std::memcpy(out.Row(r) + 4 * W, b, 4 * W);
                        out.Finish(out.Row(r), w);
                        break;
                    case Combine::Stacked:
                        if (out.Has(r)) {
                            std::memcpy(out.Row(r), a + firstAt, 4 * w);
                            out.Finish(out.Row(r), w);
                        }
                        if (out.Has(H + r)) {
                            std::memcpy(out.Row(H + r), a + secondAt, 4 * w);
                            out.Finish(out.Row(H + r), w);
                        }
                        break;
                    case Combine::Shifted:
                        // A row before the range is read only for what it carries over.
                        if (out.Has(r)) {
                            ShiftedRow(rule, out.Row(r), a, carry, r == 0, W, secondBand, k);
                            out.Finish(out.Row(r), w);
                        }
                        std::memcpy(carry, a + 4 * (W - kShownShift), sizeof carry);
                        break;
                }
            }
        }
        return true;
    };

    switch (g.combine) {
        case Combine::Stacked: {
            // Output row m is the first half of source row m (m < H) or the second half of
            // source row m - H. Where the two runs of source rows meet they are read once.
            const int32_t topFrom = std::max(out.first, 0), topTo = std::min(out.last, H);
            const int32_t bottomFrom = std::max(out.first - H, 0), bottomTo = std::min(out.last - H, H);
            if (topFrom < topTo && bottomFrom < bottomTo && bottomFrom <= topTo && topFrom <= bottomTo)
                return walk(std::min(topFrom, bottomFrom), std::max(topTo, bottomTo));
            return (topFrom >= topTo || walk(topFrom, topTo)) && (bottomFrom >= bottomTo || walk(bottomFrom, bottomTo));
        }
        case Combine::Shifted:
            // The row before the range carries its last pixels into the range's first row.
            return walk(std::max(out.first - 1, 0), out.last);
        default:
            return walk(out.first, out.last);
    }
}

// Read once per frame: the caller's thread stores it without the frame lock, and a frame
// is grey-mixed whole or not at all.
bool GreyMixOn(const FrameDescriptor& d) { return d.greyMix.load(std::memory_order_relaxed) == 1; }

// The writer of upright picture rows [top, bottom) into target, row top first.
Writer UprightRows(const FrameDescriptor& d, bool grey, int32_t top, int32_t bottom, uint8_t* target, ptrdiff_t pitch,
                   const StereoKernels& k) {
    const uint32_t channels = ViewRuleOf(d).greyChannels;
    grey = grey && channels;
    if (d.topDown) return {target, pitch, top, bottom, grey, channels, k};
    // Bottom-up: memory row m is upright row height - 1 - m.
    return {target + ptrdiff_t(bottom - top - 1) * pitch, -pitch, d.height - bottom, d.height - top, grey, channels,
            k};
}

}  // namespace

bool TransformRows(const FrameDescriptor& d, FrameRows& rows, uint8_t* target, ptrdiff_t pitch, PictureStore& store,
                   const StereoKernels& k) {
    return TransformRange(d, rows, UprightRows(d, GreyMixOn(d), 0, d.height, target, pitch, k), store, k);
}

bool TransformRowsScaled(const FrameDescriptor& d, FrameRows& rows, const surface::Canvas& dest, PictureStore& store,
                         const StereoKernels& k, size_t bandBytes) {
    const int32_t pw = d.width, ph = d.height;
    if (dest.width <= 0 || dest.height <= 0 || pw <= 0 || ph <= 0) return false;
    const ptrdiff_t pitch = ptrdiff_t(pw) * 4;
    const int32_t pictureRows = int32_t(std::max<ptrdiff_t>(4, ptrdiff_t(bandBytes) / pitch));
    const int32_t destBand = int32_t(std::clamp<int64_t>(int64_t(pictureRows) * dest.height / ph, 1, dest.height));
    int32_t most = 0;
    for (int32_t top = 0; top < dest.height; top += destBand) {
        const surface::RowSpan span = surface::SourceRowsOf(top, std::min(dest.height, top + destBand), ph, dest.height);
        most = std::max(most, span.last - span.first);
    }
    // Room for the most rows a band reads, the row the stretch may read past the picture's
    // last, and what it may read past that.
    uint8_t* band = store.Scratch(size_t(most + 1) * size_t(pitch) + surface::kBandSlack);
    if (!band) return false;
    const bool grey = GreyMixOn(d);
    // Upright picture rows [made, end) are in band, from its first row on; consecutive
    // bands share rows, which are kept rather than made again.
    int32_t made = 0, end = 0;
    for (int32_t top = 0; top < dest.height; top += destBand) {
        const int32_t bottom = std::min(dest.height, top + destBand);
        const surface::RowSpan span = surface::SourceRowsOf(top, bottom, ph, dest.height);
        if (span.first >= made && span.first < end) {
            std::memmove(band, band + ptrdiff_t(span.first - made) * pitch, size_t(end - span.first) * size_t(pitch));
        } else {
            end = span.first;
        }
        made = span.first;
        if (span.last > end) {
            const Writer out = UprightRows(d, grey, end, span.last, band + ptrdiff_t(end - made) * pitch, pitch, k);
            if (!TransformRange(d, rows, out, store, k)) return false;
            end = span.last;
        }
        if (!surface::ScaleBand(band, int32_t(pitch), {made, end}, pw, ph, dest.pixels + ptrdiff_t(top) * dest.pitch,
                                dest.pitch, dest.width, dest.height, top, bottom))
            return false;
    }
    return true;
}

}  // namespace orvo::stereo
