// orvo_media_gen NAME OUTPUT: writes the catalog clip NAME to OUTPUT with FFmpeg's encoders.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libavutil/stereo3d.h>
}

#include "platform/filters/ffmpeg/AvPointers.h"
#include "tests/media/ClipCatalog.h"
#include "tests/media/TestPattern.h"

// Sanitizer builds: libx265 keeps some of each encoder's memory after it is closed; the
// generator would otherwise exit with a leak report and write no HEVC clip.
extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }

namespace {

using namespace orvo::test;

using orvo::av::CodecContextPtr, orvo::av::FramePtr, orvo::av::PacketPtr;

bool Fail(const char* what, int error = 0) {
    char text[AV_ERROR_MAX_STRING_SIZE] = "";
    if (error) av_strerror(error, text, sizeof text);
    std::fprintf(stderr, "orvo_media_gen: %s %s\n", what, text);
    return false;
}

// One stream being written: an encoder (none for subtitles, whose packets are the text) and
// the position of its next frame.
struct Track {
    AVStream* stream = nullptr;
    CodecContextPtr encoder;
    const VideoTrack* video = nullptr;
    const AudioTrack* audio = nullptr;
    int64_t next = 0;  // next pts in the encoder's time base (audio: samples)
    int64_t end = 0;   // pts at which the track ends
    bool flushed = false;

    double NextSeconds() const { return next * av_q2d(encoder ? encoder->time_base : stream->time_base); }
};

void FillRgb(AVFrame* frame, const VideoTrack& plan, int index, int bytesPerPixel) {
    for (int y = 0; y < plan.height; ++y) {
        uint8_t* row = frame->data[0] + y * frame->linesize[0];
        for (int x = 0; x < plan.width; ++x) {
            int view = 0, vx = x, vy = y;
            if (plan.layout == ViewLayout::SideBySide && x >= plan.width / 2) view = 1, vx = x - plan.width / 2;
            if (plan.layout == ViewLayout::TopBottom && y >= plan.height / 2) view = 1, vy = y - plan.height / 2;
            const Rgb p = plan.solid ? SolidViewPixel(view) : ViewPixel(view, index, vx, vy);
            uint8_t* out = row + x * bytesPerPixel;
            out[0] = p.b, out[1] = p.g, out[2] = p.r;
            if (bytesPerPixel == 4) out[3] = 0;
        }
    }
}

void FillYuv(AVFrame* frame, const AVPixFmtDescriptor* desc, int index, const VideoTrack& plan) {
    const bool quadrants = plan.quadrants;
    const bool wide = desc->comp[0].depth > 8;
    const int shift = desc->comp[0].depth - 8;
    for (int plane = 0; plane < 3; ++plane) {
        const int w = plane ? AV_CEIL_RSHIFT(frame->width, desc->log2_chroma_w) : frame->width;
        const int h = plane ? AV_CEIL_RSHIFT(frame->height, desc->log2_chroma_h) : frame->height;
        for (int y = 0; y < h; ++y) {
            uint8_t* row = frame->data[plane] + y * frame->linesize[plane];
            for (int x = 0; x < w; ++x) {
                const YuvSample q = QuadrantSample((y >= h / 2) * 2 + (x >= w / 2));
                const bool white = x << (plane ? desc->log2_chroma_w : 0) <
                                   MovingEdgeAt(index, (y << (plane ? desc->log2_chroma_h : 0)) % 2);
                const int v = plan.interlaced ? (plane ? 128 : white ? 235 : 16)
                              : quadrants     ? (plane == 0 ? q.y : plane == 1 ? q.u : q.v)
                              : plane == 0 ? LumaPixel(index, x, y)
                              : plane == 1 ? ChromaUPixel(index, x, y)
                                           : ChromaVPixel(index, x, y);
                if (wide)
                    reinterpret_cast<uint16_t*>(row)[x] = uint16_t(v << shift);
                else
                    row[x] = uint8_t(v);
            }
        }
    }
}

bool FillPicture(AVFrame* frame, const VideoTrack& plan, int index) {
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
    if (frame->format == AV_PIX_FMT_BGR0) return FillRgb(frame, plan, index, 4), true;
    if (frame->format == AV_PIX_FMT_BGR24) return FillRgb(frame, plan, index, 3), true;
    if (!(desc->flags & AV_PIX_FMT_FLAG_PLANAR) || desc->nb_components != 3) return Fail("unsupported pixel format");
    FillYuv(frame, desc, index, plan);
    return true;
}

void StoreSample(AVFrame* frame, AVSampleFormat format, int channel, int index, double value) {
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = frame->ch_layout.nb_channels;
    uint8_t* base = frame->data[planar ? channel : 0];
    const int slot = planar ? index : index * channels + channel;
    switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_S16: reinterpret_cast<int16_t*>(base)[slot] = int16_t(std::lrint(value * 32767)); break;
        case AV_SAMPLE_FMT_S32: reinterpret_cast<int32_t*>(base)[slot] = int32_t(std::lrint(value * 2147483647.0)); break;
        case AV_SAMPLE_FMT_FLT: reinterpret_cast<float*>(base)[slot] = float(value); break;
        case AV_SAMPLE_FMT_DBL: reinterpret_cast<double*>(base)[slot] = value; break;
        default: break;
    }
}

