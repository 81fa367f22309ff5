#include "platform/surface/PictureScaler.h"

#include <libyuv/scale_argb.h>

#include <algorithm>
#include <cstring>

namespace orvo::surface {
namespace {

// The stretch places a destination row within about a row of where the exact ratio puts
// it; two rows either side cover every row it reads.
constexpr int64_t kSpareRows = 2;

}  // namespace

bool ScalePicture(const PixelRect& source, uint8_t* dest, int32_t destPitch, int32_t destWidth, int32_t destHeight,
                  const RECT& clip) {
    // libyuv writes the clip at its place in a whole destination picture; shift the
    // picture's start so that place is dest. Only the clip is written.
    const uintptr_t shift = uintptr_t(clip.top) * uintptr_t(destPitch) + uintptr_t(clip.left) * 4;
    auto* whole = reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(dest) - shift);
    return libyuv::ARGBScaleClip(source.pixels, source.pitch, source.width, source.height, whole, destPitch,
                                 destWidth, destHeight, clip.left, clip.top, RectWidth(clip), RectHeight(clip),
                                 libyuv::kFilterBilinear) == 0;
}

RowSpan SourceRowsOf(int32_t top, int32_t bottom, int32_t sourceHeight, int32_t destHeight) {
    if (destHeight <= 0 || sourceHeight <= 0) return {0, 0};
    const int64_t first = int64_t(top) * sourceHeight / destHeight - kSpareRows;
    const int64_t last = (int64_t(bottom) * sourceHeight + destHeight - 1) / destHeight + kSpareRows;
    return {int32_t(std::clamp<int64_t>(first, 0, sourceHeight)), int32_t(std::clamp<int64_t>(last, 0, sourceHeight))};
}

bool ScaleBand(uint8_t* band, int32_t pitch, RowSpan span, int32_t sourceWidth, int32_t sourceHeight, uint8_t* dest,
               int32_t destPitch, int32_t destWidth, int32_t destHeight, int32_t top, int32_t bottom) {
    if (span.first >= span.last) return false;
    const size_t rows = size_t(span.last - span.first);
    if (span.last == sourceHeight)
        std::memcpy(band + rows * size_t(pitch), band + (rows - 1) * size_t(pitch), size_t(sourceWidth) * 4);
    // The band stands for the whole picture: its first row is row span.first. Only rows of
    // the span (and the spare row) are read.
    const uintptr_t before = uintptr_t(span.first) * uintptr_t(pitch);
    const auto* whole = reinterpret_cast<const uint8_t*>(reinterpret_cast<uintptr_t>(band) - before);
    return ScalePicture({whole, pitch, sourceWidth, sourceHeight}, dest, destPitch, destWidth, destHeight,
                        {0, top, destWidth, bottom});
}

}  // namespace orvo::surface
