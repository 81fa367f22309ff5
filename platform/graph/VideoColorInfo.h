#pragma once
// How a YUV video type's samples map to RGB: the colour matrix and the range of the samples.
// A VIDEOINFOHEADER2 carries them in dwControlFlags as the extended format does: bit 7 says
// they are present, bits 12-14 the nominal range (1 full, 2 limited), bits 15-17 the transfer
// matrix (1 BT.709, 2 BT.601, 3 SMPTE 240M, 4 BT.2020 non-constant luminance, 6 FCC). A
// VIDEOINFOHEADER has no room for them: its colour is unspecified.
#include <cstdint>

#include "platform/graph/MediaType.h"

namespace orvo::graph {

enum class ColorMatrix : uint8_t { Unspecified, Bt601, Bt709, Bt2020, Smpte240m, Fcc };
enum class ColorRange : uint8_t { Unspecified, Limited, Full };

struct VideoColorInfo {
    ColorMatrix matrix = ColorMatrix::Unspecified;
    ColorRange range = ColorRange::Unspecified;
    bool operator==(const VideoColorInfo&) const = default;
};

inline constexpr DWORD kColorInfoPresent = 0x80;

// dwControlFlags for info; 0 when both parts are unspecified.
DWORD ControlFlagsOf(const VideoColorInfo& info);
VideoColorInfo ColorInfoOfControlFlags(DWORD flags);
// The colour a video type carries; unspecified for a type without a VIDEOINFOHEADER2.
VideoColorInfo ColorInfoOf(const AM_MEDIA_TYPE& type);

// What unspecified parts stand for in a picture of that size: BT.709 from 720 rows or 1280
// columns up, BT.601 below; limited range.
VideoColorInfo ResolvedColorInfo(VideoColorInfo info, int32_t width, int32_t height);

}  // namespace orvo::graph