void FillTone(AVFrame* frame, const AudioTrack& plan, int64_t firstSample) {
    const auto format = AVSampleFormat(frame->format);
    for (int i = 0; i < frame->nb_samples; ++i) {
        const double t = double(firstSample + i) / plan.sampleRate;
        const double value = 0.5 * std::sin(2 * M_PI * plan.toneHz * t);
        for (int c = 0; c < frame->ch_layout.nb_channels; ++c) StoreSample(frame, format, c, i, value);
    }
}

CodecContextPtr OpenEncoder(const char* name, AVFormatContext* muxer, const char* options,
                            void (*configure)(AVCodecContext*, const void*), const void* plan) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec) return Fail(name), nullptr;
    CodecContextPtr context(avcodec_alloc_context3(codec));
    configure(context.get(), plan);
    if (muxer->oformat->flags & AVFMT_GLOBALHEADER) context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* dict = nullptr;
    if (*options) av_dict_parse_string(&dict, options, "=", ":", 0);
    const int error = avcodec_open2(context.get(), codec, &dict);
    av_dict_free(&dict);
    if (error < 0) return Fail(name, error), nullptr;
    return context;
}

void ConfigureVideo(AVCodecContext* c, const void* p) {
    const auto& plan = *static_cast<const VideoTrack*>(p);
    if (plan.sarNum > 0) c->sample_aspect_ratio = AVRational{plan.sarNum, plan.sarDen};
    c->width = plan.width;
    c->height = plan.height;
    c->pix_fmt = av_get_pix_fmt(plan.pixelFormat);
    c->time_base = AVRational{plan.fpsDen, plan.fpsNum};
    c->framerate = AVRational{plan.fpsNum, plan.fpsDen};
    c->gop_size = 12;
    c->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;  // full-range MJPEG
    if (plan.interlaced) {
        c->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
        c->field_order = AV_FIELD_TT;
    }
    if (plan.colour) {
        const std::string tags = plan.colour;
        const std::string matrix = tags.substr(0, tags.find('/')), range = tags.substr(tags.find('/') + 1);
        c->colorspace = AVColorSpace(av_color_space_from_name(matrix.c_str()));
        c->color_range = AVColorRange(av_color_range_from_name(range.c_str()));
    }
}

