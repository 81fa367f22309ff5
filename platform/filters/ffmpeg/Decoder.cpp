#include "platform/filters/ffmpeg/Decoder.h"

#include <cstring>

#include "platform/filters/ffmpeg/CodecMediaType.h"
#include "platform/filters/ffmpeg/FfmpegLibrary.h"

namespace orvo::ffmpeg {
namespace {

constexpr AVRational kReferenceTimeBase{1, 10'000'000};

struct ParametersDeleter {
    void operator()(AVCodecParameters* p) const { avcodec_parameters_free(&p); }
};
using ParametersPtr = std::unique_ptr<AVCodecParameters, ParametersDeleter>;

ParametersPtr ParametersFor(const AM_MEDIA_TYPE& input, CodecSet set) {
    ParametersPtr codec(avcodec_parameters_alloc());
    if (!codec || !CodecFromMediaType(input, *codec) || !InCodecSet(set, codec->codec_id)) return nullptr;
    if (!avcodec_find_decoder(codec->codec_id)) return nullptr;
    return codec;
}

}  // namespace

bool Decoder::Accepts(const AM_MEDIA_TYPE& input, CodecSet set) { return ParametersFor(input, set) != nullptr; }

HRESULT Decoder::Create(const AM_MEDIA_TYPE& input, CodecSet set, std::unique_ptr<Decoder>& decoder) {
    decoder.reset();
    InitializeFfmpeg();
    ParametersPtr codec = ParametersFor(input, set);
    if (!codec) return VFW_E_TYPE_NOT_ACCEPTED;
    const AVCodec* implementation = avcodec_find_decoder(codec->codec_id);
    AVCodecContext* context = avcodec_alloc_context3(implementation);
    if (!context) return E_OUTOFMEMORY;
    std::unique_ptr<Decoder> made(new (std::nothrow) Decoder(context));
    if (!made || !(made->m_packet = av_packet_alloc())) {
        if (!made) avcodec_free_context(&context);
        return E_OUTOFMEMORY;
    }
    if (avcodec_parameters_to_context(context, codec.get()) < 0) return VFW_E_TYPE_NOT_ACCEPTED;
    context->pkt_timebase = kReferenceTimeBase;
    context->thread_count = 0;  // one thread per core, FFmpeg's choice
    context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(context, implementation, nullptr) < 0) return VFW_E_TYPE_NOT_ACCEPTED;
    decoder = std::move(made);
    return S_OK;
}

void Decoder::SkipUnreferencedFrames(bool skip) { m_context->skip_frame = skip ? AVDISCARD_NONREF : AVDISCARD_DEFAULT; }

Decoder::~Decoder() {
    av_packet_free(&m_packet);
    avcodec_free_context(&m_context);
}

HRESULT Decoder::Send(const uint8_t* data, size_t size, REFERENCE_TIME start, bool keyFrame) {
    if (!data) {
        if (m_draining) return S_OK;
        m_draining = true;
        return avcodec_send_packet(m_context, nullptr) < 0 ? E_FAIL : S_OK;
    }
    if (av_new_packet(m_packet, int(size)) < 0) return E_OUTOFMEMORY;
    std::memcpy(m_packet->data, data, size);
    m_packet->pts = start;
    m_packet->dts = AV_NOPTS_VALUE;
    if (keyFrame) m_packet->flags |= AV_PKT_FLAG_KEY;
    int error = avcodec_send_packet(m_context, m_packet);
    av_packet_unref(m_packet);
    // The caller takes frames out before sending more, so a full decoder is not expected.
    return error < 0 ? E_FAIL : S_OK;
}

HRESULT Decoder::Receive(AVFrame* frame) {
    const int error = avcodec_receive_frame(m_context, frame);
    if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return S_FALSE;
    if (error < 0) return E_FAIL;
    if (frame->best_effort_timestamp == AV_NOPTS_VALUE) frame->best_effort_timestamp = frame->pts;
    return S_OK;
}

void Decoder::Flush() {
    avcodec_flush_buffers(m_context);
    m_draining = false;
}

AVPixelFormat Decoder::ExpectedPixelFormat() const {
    return m_context->pix_fmt != AV_PIX_FMT_NONE ? m_context->pix_fmt : AVPixelFormat(AV_PIX_FMT_YUV420P);
}

}  // namespace orvo::ffmpeg
