#include "platform/filters/ffmpeg/Deinterlacer.h"

#include <string>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/error.h>
}

namespace orvo::ffmpeg {
namespace {

const AVFilter* FieldFilter() {
    if (const AVFilter* bwdif = avfilter_get_by_name("bwdif")) return bwdif;
    return avfilter_get_by_name("yadif");
}

}  // namespace

Deinterlacer::Deinterlacer() : m_out(av_frame_alloc()) {}

Deinterlacer::~Deinterlacer() {
    Reset();
    av_frame_free(&m_out);
}

void Deinterlacer::Reset() {
    avfilter_graph_free(&m_graph);
    m_source = m_sink = nullptr;
    m_format = -1;
}

// buffer -> bwdif (send_frame, the parity the frames say, only frames flagged interlaced) -> sink,
// in the decoder's 100-ns time base.
HRESULT Deinterlacer::Build(const AVFrame& frame) {
    Reset();
    const AVFilter* fields = FieldFilter();
    if (!m_out || !fields || !(m_graph = avfilter_graph_alloc())) return E_FAIL;
    m_graph->nb_threads = 1;
    const std::string source = "video_size=" + std::to_string(frame.width) + "x" + std::to_string(frame.height) +
                               ":pix_fmt=" + std::to_string(frame.format) + ":time_base=1/10000000:pixel_aspect=1/1";
    AVFilterContext* deinterlace = nullptr;
    const bool built =
        avfilter_graph_create_filter(&m_source, avfilter_get_by_name("buffer"), "in", source.c_str(), nullptr,
                                     m_graph) >= 0 &&
        avfilter_graph_create_filter(&deinterlace, fields, "fields", "mode=send_frame:parity=auto:deint=interlaced",
                                     nullptr, m_graph) >= 0 &&
        avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, m_graph) >=
            0 &&
        avfilter_link(m_source, 0, deinterlace, 0) >= 0 && avfilter_link(deinterlace, 0, m_sink, 0) >= 0 &&
        avfilter_graph_config(m_graph, nullptr) >= 0;
    if (!built) {
        Reset();
        return E_FAIL;
    }
    m_width = frame.width, m_height = frame.height, m_format = frame.format;
    return S_OK;
}

HRESULT Deinterlacer::Push(const AVFrame* frame, const Deliver& deliver) {
    if (frame && (!m_graph || frame->width != m_width || frame->height != m_height || frame->format != m_format)) {
        // A new shape: what the old filter holds goes out first.
        if (m_graph) {
            if (HRESULT hr = Push(nullptr, deliver); hr != S_OK) return hr;
        }
        if (frame->format == m_refusedFormat) return E_FAIL;
        if (FAILED(Build(*frame))) {
            m_refusedFormat = frame->format;
            return E_FAIL;
        }
    }
    if (!m_graph) return S_OK;
    // The filter takes its own reference; the decoder's frame stays as it is.
    if (av_buffersrc_write_frame(m_source, frame) < 0) return E_FAIL;
    const HRESULT hr = Drain(deliver);
    if (!frame) Reset();
    return hr;
}

HRESULT Deinterlacer::Drain(const Deliver& deliver) {
    HRESULT result = S_OK;
    while (av_buffersink_get_frame(m_sink, m_out) >= 0) {
        if (result == S_OK) result = deliver(*m_out);
        av_frame_unref(m_out);
    }
    return result;
}

}  // namespace orvo::ffmpeg