void ConfigureAudio(AVCodecContext* c, const void* p) {
    const auto& plan = *static_cast<const AudioTrack*>(p);
    c->sample_rate = plan.sampleRate;
    av_channel_layout_default(&c->ch_layout, plan.channels);
    c->sample_fmt = c->codec->sample_fmts ? c->codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    c->time_base = AVRational{1, plan.sampleRate};
    c->bit_rate = 128000;
}

// The container's stereo mode: stream side data, which the Matroska and MP4 muxers write.
bool AddStereoSideData(AVStream* stream, const StereoSignal& signal) {
    if (signal.kind == StereoSignal::None) return true;
    AVStereo3D* stereo = av_stereo3d_alloc();
    if (!stereo) return Fail("no memory");
    stereo->type = signal.kind == StereoSignal::SideBySide ? AV_STEREO3D_SIDEBYSIDE : AV_STEREO3D_TOPBOTTOM;
    stereo->flags = signal.rightFirst ? AV_STEREO3D_FLAG_INVERT : 0;
    if (av_stream_add_side_data(stream, AV_PKT_DATA_STEREO3D, reinterpret_cast<uint8_t*>(stereo), sizeof *stereo) < 0) {
        av_free(stereo);
        return Fail("side data");
    }
    return true;
}

bool AddTrack(AVFormatContext* muxer, Track& track, CodecContextPtr encoder, const char* language) {
    track.stream = avformat_new_stream(muxer, nullptr);
    if (!track.stream) return Fail("no stream");
    avcodec_parameters_from_context(track.stream->codecpar, encoder.get());
    track.stream->time_base = encoder->time_base;
    track.stream->sample_aspect_ratio = encoder->sample_aspect_ratio;
    if (track.video && !AddStereoSideData(track.stream, track.video->container)) return false;
    if (language && *language) av_dict_set(&track.stream->metadata, "language", language, 0);
    track.encoder = std::move(encoder);
    return true;
}

bool AddSubtitleTrack(AVFormatContext* muxer, Track& track, const char* language, int64_t durationMs) {
    track.stream = avformat_new_stream(muxer, nullptr);
    if (!track.stream) return Fail("no stream");
    track.stream->codecpar->codec_type = AVMEDIA_TYPE_SUBTITLE;
    track.stream->codecpar->codec_id = AV_CODEC_ID_SUBRIP;
    track.stream->time_base = AVRational{1, 1000};
    av_dict_set(&track.stream->metadata, "language", language, 0);
    track.end = durationMs;
    return true;
}

// Bits written most significant first, for an SEI message.
class BitWriter {
public:
    void Put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (m_used % 8 == 0) m_bytes.push_back(0);
            if (value >> i & 1) m_bytes.back() |= uint8_t(0x80 >> (m_used % 8));
            ++m_used;
        }
    }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    int m_used = 0;
};

// An HEVC prefix SEI NAL unit (with its start code) holding one frame-packing arrangement
// message: side by side (3) or top/bottom (4), the left view first (1) or the right (2),
// persistent until the next one. No encoder here writes this message.
std::vector<uint8_t> FramePackingSei(const StereoSignal& signal) {
    BitWriter payload;
    payload.Put(1, 1);  // frame_packing_arrangement_id 0, as ue(v)
    payload.Put(0, 1);  // cancel flag
    payload.Put(signal.kind == StereoSignal::SideBySide ? 3 : 4, 7);
    payload.Put(0, 1);                          // quincunx sampling
    payload.Put(signal.rightFirst ? 2 : 1, 6);  // content interpretation
    payload.Put(0, 6);   // spatial flipping, frame 0 flipped, field views, current frame is frame 0, self-contained x2
    payload.Put(0, 16);  // the grid positions of both frames
    payload.Put(0, 8);   // reserved byte
    payload.Put(1, 1);   // persistence
    payload.Put(0, 1);   // upsampled aspect ratio; the payload ends on a byte boundary
    std::vector<uint8_t> rbsp = {45, uint8_t(payload.Bytes().size())};
    rbsp.insert(rbsp.end(), payload.Bytes().begin(), payload.Bytes().end());
    rbsp.push_back(0x80);  // trailing bits
    std::vector<uint8_t> nal = {0, 0, 0, 1, 39 << 1, 1};  // PREFIX_SEI, layer 0, temporal id 1
    int zeros = 0;
    for (uint8_t b : rbsp) {
        if (zeros == 2 && b <= 3) nal.push_back(3), zeros = 0;  // emulation prevention
        nal.push_back(b);
        zeros = b == 0 ? zeros + 1 : 0;
    }
    return nal;
}

