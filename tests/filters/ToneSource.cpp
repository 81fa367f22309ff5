#include "tests/filters/ToneSource.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace orvo::test {

using filters::SampleFormat;

WORD BytesPerSample(SampleFormat format) {
    switch (format) {
        case SampleFormat::U8: return 1;
        case SampleFormat::S16: return 2;
        case SampleFormat::S24: return 3;
        default: return 4;
    }
}

graph::MediaType ToneMediaType(const Tone& tone) {
    graph::MediaType mt(MEDIATYPE_Audio, tone.format == SampleFormat::F32 ? MEDIASUBTYPE_IEEE_FLOAT : MEDIASUBTYPE_PCM);
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = tone.format == SampleFormat::F32 ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    wfx.nChannels = tone.channels;
    wfx.nSamplesPerSec = tone.rate;
    wfx.wBitsPerSample = WORD(BytesPerSample(tone.format) * 8);
    wfx.nBlockAlign = WORD(tone.channels * BytesPerSample(tone.format));
    wfx.nAvgBytesPerSec = wfx.nBlockAlign * tone.rate;
    SetMediaTypeFormat(mt, FORMAT_WaveFormatEx, &wfx, sizeof wfx);
    return mt;
}

namespace {

void WriteSample(BYTE* p, SampleFormat format, double v) {  // v in [-1, 1]
    switch (format) {
        case SampleFormat::U8: *p = BYTE(std::lround(v * 127.0) + 128); break;
        case SampleFormat::S16: {
            auto s = int16_t(std::lround(v * 32767.0));
            std::memcpy(p, &s, 2);
            break;
        }
        case SampleFormat::S24: {
            auto s = uint32_t(int32_t(std::lround(v * 8388607.0)));
            p[0] = BYTE(s);
            p[1] = BYTE(s >> 8);
            p[2] = BYTE(s >> 16);
            break;
        }
        case SampleFormat::S32: {
            auto s = int32_t(std::llround(v * 2147483647.0));
            std::memcpy(p, &s, 4);
            break;
        }
        case SampleFormat::F32: {
            auto s = float(v);
            std::memcpy(p, &s, 4);
            break;
        }
    }
}

class ToneStream final : public CSourceStream {
public:
    ToneStream(CBaseFilter* filter, const Tone& tone) : CSourceStream(filter, u"Audio"), m_tone(tone) {
        SetDuration(tone.duration);
    }
    HRESULT CheckMediaType(const graph::MediaType& mt) override {
        return MediaTypesEqual(mt, ToneMediaType(m_tone)) ? S_OK : S_FALSE;
    }
    HRESULT GetMediaType(int position, graph::MediaType& mt) override {
        if (position) return VFW_S_NO_MORE_ITEMS;
        mt = ToneMediaType(m_tone);
        return S_OK;
    }
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) override {
        ALLOCATOR_PROPERTIES wanted{4, LONG(FramesPerSample() * m_tone.channels * BytesPerSample(m_tone.format)), 1, 0};
        ALLOCATOR_PROPERTIES actual{};
        return allocator->SetProperties(&wanted, &actual);
    }
    void OnThreadStartPlay() override {
        m_frame = uint64_t(SegmentStartPosition() * m_tone.rate / 10'000'000);
        m_first = m_frame;
        m_end = uint64_t(SegmentStopPosition() * m_tone.rate / 10'000'000);
    }
    HRESULT FillBuffer(IMediaSample* sample) override {
        if (m_frame >= m_end) return S_FALSE;
        size_t frames = std::min<uint64_t>(FramesPerSample(), m_end - m_frame);
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        WORD bytes = BytesPerSample(m_tone.format);
        for (size_t f = 0; f < frames; ++f) {
            double v = std::sin(2 * std::numbers::pi * m_tone.frequency * double(m_frame + f) / m_tone.rate);
            for (WORD c = 0; c < m_tone.channels; ++c)
                WriteSample(data + (f * m_tone.channels + c) * bytes, m_tone.format, v);
        }
        REFERENCE_TIME start = REFERENCE_TIME((m_frame - m_first) * 10'000'000 / m_tone.rate);
        REFERENCE_TIME end = REFERENCE_TIME((m_frame - m_first + frames) * 10'000'000 / m_tone.rate);
        sample->SetTime(&start, &end);
        sample->SetActualDataLength(LONG(frames * m_tone.channels * bytes));
        m_frame += frames;
        return S_OK;
    }

private:
    size_t FramesPerSample() const { return m_tone.rate / 100; }
    Tone m_tone;
    uint64_t m_frame = 0, m_first = 0, m_end = 0;
};

}  // namespace

ToneSource::ToneSource(const Tone& tone) : CSource(CLSID_ToneSource) { AddStream(std::make_unique<ToneStream>(this, tone)); }

}  // namespace orvo::test
