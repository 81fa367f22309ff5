#pragma once
// Owning pointers for FFmpeg's encoder objects, for the tools that write media files.
// Header-only, so a tool needs FFmpeg's headers and libraries but not libPlatform.
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace orvo::av {

struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

}  // namespace orvo::av
