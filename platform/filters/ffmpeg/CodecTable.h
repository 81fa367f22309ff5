#pragma once
// The codecs the FFmpeg filters name in media types: FFmpeg's codec id, the FOURCC (video) or
// wave format tag (audio) that makes the subtype, a readable name, and whether the codec is in
// the platform's own, smaller codec set.
#include <string_view>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
}

#include "platform/com/Guid.h"

namespace orvo::ffmpeg {

// Which codecs a decoder filter takes: every one FFmpeg decodes, or the platform's own set
// (uncompressed video, Motion JPEG, MPEG-1/2 video; PCM, MPEG audio layers 1 to 3).
enum class CodecSet { All, System };

struct CodecEntry {
    AVCodecID id;
    uint32_t fourcc;          // subtype FOURCC; for audio a wave format tag (below 0x10000) or a FOURCC
    const char* displayName;  // as shown in stream names
    bool system;              // in CodecSet::System
};

// The entry for a codec id, or nullptr for a codec the table does not name.
const CodecEntry* FindCodec(AVCodecID id);
// The entry whose subtype is that GUID, or nullptr.
const CodecEntry* FindCodec(const GUID& subtype);
// The distinct subtypes of the set's codecs of one kind, in table order.
std::vector<GUID> SubtypesInSet(CodecSet set, AVMediaType kind);
// Whether a decoder configured with the set takes the codec.
bool InCodecSet(CodecSet set, AVCodecID id);

}  // namespace orvo::ffmpeg
