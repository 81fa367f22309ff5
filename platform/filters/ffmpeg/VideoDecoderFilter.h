#pragma once
// The video decoder filter: any video of its codec set in, packed NV12, YV12, IYUV, YUY2, RGB32
// or RGB24 out (VideoOutputFormat.h), converted once per frame where the decoded format is not
// the connected one. A change of picture size mid-stream sends a new media type downstream.
#include <memory>

#include "platform/filters/ffmpeg/Decoder.h"
#include "platform/filters/ffmpeg/DecoderFilter.h"
#include "platform/filters/ffmpeg/FrameConverter.h"

namespace orvo::ffmpeg {

class CVideoDecoderFilter final : public CDecoderFilter {
public:
    CVideoDecoderFilter(REFCLSID clsid, CodecSet codecs);
    ~CVideoDecoderFilter() override;

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
    FrameConverter m_converter;
    AVFrame* m_frame;
    int m_width = 0, m_height = 0;
    REFERENCE_TIME m_frameTime = 0;
    GUID m_outputSubtype = GUID_NULL;
    bool m_outputVideoInfo2 = true;
};

}  // namespace orvo::ffmpeg
