#include "platform/filters/PcmFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

namespace orvo::filters {

std::optional<PcmFormat> PcmFormatOf(const AM_MEDIA_TYPE& mt) {
    if (mt.majortype != MEDIATYPE_Audio || mt.formattype != FORMAT_WaveFormatEx) return std::nullopt;
    if (!mt.pbFormat || mt.cbFormat < sizeof(WAVEFORMATEX)) return std::nullopt;
    WAVEFORMATEX wfx;
    std::memcpy(&wfx, mt.pbFormat, sizeof wfx);
    bool isFloat = wfx.wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
    if (wfx.wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
        if (mt.cbFormat < sizeof(WAVEFORMATEXTENSIBLE)) return std::nullopt;
        WAVEFORMATEXTENSIBLE ext;
        std::memcpy(&ext, mt.pbFormat, sizeof ext);
        if (ext.SubFormat == MEDIASUBTYPE_IEEE_FLOAT)
            isFloat = true;
        else if (ext.SubFormat != MEDIASUBTYPE_PCM)
            return std::nullopt;
    } else if (wfx.wFormatTag != WAVE_FORMAT_PCM && !isFloat) {
        return std::nullopt;
    }
    if (wfx.nChannels == 0 || wfx.nChannels > 32 || wfx.nSamplesPerSec == 0 || wfx.nSamplesPerSec > 768000)
        return std::nullopt;
    if (wfx.nBlockAlign != wfx.nChannels * (wfx.wBitsPerSample / 8)) return std::nullopt;
    PcmFormat format{SampleFormat::S16, wfx.nSamplesPerSec, wfx.nChannels, wfx.nBlockAlign};
    switch (wfx.wBitsPerSample) {
        case 8: format.sample = SampleFormat::U8; break;
        case 16: format.sample = SampleFormat::S16; break;
        case 24: format.sample = SampleFormat::S24; break;
        case 32: format.sample = isFloat ? SampleFormat::F32 : SampleFormat::S32; break;
        default: return std::nullopt;
    }
    if (isFloat && format.sample != SampleFormat::F32) return std::nullopt;
    return format;
}

double GainOfVolume(LONG volume) {
    if (volume <= -10000) return 0.0;
    return std::pow(10.0, std::min<LONG>(volume, 0) / 2000.0);
}

ChannelGains GainsOf(LONG volume, LONG balance) {
    double gain = GainOfVolume(volume);
    balance = std::clamp<LONG>(balance, -10000, 10000);
    ChannelGains gains{gain, gain};
    if (balance < 0) gains.right *= GainOfVolume(balance);
    if (balance > 0) gains.left *= GainOfVolume(-balance);
    return gains;
}

namespace {

template <class T>
T Scale(double value, double gain) {
    double scaled = std::round(value * gain);
    return T(std::clamp(scaled, double(std::numeric_limits<T>::min()), double(std::numeric_limits<T>::max())));
}

// A little-endian sample of type T at p, multiplied by gain; integers round and saturate.
template <class T>
void ScaleInPlace(BYTE* p, double gain) {
    T v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::is_floating_point_v<T>)
        v = T(v * gain);
    else
        v = Scale<T>(v, gain);
    std::memcpy(p, &v, sizeof v);
}

template <class Transform>
void ForEachSample(BYTE* frames, size_t frameCount, const PcmFormat& format, Transform scale) {
    const size_t bytes = format.blockAlign / format.channels;
    for (size_t f = 0; f < frameCount; ++f)
        for (WORD c = 0; c < format.channels; ++c) scale(frames + f * format.blockAlign + c * bytes, c);
}

}  // namespace

void ApplyGains(BYTE* frames, size_t frameCount, const PcmFormat& format, ChannelGains gains) {
    if (gains.left == 1.0 && gains.right == 1.0) return;
    auto gainOf = [&](WORD channel) {
        if (format.channels == 1) return gains.left == gains.right ? gains.left : std::max(gains.left, gains.right);
        return channel == 1 ? gains.right : channel == 0 ? gains.left : std::max(gains.left, gains.right);
    };
    switch (format.sample) {
        case SampleFormat::U8:
            ForEachSample(frames, frameCount, format, [&](BYTE* p, WORD c) {
                *p = uint8_t(Scale<int8_t>(double(int(*p) - 128), gainOf(c)) + 128);
            });
            break;
        case SampleFormat::S16:
            ForEachSample(frames, frameCount, format, [&](BYTE* p, WORD c) { ScaleInPlace<int16_t>(p, gainOf(c)); });
            break;
        case SampleFormat::S24:
            ForEachSample(frames, frameCount, format, [&](BYTE* p, WORD c) {
                int32_t v = int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >> 8;
                double scaled = std::clamp(std::round(v * gainOf(c)), -8388608.0, 8388607.0);
                auto out = uint32_t(int32_t(scaled));
                p[0] = BYTE(out);
                p[1] = BYTE(out >> 8);
                p[2] = BYTE(out >> 16);
            });
            break;
        case SampleFormat::S32:
            ForEachSample(frames, frameCount, format, [&](BYTE* p, WORD c) { ScaleInPlace<int32_t>(p, gainOf(c)); });
            break;
        case SampleFormat::F32:
            ForEachSample(frames, frameCount, format, [&](BYTE* p, WORD c) { ScaleInPlace<float>(p, gainOf(c)); });
            break;
    }
}

}  // namespace orvo::filters
