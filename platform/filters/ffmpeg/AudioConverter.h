#pragma once
// Brings decoded audio into interleaved PCM, 16-bit or 32-bit float, at the stream's own rate
// and channel count, through libswresample. Used on the decoder's streaming thread only.
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

#include "platform/graph/MediaType.h"

struct SwrContext;

namespace orvo::ffmpeg {

// A WAVEFORMATEX type (WAVEFORMATEXTENSIBLE above two channels) for interleaved PCM.
graph::MediaType PcmMediaType(int channels, int sampleRate, bool floatSamples);

// Reads back what PcmMediaType wrote; false for anything else.
bool ReadPcmMediaType(const AM_MEDIA_TYPE& type, int& channels, int& sampleRate, bool& floatSamples);

class AudioConverter {
public:
    AudioConverter() = default;
    ~AudioConverter();
    AudioConverter(const AudioConverter&) = delete;
    AudioConverter& operator=(const AudioConverter&) = delete;

    // Replaces out with the frame's samples, interleaved. E_FAIL when the frame's format
    // cannot be converted.
    HRESULT Convert(const AVFrame& frame, bool floatSamples, std::vector<uint8_t>& out);

private:
    SwrContext* m_resampler = nullptr;
    int m_format = -1;
    int m_rate = 0;
    AVChannelLayout m_layout{};
    bool m_float = false;
};

}  // namespace orvo::ffmpeg
