#pragma once
// How a channel's two views lie in its frames, as found when it opened.
#include <cstdint>

namespace orvo::engine {

enum class Layout : int32_t { Unknown = 0, Flat = 1, SideBySide = 2, TopBottom = 3 };
enum class LayoutSource : int32_t { Nothing = 0, Stream = 1, Container = 2, Name = 3 };

struct StereoLayout {
    Layout layout = Layout::Unknown;
    bool rightFirst = false;  // the left or top view is the right eye
    bool halfPacked = false;  // each view squeezed to half the width (side by side) or height
    LayoutSource source = LayoutSource::Nothing;
    int32_t aspectNum = 0;  // the whole frame's display aspect; 0:0 without a picture
    int32_t aspectDen = 0;
    bool operator==(const StereoLayout&) const = default;
};

}  // namespace orvo::engine
