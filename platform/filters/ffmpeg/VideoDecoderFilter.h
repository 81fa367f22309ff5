#pragma once
// The video decoder filter: any video of its codec set in, packed NV12, YV12, IYUV, YUY2, RGB32
// or RGB24 out (VideoOutputFormat.h), converted once per frame where the decoded format is not
// the connected one. A change of picture size mid-stream sends a new media type downstream.
#include "platform/filters/ffmpeg/Decoder.h"
#include "platform/filters/ffmpeg/DecoderFilter.h"
#include "platform/filters/ffmpeg/FrameConverter.h"

namespace orvo::ffmpeg {

class CVideoDecoderFilter final : public CDecoderFilter {
public:
    CVideoDecoderFilter(REFCLSID clsid, CodecSet codecs);

    HRESULT GetOutputType(int position, graph::MediaType& type) override;
    HRESULT CheckOutputType(const graph::MediaType& type) override;
    void SetOutputType(const graph::MediaType& type) override;
    LONG OutputBufferSize() override;

private:
    HRESULT OnDecoderOpened(const Decoder& decoder, const graph::MediaType& input) override;
    bool EveryPacketIsKey() const override { return false; }
    bool SkipsWhenLate() const override { return true; }
    HRESULT DeliverFrame(const AVFrame& frame) override;

    FrameConverter m_converter;
    int m_width = 0, m_height = 0;
    REFERENCE_TIME m_frameTime = 0;
    GUID m_outputSubtype = GUID_NULL;
    bool m_outputVideoInfo2 = true;
    graph::VideoColorInfo m_outputColor;  // what the connected type says of the pictures' colour
};

}  // namespace orvo::ffmpeg
