#include "platform/filters/ffmpeg/AudioConverter.h"

#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include "platform/graph/MediaFormats.h"

namespace orvo::ffmpeg {

graph::MediaType PcmMediaType(int channels, int sampleRate, bool floatSamples) {
    WAVEFORMATEXTENSIBLE wave{};
    WAVEFORMATEX& f = wave.Format;
    f.wFormatTag = floatSamples ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    f.nChannels = WORD(channels);
    f.nSamplesPerSec = DWORD(sampleRate);
    f.wBitsPerSample = floatSamples ? 32 : 16;
    f.nBlockAlign = WORD(channels * f.wBitsPerSample / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
    const bool extensible = channels > 2;
    if (extensible) {
        f.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
        f.cbSize = sizeof wave - sizeof f;
        wave.Samples.wValidBitsPerSample = f.wBitsPerSample;
        AVChannelLayout layout{};
        av_channel_layout_default(&layout, channels);
        wave.dwChannelMask = DWORD(av_channel_layout_subset(&layout, ~0ull));
        wave.SubFormat = floatSamples ? MEDIASUBTYPE_IEEE_FLOAT : MEDIASUBTYPE_PCM;
    }
    graph::MediaType type(MEDIATYPE_Audio, floatSamples ? MEDIASUBTYPE_IEEE_FLOAT : MEDIASUBTYPE_PCM,
                          FORMAT_WaveFormatEx);
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = f.nBlockAlign;
    SetMediaTypeFormat(type, FORMAT_WaveFormatEx, &wave, extensible ? sizeof wave : sizeof f);
    return type;
}

bool ReadPcmMediaType(const AM_MEDIA_TYPE& type, int& channels, int& sampleRate, bool& floatSamples) {
    if (type.majortype != MEDIATYPE_Audio || type.formattype != FORMAT_WaveFormatEx || !type.pbFormat ||
        type.cbFormat < sizeof(WAVEFORMATEX))
        return false;
    WAVEFORMATEX f;
    std::memcpy(&f, type.pbFormat, sizeof f);
    WORD tag = f.wFormatTag;
    if (tag == WAVE_FORMAT_EXTENSIBLE) {
        if (type.cbFormat < sizeof(WAVEFORMATEXTENSIBLE)) return false;
        WAVEFORMATEXTENSIBLE wave;
        std::memcpy(&wave, type.pbFormat, sizeof wave);
        tag = wave.SubFormat == MEDIASUBTYPE_IEEE_FLOAT ? WAVE_FORMAT_IEEE_FLOAT
              : wave.SubFormat == MEDIASUBTYPE_PCM      ? WAVE_FORMAT_PCM
                                                        : 0;
    }
    floatSamples = tag == WAVE_FORMAT_IEEE_FLOAT && f.wBitsPerSample == 32;
    const bool pcm16 = tag == WAVE_FORMAT_PCM && f.wBitsPerSample == 16;
    channels = f.nChannels;
    sampleRate = int(f.nSamplesPerSec);
    return (floatSamples || pcm16) && channels > 0 && sampleRate > 0;
}

AudioConverter::~AudioConverter() {
    swr_free(&m_resampler);
    av_channel_layout_uninit(&m_layout);
}

HRESULT AudioConverter::Convert(const AVFrame& frame, bool floatSamples, std::vector<uint8_t>& out) {
    const AVSampleFormat target = floatSamples ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_S16;
    if (!m_resampler || m_format != frame.format || m_rate != frame.sample_rate || m_float != floatSamples ||
        av_channel_layout_compare(&m_layout, &frame.ch_layout) != 0) {
        swr_free(&m_resampler);
        // FFmpeg 5.1 takes the layouts through non-const pointers but only reads them.
        auto* layout = const_cast<AVChannelLayout*>(&frame.ch_layout);
        if (swr_alloc_set_opts2(&m_resampler, layout, target, frame.sample_rate, layout,
                                AVSampleFormat(frame.format), frame.sample_rate, 0, nullptr) < 0 ||
            swr_init(m_resampler) < 0) {
            swr_free(&m_resampler);
            return E_FAIL;
        }
        m_format = frame.format, m_rate = frame.sample_rate, m_float = floatSamples;
        av_channel_layout_uninit(&m_layout);
        av_channel_layout_copy(&m_layout, &frame.ch_layout);
    }
    const int channels = frame.ch_layout.nb_channels;
    const int bytesPerFrame = channels * av_get_bytes_per_sample(target);
    out.resize(size_t(frame.nb_samples) * size_t(bytesPerFrame));
    uint8_t* data[] = {out.data()};
    const int converted = swr_convert(m_resampler, data, frame.nb_samples,
                                      const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples);
    if (converted < 0) return E_FAIL;
    out.resize(size_t(converted) * size_t(bytesPerFrame));
    return S_OK;
}

}  // namespace orvo::ffmpeg
