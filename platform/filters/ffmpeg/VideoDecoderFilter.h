#pragma once
// The video decoder filter: any video of its codec set in, packed pictures out in the decoder's
// own format where it is one of the output forms (VideoOutputFormat.h), else converted once per
// frame into NV12, YUY2 or RGB32. Interlaced pictures are deinterlaced at frame rate. A change of
// picture size or colour mid-stream sends a new media type downstream.
#include "platform/filters/ffmpeg/Decoder.h"
#include "platform/filters/ffmpeg/DecoderFilter.h"
#include "platform/filters/ffmpeg/Deinterlacer.h"
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
    // Interlaced frames, and every frame of a stream whose field order says it is interlaced,
    // go through the deinterlacer; the rest straight to DeliverPicture.
    HRESULT DeliverFrame(const AVFrame& frame) override;
    void OnDrained() override;
    void OnDiscard() override { m_deinterlacer.Reset(); }
    HRESULT DeliverPicture(const AVFrame& frame);

    FrameConverter m_converter;
    Deinterlacer m_deinterlacer;
    bool m_interlacedStream = false;  // the codec's field order says so
    int m_width = 0, m_height = 0;
    REFERENCE_TIME m_frameTime = 0;
    GUID m_outputSubtype = GUID_NULL;
    bool m_outputVideoInfo2 = true;
    graph::VideoColorInfo m_outputColor;  // what the connected type says of the pictures' colour
};

}  // namespace orvo::ffmpeg
