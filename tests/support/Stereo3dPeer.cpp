#include "tests/support/Stereo3dPeer.h"

#include <cstdio>
#include <string>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace orvo::test {

Stereo3dPeer::Stereo3dPeer(int width, int height, const char* output) {
    m_graph = avfilter_graph_alloc();
    m_input = av_frame_alloc();
    m_output = av_frame_alloc();
    if (!m_graph || !m_input || !m_output) return;
    m_graph->nb_threads = 1;  // one core, as the engine's transform uses
    char args[128];
    std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=rgb24:time_base=1/25:pixel_aspect=1/1", width, height);
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    m_ok = outputs && inputs &&
           avfilter_graph_create_filter(&m_source, avfilter_get_by_name("buffer"), "in", args, nullptr, m_graph) >= 0 &&
           avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, m_graph) >= 0;
    if (m_ok) {
        outputs->name = av_strdup("in");
        outputs->filter_ctx = m_source;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = m_sink;
        const std::string chain = std::string("stereo3d=sbsl:") + output + ",format=rgb24";
        m_ok = avfilter_graph_parse_ptr(m_graph, chain.c_str(), &inputs, &outputs, nullptr) >= 0 &&
               avfilter_graph_config(m_graph, nullptr) >= 0;
    }
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    m_input->width = width;
    m_input->height = height;
    m_input->format = AV_PIX_FMT_RGB24;
    m_ok = m_ok && av_frame_get_buffer(m_input, 0) >= 0;
}

Stereo3dPeer::~Stereo3dPeer() {
    av_frame_free(&m_input);
    av_frame_free(&m_output);
    avfilter_graph_free(&m_graph);
}

const AVFrame* Stereo3dPeer::Run() {
    if (!m_ok) return nullptr;
    av_frame_unref(m_output);
    m_input->pts = m_pts++;
    if (av_buffersrc_add_frame_flags(m_source, m_input, AV_BUFFERSRC_FLAG_KEEP_REF) < 0) return nullptr;
    return av_buffersink_get_frame(m_sink, m_output) >= 0 ? m_output : nullptr;
}

}  // namespace orvo::test
