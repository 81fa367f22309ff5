#include "platform/filters/capture/CapturePattern.h"

#include <libyuv/convert_from_argb.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace orvo::capture {
namespace {

// Mid-range colours: every channel survives the trip through limited-range YUV.
constexpr uint32_t kBars[kPatternBars] = {0xC03020, 0x20B040, 0x3040C0, 0xC0B020,
                                          0x20B0B0, 0xB020B0, 0x808080, 0xE0E0E0};

// A full-range 4:2:0 picture as one Motion JPEG frame; empty when the encoder fails.
std::vector<uint8_t> EncodeJpeg(const uint8_t* argb, int width, int height) {
    std::vector<uint8_t> jpeg;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    if (context && frame && packet) {
        context->width = width;
        context->height = height;
        context->pix_fmt = AV_PIX_FMT_YUVJ420P;
        context->time_base = {1, 25};
        context->flags |= AV_CODEC_FLAG_QSCALE;
        context->global_quality = FF_QP2LAMBDA * 2;  // near lossless: the bars must keep their colours
        frame->format = context->pix_fmt;
        frame->width = width;
        frame->height = height;
        frame->quality = context->global_quality;
        if (avcodec_open2(context, codec, nullptr) == 0 && av_frame_get_buffer(frame, 0) == 0) {
            libyuv::ARGBToJ420(argb, width * 4, frame->data[0], frame->linesize[0], frame->data[1], frame->linesize[1],
                               frame->data[2], frame->linesize[2], width, height);
            if (avcodec_send_frame(context, frame) == 0 && avcodec_receive_packet(context, packet) == 0)
                jpeg.assign(packet->data, packet->data + packet->size);
        }
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    return jpeg;
}

}  // namespace

const uint32_t* PatternBarColours() { return kBars; }

uint32_t PatternColour(uint64_t frame, int x, int width) {
    const int bar = int((uint64_t(x) * kPatternBars / uint64_t(width) + frame) % kPatternBars);
    return kBars[bar];
}

std::vector<uint8_t> PatternFrame(uint64_t frame, int width, int height, const GUID& subtype) {
    if (width <= 0 || height <= 0 || width % 16 || height % 2) return {};
    std::vector<uint32_t> argb(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) argb[size_t(y) * width + x] = 0xFF000000u | PatternColour(frame, x, width);
    const auto* source = reinterpret_cast<const uint8_t*>(argb.data());
    const int stride = width * 4;
    const size_t luma = size_t(width) * height;
    std::vector<uint8_t> out;
    if (subtype == MEDIASUBTYPE_YUY2) {
        out.resize(luma * 2);
        libyuv::ARGBToYUY2(source, stride, out.data(), width * 2, width, height);
    } else if (subtype == MEDIASUBTYPE_NV12) {
        out.resize(luma * 3 / 2);
        libyuv::ARGBToNV12(source, stride, out.data(), width, out.data() + luma, width, width, height);
    } else if (subtype == MEDIASUBTYPE_I420) {
        out.resize(luma * 3 / 2);
        uint8_t* u = out.data() + luma;
        uint8_t* v = u + luma / 4;
        libyuv::ARGBToI420(source, stride, out.data(), width, u, width / 2, v, width / 2, width, height);
    } else if (subtype == MEDIASUBTYPE_MJPG) {
        out = EncodeJpeg(source, width, height);
    }
    return out;
}

}  // namespace orvo::capture