bool PrependToPacket(AVPacket* packet, const std::vector<uint8_t>& bytes) {
    PacketPtr joined(av_packet_alloc());
    if (!joined || av_new_packet(joined.get(), int(bytes.size()) + packet->size) < 0) return Fail("no memory");
    std::copy(bytes.begin(), bytes.end(), joined->data);
    std::copy(packet->data, packet->data + packet->size, joined->data + bytes.size());
    if (av_packet_copy_props(joined.get(), packet) < 0) return Fail("no memory");
    av_packet_unref(packet);
    av_packet_move_ref(packet, joined.get());
    return true;
}

bool WritePackets(AVFormatContext* muxer, Track& track, AVPacket* packet) {
    for (;;) {
        int error = avcodec_receive_packet(track.encoder.get(), packet);
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return true;
        if (error < 0) return Fail("encode", error);
        if (track.video && track.video->hevcMessage.kind != StereoSignal::None && (packet->flags & AV_PKT_FLAG_KEY) &&
            !PrependToPacket(packet, FramePackingSei(track.video->hevcMessage)))
            return false;
        // MP4 gives its last sample the packet's duration; without one the clip is a frame short.
        if (track.video && packet->duration == 0 && !std::strcmp(muxer->oformat->name, "mp4")) packet->duration = 1;
        av_packet_rescale_ts(packet, track.encoder->time_base, track.stream->time_base);
        packet->stream_index = track.stream->index;
        if ((error = av_interleaved_write_frame(muxer, packet)) < 0) return Fail("write", error);
    }
}

// Encodes the next frame of the track, or flushes the encoder once the track has ended.
bool Advance(AVFormatContext* muxer, Track& track, AVPacket* packet) {
    if (!track.encoder) {  // subtitle: one cue a second
        const std::string text = std::string(kSubtitleText) + " " + std::to_string(track.next / 1000 + 1);
        if (av_new_packet(packet, int(text.size())) < 0) return Fail("no memory");
        std::copy(text.begin(), text.end(), packet->data);
        packet->pts = packet->dts = track.next;
        packet->duration = 800;
        packet->stream_index = track.stream->index;
        track.next += 1000;
        const int error = av_interleaved_write_frame(muxer, packet);
        return error < 0 ? Fail("write", error) : true;
    }
    if (track.next >= track.end) {
        track.flushed = true;
        avcodec_send_frame(track.encoder.get(), nullptr);
        return WritePackets(muxer, track, packet);
    }
    AVCodecContext* c = track.encoder.get();
    FramePtr frame(av_frame_alloc());
    if (track.video) {
        frame->format = c->pix_fmt, frame->width = c->width, frame->height = c->height;
    } else {
        frame->format = c->sample_fmt;
        frame->nb_samples = c->frame_size > 0 ? c->frame_size : 1024;
        frame->sample_rate = c->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &c->ch_layout);
    }
    if (av_frame_get_buffer(frame.get(), 0) < 0) return Fail("no memory");
    if (track.video) {
        if (!FillPicture(frame.get(), *track.video, int(track.next))) return false;
        frame->interlaced_frame = track.video->interlaced;
        frame->top_field_first = track.video->interlaced;
        frame->pts = track.next++;
    } else {
        FillTone(frame.get(), *track.audio, track.next);
        frame->pts = track.next;
        track.next += frame->nb_samples;
    }
    const int error = avcodec_send_frame(c, frame.get());
    if (error < 0) return Fail("encode", error);
    return WritePackets(muxer, track, packet);
}

