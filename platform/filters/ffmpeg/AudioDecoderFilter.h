#pragma once
// The audio decoder filter: any audio of its codec set in, interleaved PCM out at the stream's
// rate and channel count, 32-bit float when the downstream filter takes it, else 16-bit.
#include <memory>
#include <vector>

#include "platform/filters/ffmpeg/AudioConverter.h"
#include "platform/filters/ffmpeg/Decoder.h"
#include "platform/filters/ffmpeg/DecoderFilter.h"

namespace orvo::ffmpeg {

class CAudioDecoderFilter final : public CDecoderFilter {
public:
    CAudioDecoderFilter(REFCLSID clsid, CodecSet codecs);
    ~CAudioDecoderFilter() override;

    HRESULT CheckInputType(const graph::MediaType& input) override;
    HRESULT OpenDecoder(const graph::MediaType& input) override;
    HRESULT GetOutputType(int position, graph::MediaType& type) override;
    HRESULT CheckOutputType(const graph::MediaType& type) override;
    void SetOutputType(const graph::MediaType& type) override;
    LONG OutputBufferSize() override;
    HRESULT Decode(IMediaSample* sample) override;
    void Drain() override;
    void Discard() override;

private:
    HRESULT DeliverFrames();
    HRESULT DeliverFrame(const AVFrame& frame);

    CodecSet m_codecs;
    std::unique_ptr<Decoder> m_decoder;
    AudioConverter m_converter;
    std::vector<uint8_t> m_pcm;
    AVFrame* m_frame;
    int m_channels = 0, m_rate = 0;
    bool m_float = true;
    REFERENCE_TIME m_nextStart = AV_NOPTS_VALUE;  // for frames without a timestamp
};

}  // namespace orvo::ffmpeg
