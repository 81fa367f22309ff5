#include "platform/filters/ffmpeg/AudioDecoderFilter.h"

#include <algorithm>
#include <cstring>

#include "platform/graph/MediaFormats.h"

namespace orvo::ffmpeg {
namespace {

constexpr LONG kOutputBuffer = 256 * 1024;
constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;

}  // namespace

CAudioDecoderFilter::CAudioDecoderFilter(REFCLSID clsid, CodecSet codecs)
    : CDecoderFilter(clsid, codecs, MEDIATYPE_Audio) {}

HRESULT CAudioDecoderFilter::OnDecoderOpened(const Decoder& decoder, const graph::MediaType&) {
    const AVCodecContext& context = decoder.Context();
    if (context.ch_layout.nb_channels <= 0 || context.sample_rate <= 0) return VFW_E_TYPE_NOT_ACCEPTED;
    // A stream switched mid-play keeps the connected output while it has the same shape.
    if (!m_output.IsConnected()) m_channels = context.ch_layout.nb_channels, m_rate = context.sample_rate;
    m_nextStart = AV_NOPTS_VALUE;
    return S_OK;
}

HRESULT CAudioDecoderFilter::GetOutputType(int position, graph::MediaType& type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 1) return VFW_S_NO_MORE_ITEMS;
    if (!m_decoder) return VFW_E_NOT_CONNECTED;
    type = PcmMediaType(m_channels, m_rate, position == 0);
    return S_OK;
}

HRESULT CAudioDecoderFilter::CheckOutputType(const graph::MediaType& type) {
    int channels = 0, rate = 0;
    bool floatSamples = false;
    if (!ReadPcmMediaType(type, channels, rate, floatSamples)) return VFW_E_TYPE_NOT_ACCEPTED;
    return channels == m_channels && rate == m_rate ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

void CAudioDecoderFilter::SetOutputType(const graph::MediaType& type) {
    ReadPcmMediaType(type, m_channels, m_rate, m_float);
}

LONG CAudioDecoderFilter::OutputBufferSize() { return kOutputBuffer; }

// Streaming thread. Splits the frame over as many output buffers as it needs.
HRESULT CAudioDecoderFilter::DeliverFrame(const AVFrame& frame) {
    if (frame.ch_layout.nb_channels != m_channels || frame.sample_rate != m_rate) {
        const graph::MediaType changed = PcmMediaType(frame.ch_layout.nb_channels, frame.sample_rate, m_float);
        if (FAILED(m_output.ChangeMediaType(changed))) return S_FALSE;
    }
    if (FAILED(m_converter.Convert(frame, m_float, m_pcm))) return S_OK;  // an undecodable frame is skipped
    REFERENCE_TIME start = frame.best_effort_timestamp != AV_NOPTS_VALUE ? frame.best_effort_timestamp : m_nextStart;
    const size_t blockAlign = size_t(m_channels) * (m_float ? 4 : 2);
    const size_t totalFrames = m_pcm.size() / blockAlign;
    auto timeAfter = [&](size_t frames) { return start + REFERENCE_TIME(frames) * kUnitsPerSecond / m_rate; };
    m_nextStart = start == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : timeAfter(totalFrames);
    // Sound before the segment start was decoded only to reach the seek target.
    if (start != AV_NOPTS_VALUE && timeAfter(totalFrames) <= 0) return S_OK;
    const size_t framesPerBuffer = size_t(kOutputBuffer) / blockAlign;
    for (size_t done = 0; done < totalFrames;) {
        const size_t count = std::min(framesPerBuffer, totalFrames - done);
        HRESULT hr = DeliverSample(timeAfter(done), timeAfter(done + count), start != AV_NOPTS_VALUE,
                                   [&](BYTE* buffer, LONG size, LONG& written) {
                                       written = LONG(count * blockAlign);
                                       if (size < written) return E_FAIL;
                                       std::memcpy(buffer, m_pcm.data() + done * blockAlign, size_t(written));
                                       return S_OK;
                                   });
        if (hr != S_OK) return hr;
        done += count;
    }
    return S_OK;
}

}  // namespace orvo::ffmpeg