bool Finished(const Track& track) { return track.encoder ? track.flushed : track.next >= track.end; }

bool WriteClip(const ClipSpec& plan, const std::string& path) {
    AVFormatContext* muxer = nullptr;
    int error = avformat_alloc_output_context2(&muxer, nullptr, plan.container, path.c_str());
    if (error < 0) return Fail("muxer", error);
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> owner(muxer, [](AVFormatContext* m) {
        if (!(m->oformat->flags & AVFMT_NOFILE)) avio_closep(&m->pb);
        avformat_free_context(m);
    });
    std::vector<Track> tracks(plan.video.size() + plan.audio.size() + (plan.subtitleLanguage ? 1 : 0));
    double seconds = 0;
    size_t t = 0;
    for (const VideoTrack& video : plan.video) {
        Track& track = tracks[t++];
        track.video = &video;
        auto encoder = OpenEncoder(video.encoder, muxer, video.options, ConfigureVideo, &video);
        if (!encoder || !AddTrack(muxer, track, std::move(encoder), "")) return false;
        track.end = video.frames;
        seconds = std::max(seconds, double(video.frames) * video.fpsDen / video.fpsNum);
    }
    if (seconds == 0) seconds = 3;
    for (const AudioTrack& audio : plan.audio) {
        Track& track = tracks[t++];
        track.audio = &audio;
        auto encoder = OpenEncoder(audio.encoder, muxer, "", ConfigureAudio, &audio);
        if (!encoder || !AddTrack(muxer, track, std::move(encoder), audio.language)) return false;
        track.end = int64_t(seconds * audio.sampleRate);
    }
    if (plan.subtitleLanguage &&
        !AddSubtitleTrack(muxer, tracks[t++], plan.subtitleLanguage, int64_t(seconds * 1000)))
        return false;
    if (!(muxer->oformat->flags & AVFMT_NOFILE) && (error = avio_open(&muxer->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0)
        return Fail("open", error);
    // The MP4 muxer writes st3d only when unofficial boxes are allowed; elsewhere that setting
    // changes what is written (AVI would tag raw RGB with a pixel-format FOURCC, not BI_RGB).
    if (!std::strcmp(muxer->oformat->name, "mp4")) muxer->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    if ((error = avformat_write_header(muxer, nullptr)) < 0) return Fail("header", error);
    PacketPtr packet(av_packet_alloc());
    for (;;) {
        Track* earliest = nullptr;
        for (Track& track : tracks)
            if (!Finished(track) && (!earliest || track.NextSeconds() < earliest->NextSeconds())) earliest = &track;
        if (!earliest) break;
        if (!Advance(muxer, *earliest, packet.get())) return false;
    }
    if ((error = av_write_trailer(muxer)) < 0) return Fail("trailer", error);
    return true;
}

bool WriteRandomBytes(const std::string& path) {
    std::mt19937 generator(20261210);
    std::vector<char> bytes(48 * 1024);
    for (char& b : bytes) b = char(generator());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

// Keeps the first part of a finished clip: whole packets, then one cut in the middle.
bool Truncate(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error) std::filesystem::resize_file(path, size * 11 / 20, error);
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvo_media_gen NAME OUTPUT\nclips:");
        for (const ClipSpec& clip : ClipCatalog()) std::fprintf(stderr, " %s", clip.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    const ClipSpec* plan = FindClip(argv[1]);
    if (!plan) return Fail("unknown clip"), 2;
    av_log_set_level(AV_LOG_ERROR);
    bool written = plan->damage == Damage::RandomBytes ? WriteRandomBytes(argv[2]) : WriteClip(*plan, argv[2]);
    if (written && plan->damage == Damage::Truncated) written = Truncate(argv[2]);
    return written ? 0 : 1;
}
