#pragma once
// The audio decoder filter: any audio of its codec set in, interleaved PCM out at the stream's
// rate and channel count, 32-bit float when the downstream filter takes it, else 16-bit.
#include <vector>

#include "platform/filters/ffmpeg/AudioConverter.h"
#include "platform/filters/ffmpeg/Decoder.h"
#include "platform/filters/ffmpeg/DecoderFilter.h"

namespace orvo::ffmpeg {

class CAudioDecoderFilter final : public CDecoderFilter {
public:
    CAudioDecoderFilter(REFCLSID clsid, CodecSet codecs);

    HRESULT GetOutputType(int position, graph::MediaType& type) override;
    HRESULT CheckOutputType(const graph::MediaType& type) override;
    void SetOutputType(const graph::MediaType& type) override;
    LONG OutputBufferSize() override;

private:
    HRESULT OnDecoderOpened(const Decoder& decoder, const graph::MediaType& input) override;
    bool EveryPacketIsKey() const override { return true; }
    HRESULT DeliverFrame(const AVFrame& frame) override;
    void OnDiscard() override { m_nextStart = AV_NOPTS_VALUE; }

    AudioConverter m_converter;
    std::vector<uint8_t> m_pcm;
    int m_channels = 0, m_rate = 0;
    bool m_float = true;
    REFERENCE_TIME m_nextStart = AV_NOPTS_VALUE;  // for frames without a timestamp
};

}  // namespace orvo::ffmpeg
