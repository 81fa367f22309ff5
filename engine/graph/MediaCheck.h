#pragma once
// The media check: whether the platform's own filters play a file and, when one of its
// streams cannot be rendered, what that stream's format is, so that a caller can name the
// missing decoder. Runs entirely on the caller's thread, in its component apartment, and
// touches no library state: it may run while channels play.
#include <cstdint>

#include "platform/graph/Interfaces.h"

namespace orvo::engine {

enum MediaCheckResult : int32_t {
    CHECK_PLAYABLE = 0,
    CHECK_UNPLAYABLE = 1,
    CHECK_VIDEO_NOT_RENDERED = 4130,
    CHECK_AUDIO_NOT_RENDERED = 8209,
    CHECK_FAILED = 666,
};

// The audio stream the platform cannot render.
struct UnrenderedAudio {
    GUID subtype;
    int32_t channels;
    int32_t sampleRate;
    int32_t formatTag;
};

// The video stream the platform cannot render.
struct UnrenderedVideo {
    GUID subtype;
    int32_t width;
    int32_t height;  // negative for top-down pictures
    uint32_t compression;
};

// The first of the pin's preferred types, in order, whose major type is majorType: handed
// out with S_OK, the caller's to free with DeleteMediaType. Every other type enumerated is
// freed on the way. VFW_E_NOT_FOUND when the pin offers none; a failure to enumerate as it
// came. The out pointer is null on any failure.
HRESULT FindMediaType(IPin* pin, REFGUID majorType, AM_MEDIA_TYPE** mediaType);

// Renders the file into a graph of its own with the platform's automatic file rendering,
// never runs it, and gives a CHECK_* code. A negative form means name is a UTF-16 string,
// otherwise UTF-8. A record is written only in its own partial case; null records are
// skipped.
int32_t CheckMediaFile(const void* name, int32_t form, UnrenderedAudio* audio, UnrenderedVideo* video);

}  // namespace orvo::engine
