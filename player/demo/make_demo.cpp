// make_demo OUTPUT: writes the player's demo clip, a side-by-side stereo picture (left view in
// the left half) in H.264 with an AAC sound track, into a Matroska file.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "platform/filters/ffmpeg/AvPointers.h"
#include "player/demo/DemoClip.h"
#include "player/demo/Soundtrack.h"
#include "player/demo/StereoScene.h"

namespace {

using demo::kEyeHeight, demo::kEyeWidth, demo::kFramesPerSecond, demo::kSampleRate, demo::kSeconds;

struct MuxerDeleter {
    void operator()(AVFormatContext* m) const {
        if (m->pb) avio_closep(&m->pb);
        avformat_free_context(m);
    }
};
struct ScalerDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using orvo::av::CodecContextPtr, orvo::av::FramePtr, orvo::av::PacketPtr;

bool Fail(const char* what, int error = 0) {
    char text[AV_ERROR_MAX_STRING_SIZE] = "";
    if (error) av_strerror(error, text, sizeof text);
    std::fprintf(stderr, "make_demo: %s %s\n", what, text);
    return false;
}

// One encoder and its stream in the file.
struct Track {
    CodecContextPtr encoder;
    AVStream* stream = nullptr;
};

bool Open(AVFormatContext* muxer, Track& track, AVDictionary** options) {
    if (muxer->oformat->flags & AVFMT_GLOBALHEADER) track.encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int error = avcodec_open2(track.encoder.get(), nullptr, options);
    av_dict_free(options);
    if (error < 0) return Fail(track.encoder->codec->name, error);
    track.stream = avformat_new_stream(muxer, nullptr);
    if (!track.stream) return Fail("no stream");
    track.stream->time_base = track.encoder->time_base;
    if ((error = avcodec_parameters_from_context(track.stream->codecpar, track.encoder.get())) < 0)
        return Fail("stream parameters", error);
    return true;
}

CodecContextPtr NewEncoder(const char* name) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec) return Fail((std::string("this FFmpeg has no encoder ") + name).c_str()), nullptr;
    return CodecContextPtr(avcodec_alloc_context3(codec));
}

bool OpenVideo(AVFormatContext* muxer, Track& track) {
    if (!(track.encoder = NewEncoder("libx264"))) return false;
    AVCodecContext* c = track.encoder.get();
    c->width = 2 * kEyeWidth;
    c->height = kEyeHeight;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = {1, kFramesPerSecond};
    c->framerate = {kFramesPerSecond, 1};
    c->gop_size = 2 * kFramesPerSecond;  // a seek lands on a key frame at most 2 s back
    // Studio-range BT.601, as the picture is converted below, stated so every decoder agrees.
    c->color_range = AVCOL_RANGE_MPEG;
    c->colorspace = AVCOL_SPC_SMPTE170M;
    c->color_primaries = AVCOL_PRI_SMPTE170M;
    c->color_trc = AVCOL_TRC_SMPTE170M;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", "superfast", 0);
    av_dict_set(&options, "crf", "20", 0);
    av_dict_set(&options, "x264-params", "trellis=0", 0);  // a quarter of the encoding time for little gain
    if (!Open(muxer, track, &options)) return false;
    // Players that read the container's stereo flag show the pair as such on their own.
    av_dict_set(&track.stream->metadata, "stereo_mode", "left_right", 0);
    return true;
}

bool OpenAudio(AVFormatContext* muxer, Track& track) {
    if (!(track.encoder = NewEncoder("aac"))) return false;
    AVCodecContext* c = track.encoder.get();
    c->sample_rate = kSampleRate;
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    av_channel_layout_default(&c->ch_layout, 2);
    c->time_base = {1, kSampleRate};
    c->bit_rate = 160000;
    AVDictionary* options = nullptr;
    return Open(muxer, track, &options);
}

bool Drain(AVFormatContext* muxer, Track& track, AVPacket* packet) {
    for (;;) {
        int error = avcodec_receive_packet(track.encoder.get(), packet);
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return true;
        if (error < 0) return Fail("encode", error);
        av_packet_rescale_ts(packet, track.encoder->time_base, track.stream->time_base);
        packet->stream_index = track.stream->index;
        if ((error = av_interleaved_write_frame(muxer, packet)) < 0) return Fail("write", error);
    }
}

// Sends one frame (nullptr: the end) and writes what the encoder has ready.
bool Encode(AVFormatContext* muxer, Track& track, const AVFrame* frame, AVPacket* packet) {
    const int error = avcodec_send_frame(track.encoder.get(), frame);
    if (error < 0) return Fail("encode", error);
    return Drain(muxer, track, packet);
}

