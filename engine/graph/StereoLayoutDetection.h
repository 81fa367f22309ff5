#pragma once
// How a file's two views lie in its frames, found when it opens: from the video stream's
// frame-packing message, else the container's stereo mode, else a marker in the file name;
// without any of them the layout is unknown, never guessed from the picture's shape.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/channel/StereoLayout.h"

namespace orvo::engine {

// What one source says: nothing (said = false), or a layout with its eye order and, where
// the source carries it, its packing.
struct LayoutSignal {
    bool said = false;
    Layout layout = Layout::Unknown;
    bool rightFirst = false;
    enum class Packing : uint8_t { FromAspect, Half, Full } packing = Packing::FromAspect;
};

// What the file name says: the marker after its last '-' or '_' before the extension
// (lr, rl, tb, ab, bt, ba, with h or q for half packing, 2d), else the words sbs, hsbs,
// half-sbs, fsbs, tab, htab, ou, hou or half-ou anywhere in it; case-insensitive.
LayoutSignal LayoutFromName(std::string_view fileName);

// The first source that says something, with the packing it gives or, where it gives none,
// the one the frame's display aspect suggests: side by side is half below 2.5:1, top/bottom
// half from 1.2:1 up.
StereoLayout DecideLayout(const LayoutSignal& stream, const LayoutSignal& container, const LayoutSignal& name,
                          int32_t aspectNum, int32_t aspectDen);

// Whether a pair of this layout with this whole-frame aspect is half packed by the aspect.
bool HalfPackedByAspect(Layout layout, int32_t aspectNum, int32_t aspectDen);

// Opens the file (UTF-8 path) with FFmpeg, reads the container's stereo mode and decodes
// the first key frame for its frame-packing message and display aspect.
StereoLayout DetectStereoLayout(const std::string& path);

}  // namespace orvo::engine
