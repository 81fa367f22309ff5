#include "engine/graph/StereoLayoutDetection.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/rational.h>
#include <libavutil/stereo3d.h>
}

#include "platform/filters/ffmpeg/AvPointers.h"

namespace orvo::engine {
namespace {

using Packing = LayoutSignal::Packing;

struct NameMarker {
    const char* text;
    Layout layout;
    bool rightFirst;
    Packing packing;
};

// The markers after the last '-' or '_'.
constexpr NameMarker kSuffixes[] = {
    {"lr", Layout::SideBySide, false, Packing::FromAspect},  {"rl", Layout::SideBySide, true, Packing::FromAspect},
    {"lrh", Layout::SideBySide, false, Packing::Half},       {"lrq", Layout::SideBySide, false, Packing::Half},
    {"rlh", Layout::SideBySide, true, Packing::Half},        {"rlq", Layout::SideBySide, true, Packing::Half},
    {"tb", Layout::TopBottom, false, Packing::FromAspect},   {"ab", Layout::TopBottom, false, Packing::FromAspect},
    {"bt", Layout::TopBottom, true, Packing::FromAspect},    {"ba", Layout::TopBottom, true, Packing::FromAspect},
    {"tbh", Layout::TopBottom, false, Packing::Half},        {"tbq", Layout::TopBottom, false, Packing::Half},
    {"abh", Layout::TopBottom, false, Packing::Half},        {"abq", Layout::TopBottom, false, Packing::Half},
    {"bth", Layout::TopBottom, true, Packing::Half},         {"btq", Layout::TopBottom, true, Packing::Half},
    {"bah", Layout::TopBottom, true, Packing::Half},         {"baq", Layout::TopBottom, true, Packing::Half},
    {"2d", Layout::Flat, false, Packing::FromAspect},
};

// The words anywhere in the name, as tokens of their own.
constexpr NameMarker kWords[] = {
    {"sbs", Layout::SideBySide, false, Packing::FromAspect}, {"hsbs", Layout::SideBySide, false, Packing::Half},
    {"half-sbs", Layout::SideBySide, false, Packing::Half},  {"fsbs", Layout::SideBySide, false, Packing::Full},
    {"tab", Layout::TopBottom, false, Packing::FromAspect},  {"htab", Layout::TopBottom, false, Packing::Half},
    {"ou", Layout::TopBottom, false, Packing::FromAspect},   {"hou", Layout::TopBottom, false, Packing::Half},
    {"half-ou", Layout::TopBottom, false, Packing::Half},
};

template <size_t N>
const NameMarker* FindMarker(const NameMarker (&markers)[N], std::string_view text) {
    for (const NameMarker& m : markers)
        if (text == m.text) return &m;
    return nullptr;
}

LayoutSignal SignalOf(const NameMarker& m) { return {true, m.layout, m.rightFirst, m.packing}; }

bool IsWordCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// The name's tokens: runs of letters and digits, with "half-" joined to the token after it.
std::vector<std::string_view> Tokens(std::string_view name) {
    std::vector<std::string_view> tokens;
    for (size_t i = 0; i < name.size();) {
        if (!IsWordCharacter(name[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < name.size() && IsWordCharacter(name[end])) ++end;
        if (name.substr(i, end - i) == "half" && end + 1 < name.size() && name[end] == '-' &&
            IsWordCharacter(name[end + 1])) {
            end += 1;
            while (end < name.size() && IsWordCharacter(name[end])) ++end;
        }
        tokens.push_back(name.substr(i, end - i));
        i = end;
    }
    return tokens;
}

LayoutSignal SignalOf(const AVStereo3D* stereo) {
    if (!stereo) return {};
    LayoutSignal s{true};
    const bool inverted = stereo->flags & AV_STEREO3D_FLAG_INVERT;
    switch (stereo->type) {
        case AV_STEREO3D_2D:
            s.layout = Layout::Flat;
            break;
        case AV_STEREO3D_SIDEBYSIDE:
            s.layout = Layout::SideBySide, s.rightFirst = inverted;
            break;
        case AV_STEREO3D_TOPBOTTOM:
            s.layout = Layout::TopBottom, s.rightFirst = inverted;
            break;
        default:  // frame sequence, lines, columns, checkerboard: nothing this engine shows
            break;
    }
    return s;
}

struct FormatCloser {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};

// Packets read looking for the first key frame's picture before giving up.
constexpr int kMostPackets = 200;

// Decodes the stream's first picture, which is its first key frame; nullptr when there is none.
av::FramePtr FirstPicture(AVFormatContext* format, const AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return nullptr;
    av::CodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0) return nullptr;
    decoder->thread_count = 1;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return nullptr;
    av::PacketPtr packet(av_packet_alloc());
    av::FramePtr frame(av_frame_alloc());
    if (!packet || !frame) return nullptr;
    bool keyFrameSeen = false;
    for (int read = 0; read < kMostPackets; ++read) {
        const int error = av_read_frame(format, packet.get());
        if (error >= 0 && packet->stream_index == stream->index) {
            keyFrameSeen = keyFrameSeen || (packet->flags & AV_PKT_FLAG_KEY);
            if (keyFrameSeen) avcodec_send_packet(decoder.get(), packet.get());
        }
        av_packet_unref(packet.get());
        if (error < 0) avcodec_send_packet(decoder.get(), nullptr);  // drain what is held back
        if (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) return frame;
        if (error < 0) return nullptr;
    }
    return nullptr;
}

}  // namespace

LayoutSignal LayoutFromName(std::string_view fileName) {
    std::string name(fileName.substr(fileName.find_last_of('/') + 1));
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    const size_t dot = name.find_last_of('.');
    const std::string_view stem = std::string_view(name).substr(0, dot == 0 ? name.size() : dot);
    const size_t cut = stem.find_last_of("-_");
    if (cut != std::string_view::npos)
        if (const NameMarker* m = FindMarker(kSuffixes, stem.substr(cut + 1))) return SignalOf(*m);
    for (std::string_view token : Tokens(stem))
        if (const NameMarker* m = FindMarker(kWords, token)) return SignalOf(*m);
    return {};
}

bool HalfPackedByAspect(Layout layout, int32_t num, int32_t den) {
    if (num <= 0 || den <= 0) return false;
    if (layout == Layout::SideBySide) return int64_t(num) * 2 < int64_t(den) * 5;  // below 2.5:1
    if (layout == Layout::TopBottom) return int64_t(num) * 5 >= int64_t(den) * 6;  // from 1.2:1 up
    return false;
}

StereoLayout DecideLayout(const LayoutSignal& stream, const LayoutSignal& container, const LayoutSignal& name,
                          int32_t aspectNum, int32_t aspectDen) {
    StereoLayout result;
    result.aspectNum = aspectNum;
    result.aspectDen = aspectDen;
    const std::pair<const LayoutSignal*, LayoutSource> order[] = {
        {&stream, LayoutSource::Stream}, {&container, LayoutSource::Container}, {&name, LayoutSource::Name}};
    for (auto [signal, source] : order) {
        if (!signal->said) continue;
        result.source = source;
        result.layout = signal->layout;
        if (signal->layout == Layout::SideBySide || signal->layout == Layout::TopBottom) {
            result.rightFirst = signal->rightFirst;
            result.halfPacked = signal->packing == Packing::FromAspect
                                    ? HalfPackedByAspect(signal->layout, aspectNum, aspectDen)
                                    : signal->packing == Packing::Half;
        }
        break;
    }
    return result;
}

StereoLayout DetectStereoLayout(const std::string& path) {
    const LayoutSignal name = LayoutFromName(path);
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) return DecideLayout({}, {}, name, 0, 0);
    std::unique_ptr<AVFormatContext, FormatCloser> format(opened);
    if (avformat_find_stream_info(format.get(), nullptr) < 0) return DecideLayout({}, {}, name, 0, 0);
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) return DecideLayout({}, {}, name, 0, 0);
    AVStream* stream = format->streams[index];
    const auto* containerStereo =
        reinterpret_cast<const AVStereo3D*>(av_stream_get_side_data(stream, AV_PKT_DATA_STEREO3D, nullptr));
    const LayoutSignal container = SignalOf(containerStereo);
    const av::FramePtr picture = FirstPicture(format.get(), stream);
    const AVFrameSideData* frameStereo = picture ? av_frame_get_side_data(picture.get(), AV_FRAME_DATA_STEREO3D) : nullptr;
    const LayoutSignal fromStream = SignalOf(frameStereo ? reinterpret_cast<const AVStereo3D*>(frameStereo->data) : nullptr);
    const int width = picture ? picture->width : stream->codecpar->width;
    const int height = picture ? picture->height : stream->codecpar->height;
    AVRational sample = av_guess_sample_aspect_ratio(format.get(), stream, picture.get());
    if (sample.num <= 0 || sample.den <= 0) sample = {1, 1};
    int num = 0, den = 0;
    if (width > 0 && height > 0)
        av_reduce(&num, &den, int64_t(width) * sample.num, int64_t(height) * sample.den, INT32_MAX);
    return DecideLayout(fromStream, container, name, num, den);
}

}  // namespace orvo::engine
