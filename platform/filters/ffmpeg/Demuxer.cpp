#include "platform/filters/ffmpeg/Demuxer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/com/TextConversion.h"
#include "platform/filters/ffmpeg/CodecMediaType.h"
#include "platform/filters/ffmpeg/FfmpegLibrary.h"
#include "platform/filters/ffmpeg/StreamName.h"

namespace orvo::ffmpeg {
namespace {

constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;
constexpr AVRational kReferenceTimeBase{1, int(kUnitsPerSecond)};

// Refuses what FFmpeg only guesses at (a format matched by its file extension alone, or by a
// probe that found next to nothing), so that a file of noise is not taken for a medium.
constexpr int kMinimumProbeScore = AVPROBE_SCORE_RETRY;

constexpr int kReadBufferSize = 64 * 1024;

}  // namespace

// The file's descriptor and the I/O context FFmpeg reads it through, so that the file is
// opened once, by a call that cannot block.
struct Demuxer::FileInput {
    int fd = -1;
    AVIOContext* io = nullptr;

    ~FileInput() {
        if (io) av_freep(&io->buffer);
        avio_context_free(&io);
        if (fd >= 0) close(fd);
    }

    // Only a regular file is read: a FIFO with no writer or a device would block a reader, or
    // never end. The non-blocking open itself returns at once for those too.
    HRESULT Open(const std::string& path) {
        fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? kFileNotFound : E_ACCESSDENIED;
        struct stat status;
        if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return VFW_E_UNKNOWN_FILE_TYPE;
        const int flags = fcntl(fd, F_GETFL);
        if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0) return E_ACCESSDENIED;
        auto* buffer = static_cast<uint8_t*>(av_malloc(kReadBufferSize));
        if (!buffer) return E_OUTOFMEMORY;
        io = avio_alloc_context(buffer, kReadBufferSize, 0, this, &Read, nullptr, &Seek);
        if (!io) {
            av_free(buffer);
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    static int Read(void* opaque, uint8_t* buffer, int size) {
        const int fd = static_cast<FileInput*>(opaque)->fd;
        for (;;) {
            const ssize_t n = read(fd, buffer, size_t(size));
            if (n > 0) return int(n);
            if (n == 0) return AVERROR_EOF;
            if (errno != EINTR) return AVERROR(errno);
        }
    }

    static int64_t Seek(void* opaque, int64_t offset, int whence) {
        const int fd = static_cast<FileInput*>(opaque)->fd;
        if (whence & AVSEEK_SIZE) {
            struct stat status;
            return fstat(fd, &status) == 0 ? int64_t(status.st_size) : AVERROR(errno);
        }
        const off_t position = lseek(fd, off_t(offset), whence & ~AVSEEK_FORCE);
        return position < 0 ? AVERROR(errno) : int64_t(position);
    }
};

namespace {

bool StreamGroupOf(AVMediaType type, StreamGroup& group) {
    switch (type) {
        case AVMEDIA_TYPE_VIDEO: group = StreamGroup::Video; return true;
        case AVMEDIA_TYPE_AUDIO: group = StreamGroup::Audio; return true;
        case AVMEDIA_TYPE_SUBTITLE: group = StreamGroup::Subtitle; return true;
        default: return false;
    }
}

}  // namespace

HRESULT Demuxer::Open(std::u16string_view path, std::unique_ptr<Demuxer>& demuxer) {
    demuxer.reset();
    if (path.empty()) return E_INVALIDARG;
    InitializeFfmpeg();
    const std::string file = com::Utf16ToUtf8(path);
    auto input = std::make_unique<FileInput>();
    if (HRESULT hr = input->Open(file); FAILED(hr)) return hr;
    AVFormatContext* context = avformat_alloc_context();
    if (!context) return E_OUTOFMEMORY;
    context->pb = input->io;
    // The name only guides probing by extension; the data come through the descriptor.
    if (avformat_open_input(&context, file.c_str(), nullptr, nullptr) < 0) return VFW_E_UNKNOWN_FILE_TYPE;
    std::unique_ptr<Demuxer> opened(new (std::nothrow) Demuxer(context, std::move(input)));
    if (!opened) {
        avformat_close_input(&context);
        return E_OUTOFMEMORY;
    }
    if (context->probe_score < kMinimumProbeScore) return VFW_E_UNKNOWN_FILE_TYPE;
    if (avformat_find_stream_info(context, nullptr) < 0) return VFW_E_INVALID_FILE_FORMAT;
    opened->DescribeStreams();
    if (opened->m_streams.empty()) return VFW_E_UNSUPPORTED_STREAM;
    demuxer = std::move(opened);
    return S_OK;
}

Demuxer::Demuxer(AVFormatContext* context, std::unique_ptr<FileInput> input)
    : m_context(context), m_input(std::move(input)) {}

Demuxer::~Demuxer() { avformat_close_input(&m_context); }

void Demuxer::DescribeStreams() {
    m_startTime = m_context->start_time != AV_NOPTS_VALUE ? m_context->start_time : 0;
    for (unsigned i = 0; i < m_context->nb_streams; ++i) {
        AVStream& stream = *m_context->streams[i];
        StreamGroup group;
        if (!StreamGroupOf(stream.codecpar->codec_type, group)) continue;
        AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
        graph::MediaType type = MediaTypeFromCodec(*stream.codecpar, rate);
        if (!type.IsValid()) continue;
        const AVDictionaryEntry* language = av_dict_get(stream.metadata, "language", nullptr, 0);
        const std::string code = language && language->value ? language->value : "";
        m_streams.push_back({int(i), group, std::move(type), ReadableStreamName(stream), code, LanguageLocale(code)});
    }
}

const DemuxedStream* Demuxer::FindStream(int index) const {
    for (const DemuxedStream& stream : m_streams)
        if (stream.index == index) return &stream;
    return nullptr;
}

std::string Demuxer::FormatName() const { return m_context->iformat->long_name ? m_context->iformat->long_name : ""; }

HRESULT Demuxer::ReadPacket(AVPacket* packet) {
    const int error = av_read_frame(m_context, packet);
    if (error == 0) {
        const int64_t timestamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (timestamp != AV_NOPTS_VALUE) {
            const AVRational base = m_context->streams[packet->stream_index]->time_base;
            m_reached = std::max(m_reached, ToReferenceTime(packet->stream_index, timestamp) +
                                                av_rescale_q(packet->duration, base, kReferenceTimeBase));
        }
        return S_OK;
    }
    // A file cut short ends the packets like its end does, so that what it held plays; how it
    // ended is kept apart for the reader to tell.
    const bool atEnd = error == AVERROR_EOF || avio_feof(m_context->pb);
    if (atEnd || error == AVERROR_INVALIDDATA) {
        if (!atEnd)
            m_endResult = VFW_E_INVALID_FILE_FORMAT;
        else
            m_endResult = error == AVERROR_INVALIDDATA || m_context->pb->error < 0 || EndsShort() ? VFW_E_FILE_TOO_SHORT
                                                                                                 : S_OK;
        return S_FALSE;
    }
    m_endResult = E_FAIL;
    return E_FAIL;
}

// Whether the packets stopped well before the duration the file declares. A duration only
// estimated from the bit rate says nothing.
bool Demuxer::EndsShort() const {
    if (m_context->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) return false;
    const REFERENCE_TIME duration = Duration();
    constexpr REFERENCE_TIME kSlack = 2'000'000;  // 200 ms of last packets without a duration
    return duration > 0 && m_reached + std::max(duration / 10, kSlack) < duration;
}

// Broadcast streams (MPEG transport and program streams) seek by the decoding time of their
// keyframes, which comes before the keyframe's display time by the reordering delay: the start
// is reached by its byte position, which holds the first keyframe, and a later time by a
// keyframe a second earlier, so that the frame shown at the target is decoded (the frames before
// it only reach the seek target; the decoder drops them).
HRESULT Demuxer::Seek(REFERENCE_TIME time) {
    m_reached = 0;
    m_endResult = S_OK;
    const bool broadcast = (m_context->iformat->flags & AVFMT_TS_DISCONT) != 0;
    constexpr REFERENCE_TIME kReorderMargin = 10'000'000;
    const REFERENCE_TIME seekTime = broadcast ? time - kReorderMargin : time;
    if (broadcast && seekTime <= 0 && av_seek_frame(m_context, -1, 0, AVSEEK_FLAG_BYTE) >= 0) return S_OK;
    const int64_t target = av_rescale_q(seekTime, kReferenceTimeBase, AVRational{1, AV_TIME_BASE}) + m_startTime;
    if (av_seek_frame(m_context, -1, target, AVSEEK_FLAG_BACKWARD) >= 0) return S_OK;
    // Some formats seek only by bytes or only forward; the start is always reachable.
    return avformat_seek_file(m_context, -1, INT64_MIN, target, target, 0) >= 0 ? S_OK : E_FAIL;
}

REFERENCE_TIME Demuxer::Duration() const {
    if (m_context->duration == AV_NOPTS_VALUE || m_context->duration < 0) return 0;
    return av_rescale_q(m_context->duration, AVRational{1, AV_TIME_BASE}, kReferenceTimeBase);
}

REFERENCE_TIME Demuxer::ToReferenceTime(int streamIndex, int64_t timestamp) const {
    if (timestamp == AV_NOPTS_VALUE) return AV_NOPTS_VALUE;
    const AVRational base = m_context->streams[streamIndex]->time_base;
    return av_rescale_q(timestamp, base, kReferenceTimeBase) -
           av_rescale_q(m_startTime, AVRational{1, AV_TIME_BASE}, kReferenceTimeBase);
}

}  // namespace orvo::ffmpeg
