#include "platform/filters/ffmpeg/VideoDecoderFilter.h"

#include "platform/filters/ffmpeg/VideoOutputFormat.h"
#include "platform/graph/MediaFormats.h"

namespace orvo::ffmpeg {
namespace {

constexpr int kTypesPerSubtype = 2;  // FORMAT_VideoInfo2, then FORMAT_VideoInfo

REFERENCE_TIME FrameTimeOf(const AM_MEDIA_TYPE& type) {
    if (type.formattype == FORMAT_VideoInfo2 && type.cbFormat >= sizeof(VIDEOINFOHEADER2))
        return reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->AvgTimePerFrame;
    if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER))
        return reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->AvgTimePerFrame;
    return 0;
}

bool BottomUpOrYuv(const AM_MEDIA_TYPE& type) {
    const BITMAPINFOHEADER* bmi = type.formattype == FORMAT_VideoInfo2
                                      ? &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader
                                      : &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    return bmi->biHeight > 0;
}

}  // namespace

CVideoDecoderFilter::CVideoDecoderFilter(REFCLSID clsid, CodecSet codecs)
    : CDecoderFilter(clsid, codecs, MEDIATYPE_Video) {}

HRESULT CVideoDecoderFilter::OnDecoderOpened(const Decoder& decoder, const graph::MediaType& input) {
    int width = 0, height = 0;
    if (!VideoTypeSize(input, width, height)) return VFW_E_TYPE_NOT_ACCEPTED;
    m_width = width, m_height = height;
    m_frameTime = FrameTimeOf(input);
    const AVCodecContext& context = decoder.Context();
    m_outputColor = ColorInfoOfPictures(context.colorspace, context.color_range, context.pix_fmt);
    m_interlacedStream = context.field_order != AV_FIELD_UNKNOWN && context.field_order != AV_FIELD_PROGRESSIVE;
    return S_OK;
}

HRESULT CVideoDecoderFilter::GetOutputType(int position, graph::MediaType& type) {
    if (position < 0) return E_INVALIDARG;
    if (!m_decoder) return VFW_E_NOT_CONNECTED;
    const auto subtypes = PreferredOutputSubtypes(m_decoder->ExpectedPixelFormat());
    if (size_t(position) >= subtypes.size() * kTypesPerSubtype) return VFW_S_NO_MORE_ITEMS;
    type = OutputMediaType(subtypes[size_t(position) / kTypesPerSubtype], m_width, m_height, m_frameTime,
                           position % kTypesPerSubtype == 0, m_outputColor);
    return S_OK;
}

HRESULT CVideoDecoderFilter::CheckOutputType(const graph::MediaType& type) {
    int width = 0, height = 0;
    if (type.majortype != MEDIATYPE_Video || !IsOutputSubtype(type.subtype) || !VideoTypeSize(type, width, height))
        return VFW_E_TYPE_NOT_ACCEPTED;
    // Only packed pictures of the stream's size, RGB bottom-up.
    return width == m_width && height == m_height && BottomUpOrYuv(type) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

void CVideoDecoderFilter::SetOutputType(const graph::MediaType& type) {
    m_outputSubtype = type.subtype;
    m_outputVideoInfo2 = type.formattype == FORMAT_VideoInfo2;
    m_outputColor = graph::ColorInfoOf(type);
    VideoTypeSize(type, m_width, m_height);
}

LONG CVideoDecoderFilter::OutputBufferSize() {
    // Room for the largest form, so that a later switch of subtype fits the same buffers.
    return LONG(LargestImageSize(m_width, m_height));
}

// Streaming thread.
HRESULT CVideoDecoderFilter::DeliverFrame(const AVFrame& frame) {
    if (m_interlacedStream || frame.interlaced_frame || m_deinterlacer.Active()) {
        const HRESULT hr = m_deinterlacer.Push(&frame, [this](const AVFrame& picture) { return DeliverPicture(picture); });
        if (hr != E_FAIL) return hr;
    }
    return DeliverPicture(frame);
}

// Streaming thread.
void CVideoDecoderFilter::OnDrained() {
    m_deinterlacer.Push(nullptr, [this](const AVFrame& picture) { return DeliverPicture(picture); });
}

// Streaming thread.
HRESULT CVideoDecoderFilter::DeliverPicture(const AVFrame& frame) {
    // Frames that end before the segment start were only decoded to reach the seek target; the
    // frame whose display interval holds the target starts before it and is shown.
    const REFERENCE_TIME start = frame.best_effort_timestamp != AV_NOPTS_VALUE ? frame.best_effort_timestamp : frame.pts;
    if (start != AV_NOPTS_VALUE && (m_frameTime > 0 ? start + m_frameTime <= 0 : start < 0)) return S_OK;
    const graph::VideoColorInfo color = FrameConverter::OutputColor(frame, m_outputSubtype);
    const bool resized = frame.width != m_width || frame.height != m_height;
    if (resized || (m_outputVideoInfo2 && color != m_outputColor)) {
        const graph::MediaType changed =
            OutputMediaType(m_outputSubtype, frame.width, frame.height, m_frameTime, m_outputVideoInfo2, color);
        // A peer that refuses a new colour still takes the pictures; one that refuses a new size cannot.
        if (FAILED(m_output.ChangeMediaType(changed))) {
            if (resized) return S_FALSE;
            m_outputColor = color;
        }
    }
    return DeliverSample(start, start + m_frameTime, start != AV_NOPTS_VALUE, [&](BYTE* buffer, LONG size, LONG& written) {
        const size_t bytes = PackedImageSize(m_outputSubtype, m_width, m_height);
        HRESULT hr = m_converter.Convert(frame, m_outputSubtype, m_width, m_height, buffer, size_t(size));
        written = LONG(bytes);
        return hr;
    });
}

}  // namespace orvo::ffmpeg
