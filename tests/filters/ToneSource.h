#pragma once
// A source of a sine tone in any of the audio renderer's PCM layouts, in 10 ms samples.
#include "platform/filters/PcmFormat.h"
#include "platform/graph/SourceStream.h"

namespace orvo::test {

inline constexpr GUID CLSID_ToneSource = MakeGuid("{5E1D0010-0000-4000-8000-00000000A010}");

struct Tone {
    filters::SampleFormat format = filters::SampleFormat::S16;
    DWORD rate = 48000;
    WORD channels = 2;
    double frequency = 440.0;
    REFERENCE_TIME duration = 10'000'000;
};

WORD BytesPerSample(filters::SampleFormat format);
// The media type the tone source offers.
graph::MediaType ToneMediaType(const Tone& tone);

class ToneSource final : public CSource {
public:
    explicit ToneSource(const Tone& tone);
};

}  // namespace orvo::test
