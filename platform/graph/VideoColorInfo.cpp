#include "platform/graph/VideoColorInfo.h"

#include <cstdlib>

#include "platform/graph/MediaFormats.h"

namespace orvo::graph {
namespace {

constexpr int kRangeShift = 12, kMatrixShift = 15;
constexpr DWORD kFieldMask = 7;

constexpr DWORD kRangeValues[] = {0, 2, 1};             // by ColorRange
constexpr DWORD kMatrixValues[] = {0, 2, 1, 4, 3, 6};  // by ColorMatrix

template <class Enum, size_t N>
Enum EnumOf(const DWORD (&values)[N], DWORD value) {
    for (size_t i = 1; i < N; ++i)
        if (values[i] == value) return Enum(i);
    return Enum(0);
}

}  // namespace

DWORD ControlFlagsOf(const VideoColorInfo& info) {
    if (info == VideoColorInfo{}) return 0;
    return kColorInfoPresent | kRangeValues[size_t(info.range)] << kRangeShift |
           kMatrixValues[size_t(info.matrix)] << kMatrixShift;
}

VideoColorInfo ColorInfoOfControlFlags(DWORD flags) {
    if (!(flags & kColorInfoPresent)) return {};
    return {EnumOf<ColorMatrix>(kMatrixValues, flags >> kMatrixShift & kFieldMask),
            EnumOf<ColorRange>(kRangeValues, flags >> kRangeShift & kFieldMask)};
}

VideoColorInfo ColorInfoOf(const AM_MEDIA_TYPE& type) {
    if (type.formattype != FORMAT_VideoInfo2 || !type.pbFormat || type.cbFormat < sizeof(VIDEOINFOHEADER2)) return {};
    return ColorInfoOfControlFlags(reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->dwControlFlags);
}

VideoColorInfo ResolvedColorInfo(VideoColorInfo info, int32_t width, int32_t height) {
    if (info.matrix == ColorMatrix::Unspecified)
        info.matrix = std::abs(int64_t(height)) >= 720 || width >= 1280 ? ColorMatrix::Bt709 : ColorMatrix::Bt601;
    if (info.range == ColorRange::Unspecified) info.range = ColorRange::Limited;
    return info;
}

}  // namespace orvo::graph