FramePtr NewFrame(int format, int width, int height) {
    FramePtr frame(av_frame_alloc());
    frame->format = format;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
    return frame;
}

bool WriteClip(const std::string& path) {
    AVFormatContext* raw = nullptr;
    int error = avformat_alloc_output_context2(&raw, nullptr, "matroska", path.c_str());
    if (error < 0) return Fail("muxer", error);
    std::unique_ptr<AVFormatContext, MuxerDeleter> muxer(raw);
    Track video, audio;
    if (!OpenVideo(raw, video) || !OpenAudio(raw, audio)) return false;
    if ((error = avio_open(&raw->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0) return Fail("open", error);
    if ((error = avformat_write_header(raw, nullptr)) < 0) return Fail("header", error);

    const demo::StereoScene scene(kEyeWidth, kEyeHeight);
    const std::vector<float> sound = demo::MakeSoundtrack(kSampleRate, kSeconds);
    FramePtr picture = NewFrame(AV_PIX_FMT_BGR0, 2 * kEyeWidth, kEyeHeight);
    FramePtr yuv = NewFrame(AV_PIX_FMT_YUV420P, 2 * kEyeWidth, kEyeHeight);
    std::unique_ptr<SwsContext, ScalerDeleter> scaler(sws_getContext(2 * kEyeWidth, kEyeHeight, AV_PIX_FMT_BGR0,
                                                                     2 * kEyeWidth, kEyeHeight, AV_PIX_FMT_YUV420P,
                                                                     SWS_BILINEAR, nullptr, nullptr, nullptr));
    const int chunk = audio.encoder->frame_size;
    FramePtr samples(av_frame_alloc());
    samples->format = AV_SAMPLE_FMT_FLTP;
    samples->nb_samples = chunk;
    samples->sample_rate = kSampleRate;
    av_channel_layout_default(&samples->ch_layout, 2);
    if (!picture || !yuv || !scaler || av_frame_get_buffer(samples.get(), 0) < 0) return Fail("no memory");
    PacketPtr packet(av_packet_alloc());

    const int64_t frames = int64_t(kSeconds * kFramesPerSecond);
    const int64_t sampleCount = int64_t(sound.size() / 2);
    int64_t frame = 0, sample = 0;
    // Whichever stream is behind in time gets its next frame, so the file is interleaved.
    while (frame < frames || sample < sampleCount) {
        const bool videoNext =
            sample >= sampleCount || (frame < frames && frame * kSampleRate < sample * kFramesPerSecond);
        if (videoNext) {
            scene.Draw(double(frame) / kFramesPerSecond, picture->data[0], picture->linesize[0]);
            if (av_frame_make_writable(yuv.get()) < 0) return Fail("no memory");
            sws_scale(scaler.get(), picture->data, picture->linesize, 0, kEyeHeight, yuv->data, yuv->linesize);
            yuv->pts = frame++;
            if (!Encode(raw, video, yuv.get(), packet.get())) return false;
        } else {
            if (av_frame_make_writable(samples.get()) < 0) return Fail("no memory");
            const int count = int(std::min<int64_t>(chunk, sampleCount - sample));
            samples->nb_samples = count;
            auto* left = reinterpret_cast<float*>(samples->data[0]);
            auto* right = reinterpret_cast<float*>(samples->data[1]);
            for (int i = 0; i < count; ++i) {
                left[i] = sound[2 * (sample + i)];
                right[i] = sound[2 * (sample + i) + 1];
            }
            samples->pts = sample;
            sample += count;
            if (!Encode(raw, audio, samples.get(), packet.get())) return false;
        }
    }
    if (!Encode(raw, video, nullptr, packet.get()) || !Encode(raw, audio, nullptr, packet.get())) return false;
    if ((error = av_write_trailer(raw)) < 0) return Fail("trailer", error);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo OUTPUT\n");
        return 2;
    }
    av_log_set_level(AV_LOG_ERROR);
    // Written beside the output and moved into place when whole, so an interrupted run
    // leaves no clip that looks finished.
    const std::string output = argv[1];
    const std::string partial = output + ".part";
    std::error_code error;
    if (!WriteClip(partial)) {
        std::filesystem::remove(partial, error);
        return 1;
    }
    std::filesystem::rename(partial, output, error);
    if (error) return Fail("cannot move the clip into place"), 1;
    return 0;
}
