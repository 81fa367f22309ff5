#pragma once
// FFmpeg's stereo3d filter as the peer the anaglyphs are held to: one RGB24 frame of a
// side-by-side pair (left view first) through buffer -> stereo3d=sbsl:<output> -> buffersink,
// on one thread.
#include <cstdint>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavutil/frame.h>
}

namespace orvo::test {

class Stereo3dPeer {
public:
    // output: stereo3d's output format name, such as "arcd".
    Stereo3dPeer(int width, int height, const char* output);
    ~Stereo3dPeer();
    Stereo3dPeer(const Stereo3dPeer&) = delete;
    Stereo3dPeer& operator=(const Stereo3dPeer&) = delete;

    // Whether the filter graph and the input frame were made.
    bool Ok() const { return m_ok; }
    // The RGB24 frame to fill, kept from run to run.
    AVFrame* Input() const { return m_input; }
    // Filters the input frame once; the RGB24 picture, valid until the next run, or nullptr.
    const AVFrame* Run();

private:
    AVFilterGraph* m_graph = nullptr;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
    AVFrame* m_input = nullptr;
    AVFrame* m_output = nullptr;
    int64_t m_pts = 0;
    bool m_ok = false;
};

}  // namespace orvo::test
