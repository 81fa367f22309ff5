#pragma once
// Interleaved PCM layouts the audio renderer plays, read from a wave format block, and the
// volume and balance gains applied to them in place.
#include <optional>

#include "platform/graph/MediaFormats.h"

namespace orvo::filters {

enum class SampleFormat { U8, S16, S24, S32, F32 };

struct PcmFormat {
    SampleFormat sample;
    DWORD rate;
    WORD channels;
    WORD blockAlign;  // bytes per frame
};

// The layout of a FORMAT_WaveFormatEx type, or nullopt for one the renderer cannot play.
std::optional<PcmFormat> PcmFormatOf(const AM_MEDIA_TYPE& mt);

// Amplitude factor of a volume in hundredths of a decibel; -10000 and below is silence.
double GainOfVolume(LONG volume);

struct ChannelGains {
    double left;
    double right;
};
// Volume on every channel; balance attenuates the right channel when negative and the left
// when positive (channels 0 and 1; mono takes the volume alone).
ChannelGains GainsOf(LONG volume, LONG balance);

void ApplyGains(BYTE* frames, size_t frameCount, const PcmFormat& format, ChannelGains gains);

}  // namespace orvo::filters
