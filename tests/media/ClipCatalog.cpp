#include "tests/media/ClipCatalog.h"

namespace orvo::test {
namespace {

constexpr AudioTrack kPcmTone{"pcm_s16le", 48000, 2, 440, ""};

VideoTrack Lossless(int width, int height, int frames, ViewLayout layout = ViewLayout::Flat,
                    const char* pixelFormat = "bgr0") {
    return {"ffv1", pixelFormat, width, height, 25, 1, frames, layout};
}

VideoTrack Quadrants(const char* encoder, const char* pixelFormat, int width, int height, const char* colour,
                     const char* options) {
    return {encoder, pixelFormat, width, height, 25, 1, 10, ViewLayout::Flat, options, false, colour, true};
}

VideoTrack Interlaced(const char* encoder, const char* options) {
    VideoTrack track{encoder, "yuv420p", 320, 240, 25, 1, 20, ViewLayout::Flat, options};
    track.interlaced = true;
    return track;
}

// A short clip of one video track for the layout detection, named with its markers.
VideoTrack Signalled(const char* encoder, int width, int height, StereoSignal container,
                     const char* options = "", StereoSignal hevcMessage = {}) {
    VideoTrack t{encoder, "yuv420p", width, height, 25, 1, 10, ViewLayout::Flat, options};
    t.container = container;
    t.hevcMessage = hevcMessage;
    return t;
}

std::vector<ClipSpec> MakeCatalog() {
    using S = StereoSignal;
    VideoTrack anamorphic = Lossless(720, 576, 40, ViewLayout::Flat, "yuv420p");
    anamorphic.sarNum = 64, anamorphic.sarDen = 45;
    return {
        {"sbs.mkv", "matroska", {Lossless(640, 240, 50, ViewLayout::SideBySide)}, {kPcmTone}},
        {"tb.mkv", "matroska", {Lossless(320, 360, 50, ViewLayout::TopBottom)}, {kPcmTone}},
        {"flat.mkv", "matroska", {Lossless(320, 240, 75)}, {kPcmTone}},
        {"multi.mkv",
         "matroska",
         {Lossless(320, 240, 75)},
         {{"ac3", 48000, 2, 440, "eng"}, {"mp2", 48000, 2, 1000, "ger"}},
         "eng"},
        {"audio_only.mp3", "mp3", {}, {{"libmp3lame", 44100, 2, 440, ""}}},
        {"video_only.mkv", "matroska", {Lossless(320, 240, 50)}, {}},
        {"fps23976.mkv", "matroska", {{"ffv1", "yuv420p", 320, 240, 24000, 1001, 48, ViewLayout::Flat}}, {}},
        {"fps24.mkv", "matroska", {{"ffv1", "bgr0", 64, 48, 24, 1, 24, ViewLayout::Flat}}, {}},
        {"fps60.mkv", "matroska", {{"ffv1", "bgr0", 64, 48, 60, 1, 40, ViewLayout::Flat}}, {}},
        // Four flat quadrants of known Y, U, V in each kind of colour a library holds.
        {"bt709_720p.mkv", "matroska", {Quadrants("libx264", "yuv420p", 1280, 720, "bt709/tv", "qp=0")}, {}},
        {"untagged_720p.mkv", "matroska", {Quadrants("libx264", "yuv420p", 1280, 720, nullptr, "qp=0")}, {}},
        {"bt2020_hevc10.mkv", "matroska",
         {Quadrants("libx265", "yuv420p10le", 1920, 1080, "bt2020nc/tv", "preset=ultrafast:x265-params=lossless=1:log-level=error")}, {}},
        {"full_range.mkv", "matroska", {Quadrants("libx264", "yuv420p", 640, 360, "smpte170m/pc", "qp=0")}, {}},
        {"limited_range.mkv", "matroska", {Quadrants("libx264", "yuv420p", 640, 360, "smpte170m/tv", "qp=0")}, {}},
        {"prores422.mkv", "matroska", {Quadrants("prores_ks", "yuv422p10le", 640, 360, nullptr, "")}, {}},
        {"h264_444.mkv", "matroska", {Quadrants("libx264", "yuv444p", 640, 360, nullptr, "qp=0")}, {}},
        // A vertical edge moving from field to field, stored interlaced.
        {"interlaced_mpeg2.mkv", "matroska", {Interlaced("mpeg2video", "b=4000000")}, {}},
        {"mbaff_h264.mkv", "matroska", {Interlaced("libx264", "qp=0")}, {}},
        // B-frames in MPEG transport streams of 188 and 192-byte packets, lossless so that each
        // frame can be told from its pattern.
        {"h264_bframes.ts", "mpegts", {{"libx264", "yuv420p", 320, 240, 25, 1, 50, ViewLayout::Flat, "qp=0:bf=3"}}, {}},
        {"h264_bframes.m2ts", "mpegts", {{"libx264", "yuv420p", 320, 240, 25, 1, 50, ViewLayout::Flat, "qp=0:bf=3"}}, {}},
        {"hevc_bframes.ts", "mpegts",
         {{"libx265", "yuv420p", 320, 240, 25, 1, 50, ViewLayout::Flat, "x265-params=lossless=1:bframes=3:log-level=error"}}, {}},
        {"hevc_bframes.m2ts", "mpegts",
         {{"libx265", "yuv420p", 320, 240, 25, 1, 50, ViewLayout::Flat, "x265-params=lossless=1:bframes=3:log-level=error"}}, {}},
        {"10bit.mkv", "matroska", {Lossless(320, 240, 25, ViewLayout::Flat, "yuv420p10le")}, {}},
        {"odd.mkv", "matroska", {Lossless(321, 179, 25, ViewLayout::Flat, "yuv420p")}, {}},
        {"yuv422.mkv", "matroska", {Lossless(320, 240, 25, ViewLayout::Flat, "yuv422p")}, {}},
        {"yuv444.mkv", "matroska", {Lossless(320, 240, 25, ViewLayout::Flat, "yuv444p")}, {}},
        {"rgb24_odd.avi", "avi", {{"rawvideo", "bgr24", 321, 179, 25, 1, 25, ViewLayout::Flat}}, {}},
        {"h264.mkv", "matroska", {{"libx264", "yuv420p", 320, 240, 25, 1, 50, ViewLayout::Flat}}, {kPcmTone}},
        {"mpeg2.mkv", "matroska", {{"mpeg2video", "yuv420p", 320, 240, 25, 1, 50, ViewLayout::Flat}},
         {{"mp2", 48000, 2, 440, ""}}},
        // Each with one stream only the plug-ins decode, beside one the platform plays.
        {"h264_mp2.mkv", "matroska", {{"libx264", "yuv420p", 336, 192, 25, 1, 250, ViewLayout::Flat}},
         {{"mp2", 48000, 2, 440, ""}}},
        {"h264_mp2_subs.mkv", "matroska", {{"libx264", "yuv420p", 336, 192, 25, 1, 25, ViewLayout::Flat}},
         {{"mp2", 48000, 2, 440, ""}}, "eng"},
        {"mpeg2_aac.mkv", "matroska", {{"mpeg2video", "yuv420p", 320, 240, 25, 1, 25, ViewLayout::Flat}},
         {{"aac", 44100, 1, 440, ""}}},
        {"mpeg2_opus.mkv", "matroska", {{"mpeg2video", "yuv420p", 320, 240, 25, 1, 25, ViewLayout::Flat}},
         {{"libopus", 48000, 2, 440, ""}}},
        {"mjpeg.avi", "avi", {{"mjpeg", "yuvj420p", 320, 240, 25, 1, 50, ViewLayout::Flat}}, {kPcmTone}},
        {"h264_1080p.mkv", "matroska",
         {{"libx264", "yuv420p", 1920, 1080, 25, 1, 150, ViewLayout::Flat, "preset=veryfast"}}, {}},
        {"h264_1080p_30s.mkv", "matroska",
         {{"libx264", "yuv420p", 1920, 1080, 25, 1, 750, ViewLayout::Flat, "preset=veryfast"}}, {}},
        // Seeking: key frames 10 s and 250 frames apart (the encoders' default), so a seek
        // may decode seconds of pictures to reach its target.
        {"h264_1080p_gop10s.mkv", "matroska",
         {{"libx264", "yuv420p", 1920, 1080, 25, 1, 300, ViewLayout::Flat,
           "preset=veryfast:x264-params=keyint=250:min-keyint=250:scenecut=0"}},
         {}},
        {"hevc_2160p_gop250.mkv", "matroska",
         {{"libx265", "yuv420p", 3840, 2160, 30, 1, 300, ViewLayout::Flat,
           "preset=ultrafast:x265-params=log-level=error:keyint=250:min-keyint=250:scenecut=0"}},
         {}},
        {"hevc_2160p_sbs_30fps.mkv", "matroska",
         {{"libx265", "yuv420p", 3840, 2160, 30, 1, 300, ViewLayout::SideBySide, "preset=ultrafast:x265-params=log-level=error"}},
         {}},
        // 90.5 s long: the muxer takes the last frame's time as the length.
        {"long.mkv", "matroska", {{"ffv1", "bgr0", 16, 16, 2, 1, 182, ViewLayout::Flat}}, {}},
        // The player's clips: flat-coloured views for reading the anaglyphs back from the screen,
        // a 12 s clip for frame numbers past 10 s, and lengths that round half to even.
        {"sbs_solid.mkv", "matroska",
         {{"ffv1", "bgr0", 640, 240, 25, 1, 75, ViewLayout::SideBySide, "", true}}, {kPcmTone}},
        {"flat_12s.mkv", "matroska", {Lossless(64, 48, 300)}, {}},
        {"len75_5.mkv", "matroska", {{"ffv1", "bgr0", 16, 16, 2, 1, 152, ViewLayout::Flat}}, {}},
        {"len74_5.mkv", "matroska", {{"ffv1", "bgr0", 16, 16, 2, 1, 150, ViewLayout::Flat}}, {}},
        // Small clips that seed the fuzzers, a few kilobytes each so that mutations stay within
        // the fuzzers' input size (scripts/fuzz remuxes one into MP4).
        {"seed_ffv1.mkv", "matroska", {Lossless(32, 16, 10, ViewLayout::SideBySide)}, {{"pcm_s16le", 8000, 1, 440, ""}}},
        {"seed_h264.mkv", "matroska", {{"libx264", "yuv420p", 64, 32, 25, 1, 10, ViewLayout::TopBottom}},
         {{"mp2", 16000, 1, 440, ""}}},
        {"seed_mjpeg.avi", "avi", {{"mjpeg", "yuvj420p", 32, 16, 25, 1, 10, ViewLayout::Flat}}, {{"pcm_s16le", 8000, 1, 440, ""}}},
        {"seed_rgb24.avi", "avi", {{"rawvideo", "bgr24", 17, 9, 25, 1, 2, ViewLayout::Flat}}, {}},
        {"seed_audio.mp3", "mp3", {}, {{"libmp3lame", 8000, 1, 440, ""}}},
        {"seed_audio.mka", "matroska", {}, {{"libopus", 48000, 1, 440, ""}}},
        {"seed_subtitles.mkv", "matroska", {}, {}, "eng"},
        // Layout signals: the stream's message (top/bottom) beside a container and a name that
        // say side by side; a right-first HEVC message; each container signal; a half-width
        // name marker on a frame whose shape alone would say full width; a frame sequence, which
        // nothing here shows; a 16:9 picture stored 720 x 576.
        {"fp_tb-lr.mkv", "matroska",
         {Signalled("libx264", 320, 240, {S::SideBySide}, "x264-params=frame-packing=4")}, {}},
        {"hevc_sei.mkv", "matroska",
         {Signalled("libx265", 640, 240, {}, "x265-params=log-level=error", {S::SideBySide, true})}, {}},
        {"mkv_right_left.mkv", "matroska", {Signalled("ffv1", 320, 240, {S::SideBySide, true})}, {}},
        {"mkv_top_bottom.mkv", "matroska", {Signalled("ffv1", 320, 240, {S::TopBottom})}, {}},
        {"mkv_bottom_top.mkv", "matroska", {Signalled("ffv1", 320, 240, {S::TopBottom, true})}, {}},
        {"st3d.mp4", "mp4", {Signalled("libx264", 320, 180, {S::SideBySide}, "bf=0")}, {}},
        {"movie_lrh.mkv", "matroska", {Signalled("ffv1", 640, 240, {})}, {}},
        {"fp_frames-2d.mkv", "matroska",
         {Signalled("libx264", 320, 240, {}, "x264-params=frame-packing=5")}, {}},
        {"anamorphic.mkv", "matroska", {anamorphic}, {}},
        // Pairs without a signal, packed as their shape says: 16:9 at half width, 32:9 at full.
        {"pair_16x9.mkv", "matroska", {Lossless(640, 360, 10, ViewLayout::SideBySide)}, {}},
        {"pair_32x9.mkv", "matroska", {Lossless(1280, 360, 10, ViewLayout::SideBySide)}, {}},
        {"truncated.mkv", "matroska", {Lossless(320, 240, 75)}, {kPcmTone}, nullptr, Damage::Truncated},
        {"random.mkv", "", {}, {}, nullptr, Damage::RandomBytes},
    };
}

}  // namespace

const std::vector<ClipSpec>& ClipCatalog() {
    static const std::vector<ClipSpec> catalog = MakeCatalog();
    return catalog;
}

const ClipSpec* FindClip(std::string_view name) {
    for (const ClipSpec& clip : ClipCatalog())
        if (name == clip.name) return &clip;
    return nullptr;
}

}  // namespace orvo::test
