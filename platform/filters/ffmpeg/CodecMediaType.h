#pragma once
// Media types from FFmpeg's codec parameters and back. Video: the codec's FOURCC subtype and
// FORMAT_VideoInfo2 with the codec's extra data after the header; audio: a WAVEFORMATEX block
// with the extra data after it (cbSize); subtitles: MEDIATYPE_Subtitle with the extra data as
// the format block.
//
// The video header's dwReserved2 carries the stream's pixel format plus one (0: unknown), so that
// a decoder can offer its output types when it connects, before it has decoded a frame.
extern "C" {
#include <libavcodec/codec_par.h>
}

#include "platform/graph/MediaType.h"

namespace orvo::ffmpeg {

// The media type of a stream; frameRate may be {0, 1} when unknown. An invalid (empty) type
// for a codec the table does not name or a stream of another kind.
graph::MediaType MediaTypeFromCodec(const AVCodecParameters& codec, AVRational frameRate);

// Fills codec (freshly allocated) from a media type this module made; false when the type
// names no codec the table knows or its format block is short.
bool CodecFromMediaType(const AM_MEDIA_TYPE& type, AVCodecParameters& codec);

}  // namespace orvo::ffmpeg
