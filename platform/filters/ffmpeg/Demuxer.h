#pragma once
// A media file opened with libavformat: its streams as media types in stream groups, packets
// in file order, seeking and the duration, all times in 100-ns units from the file's start.
// Not thread-safe: the splitter calls it from its reading thread, and from the application's
// thread only while that thread is parked.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "platform/graph/MediaType.h"

namespace orvo::ffmpeg {

// Load's answer for a path that names no file.
constexpr HRESULT kFileNotFound = MakeHResult(0x80070002);

enum class StreamGroup { Video = 0, Audio = 1, Subtitle = 2 };
constexpr int kStreamGroupCount = 3;

struct DemuxedStream {
    int index;  // the stream's index in the file
    StreamGroup group;
    graph::MediaType mediaType;
    std::u16string name;  // readable, "English, AC-3 5.1"
    std::string language;
    LCID locale;
};

class Demuxer {
public:
    // Opens the file: kFileNotFound, E_ACCESSDENIED, VFW_E_UNKNOWN_FILE_TYPE for what is no
    // regular file (a directory, a FIFO, a device; refused without blocking) and for content no
    // format claims with confidence, VFW_E_INVALID_FILE_FORMAT when the streams cannot be read,
    // VFW_E_UNSUPPORTED_STREAM when none can be described.
    static HRESULT Open(std::u16string_view path, std::unique_ptr<Demuxer>& demuxer);
    ~Demuxer();
    Demuxer(const Demuxer&) = delete;
    Demuxer& operator=(const Demuxer&) = delete;

    // Video, audio and subtitle streams in the file's order.
    const std::vector<DemuxedStream>& Streams() const { return m_streams; }
    // The entry for a file stream index, or nullptr for a stream not offered.
    const DemuxedStream* FindStream(int index) const;
    const AVStream& FileStream(int index) const { return *m_context->streams[index]; }
    std::string FormatName() const;

    // The next packet of any stream: S_OK, S_FALSE at the end of the file (or where it breaks
    // off), a failure on a read error.
    HRESULT ReadPacket(AVPacket* packet);
    // How the reading ended, once ReadPacket stopped giving packets: S_OK at the end the file
    // declares, VFW_E_FILE_TOO_SHORT where a file cut short breaks off, VFW_E_INVALID_FILE_FORMAT
    // on data that cannot be read, the read failure otherwise.
    HRESULT EndResult() const { return m_endResult; }
    // Moves to the last key frame at or before time; packets before the time still come and the
    // receiver drops what it need not show.
    HRESULT Seek(REFERENCE_TIME time);
    REFERENCE_TIME Duration() const;
    // A stream timestamp as 100-ns units from the file's start; AV_NOPTS_VALUE stays so.
    REFERENCE_TIME ToReferenceTime(int streamIndex, int64_t timestamp) const;

private:
    struct FileInput;
    Demuxer(AVFormatContext* context, std::unique_ptr<FileInput> input);
    void DescribeStreams();

    bool EndsShort() const;

    AVFormatContext* m_context;
    std::unique_ptr<FileInput> m_input;  // what m_context reads through; closed after it
    int64_t m_startTime = 0;  // AV_TIME_BASE units
    REFERENCE_TIME m_reached = 0;  // the furthest packet end read since opening or seeking
    HRESULT m_endResult = S_OK;
    std::vector<DemuxedStream> m_streams;
};

}  // namespace orvo::ffmpeg
