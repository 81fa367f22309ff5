#pragma once
// The clips the test suites use: what each one holds, so that a test can state what it expects
// from the same table the generator writes from.
#include <string_view>
#include <vector>

namespace orvo::test {

enum class ViewLayout { Flat, SideBySide, TopBottom };

// A layout signal a clip carries (in its container, or as an HEVC frame-packing message the
// generator writes into each key frame): which layout, and whether the right view is first.
struct StereoSignal {
    enum Kind { None, SideBySide, TopBottom } kind = None;
    bool rightFirst = false;
};
enum class Damage { None, Truncated, RandomBytes };

struct VideoTrack {
    const char* encoder;      // FFmpeg encoder name
    const char* pixelFormat;  // FFmpeg pixel format name the clip is stored in
    int width, height;
    int fpsNum, fpsDen;
    int frames;
    ViewLayout layout;
    const char* options = "";  // encoder options, "key=value:key=value"
    bool solid = false;        // each view one flat colour (SolidViewPixel), the same in every frame
    // Colour tags "matrix/range" in FFmpeg's names (bt709/tv, bt2020nc/pc, ...); none when null.
    const char* colour = nullptr;
    bool quadrants = false;  // YUV: four flat quadrants of QuadrantSample, the same in every frame
    // YUV: each field shows a vertical edge (MovingEdgeAt) half a frame after the one before,
    // stored interlaced, top field first.
    bool interlaced = false;
    StereoSignal container{};  // the container's stereo mode (Matroska StereoMode, MP4 st3d)
    StereoSignal hevcMessage{};  // an HEVC frame-packing message in every key frame
    int sarNum = 0, sarDen = 0;  // sample aspect ratio; 0 leaves it unset (square)
};

struct AudioTrack {
    const char* encoder;
    int sampleRate;
    int channels;
    int toneHz;            // a sine at this frequency
    const char* language;  // ISO 639-2 tag, or ""
};

struct ClipSpec {
    const char* name;       // file name, also the name tests ask for
    const char* container;  // FFmpeg muxer name
    std::vector<VideoTrack> video;
    std::vector<AudioTrack> audio;
    const char* subtitleLanguage = nullptr;  // one SubRip track when set
    Damage damage = Damage::None;
};

// Every clip; names are unique.
const std::vector<ClipSpec>& ClipCatalog();
// The clip of that name, or nullptr.
const ClipSpec* FindClip(std::string_view name);

// The subtitle cues of a clip with a subtitle track: one per second, lasting 800 ms.
constexpr const char* kSubtitleText = "Cue";

}  // namespace orvo::test
