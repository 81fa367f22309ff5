#pragma once
// Weaves the two fields of interlaced pictures into progressive ones with libavfilter's bwdif
// (yadif where bwdif is not built), one picture out for each picture in: the frame rate, the
// frame times and the output type stay those of the stream, at half the work of field rate.
// Pictures not flagged interlaced that go through it come out as they went in.
//
// Threads: the video decoder filter's streaming thread only.
#include <functional>

extern "C" {
#include <libavutil/frame.h>
}

#include "platform/com/HResult.h"

struct AVFilterGraph;
struct AVFilterContext;

namespace orvo::ffmpeg {

class Deinterlacer {
public:
    using Deliver = std::function<HRESULT(const AVFrame&)>;

    Deinterlacer();
    ~Deinterlacer();
    Deinterlacer(const Deinterlacer&) = delete;
    Deinterlacer& operator=(const Deinterlacer&) = delete;

    // Takes frame (null: the end of the stream, which lets out the picture held back for its
    // successor) and delivers every picture that comes out, stopping at the first result that is
    // not S_OK. E_FAIL when no filter takes frames of this format: the caller shows them as they are.
    HRESULT Push(const AVFrame* frame, const Deliver& deliver);
    // Forgets the pictures held (a flush, a seek, the end of the stream).
    void Reset();
    // Whether pictures are on their way through the filter.
    bool Active() const { return m_graph != nullptr; }

private:
    HRESULT Build(const AVFrame& frame);
    HRESULT Drain(const Deliver& deliver);

    AVFilterGraph* m_graph = nullptr;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
    AVFrame* m_out;
    int m_width = 0, m_height = 0, m_format = -1;
    int m_refusedFormat = -1;  // no filter took frames of this format: not tried again
};

}  // namespace orvo::ffmpeg
