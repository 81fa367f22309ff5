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
    : CDecoderFilter(clsid), m_codecs(codecs), m_frame(av_frame_alloc()) {}

CVideoDecoderFilter::~CVideoDecoderFilter() { av_frame_free(&m_frame); }

HRESULT CVideoDecoderFilter::CheckInputType(const graph::MediaType& input) {
    return input.majortype == MEDIATYPE_Video && Decoder::Accepts(input, m_codecs) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CVideoDecoderFilter::OpenDecoder(const graph::MediaType& input) {
    std::unique_ptr<Decoder> decoder;
    HRESULT hr = Decoder::Create(input, m_codecs, decoder);
    if (FAILED(hr)) return hr;
    int width = 0, height = 0;
    if (!VideoTypeSize(input, width, height)) return VFW_E_TYPE_NOT_ACCEPTED;
    m_decoder = std::move(decoder);
    m_width = width, m_height = height;
    m_frameTime = FrameTimeOf(input);
    return S_OK;
}

HRESULT CVideoDecoderFilter::GetOutputType(int position, graph::MediaType& type) {
    if (position < 0) return E_INVALIDARG;
    if (!m_decoder) return VFW_E_NOT_CONNECTED;
    const auto subtypes = PreferredOutputSubtypes(m_decoder->ExpectedPixelFormat());
    if (size_t(position) >= subtypes.size() * kTypesPerSubtype) return VFW_S_NO_MORE_ITEMS;
    type = OutputMediaType(subtypes[size_t(position) / kTypesPerSubtype], m_width, m_height, m_frameTime,
                           position % kTypesPerSubtype == 0);
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
    VideoTypeSize(type, m_width, m_height);
}

LONG CVideoDecoderFilter::OutputBufferSize() {
    // Room for the largest form, so that a later switch of subtype fits the same buffers.
    return LONG(PackedImageSize(MEDIASUBTYPE_RGB32, m_width, m_height));
}

// Streaming thread.
HRESULT CVideoDecoderFilter::Decode(IMediaSample* sample) {
    if (!m_decoder) return VFW_E_NOT_CONNECTED;
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data))) return E_POINTER;
    const LONG length = sample->GetActualDataLength();
    REFERENCE_TIME start = 0, stop = 0;
    const bool timed = SUCCEEDED(sample->GetTime(&start, &stop));
    if (length > 0) m_decoder->Send(data, size_t(length), timed ? start : AV_NOPTS_VALUE, sample->IsSyncPoint() == S_OK);
    return DeliverFrames();
}

// Streaming thread.
HRESULT CVideoDecoderFilter::DeliverFrames() {
    HRESULT result = S_OK;
    while (m_decoder->Receive(m_frame) == S_OK) {
        // Frames before the segment start were only decoded to reach the seek target.
        const int64_t start = m_frame->best_effort_timestamp;
        if (result == S_OK && (start == AV_NOPTS_VALUE || start >= 0)) result = DeliverFrame(*m_frame);
        av_frame_unref(m_frame);
    }
    return FAILED(result) ? result : S_OK;
}

// Streaming thread.
HRESULT CVideoDecoderFilter::DeliverFrame(const AVFrame& frame) {
    if (frame.width != m_width || frame.height != m_height) {
        const graph::MediaType changed =
            OutputMediaType(m_outputSubtype, frame.width, frame.height, m_frameTime, m_outputVideoInfo2);
        if (FAILED(m_output.ChangeMediaType(changed))) return S_FALSE;  // the picture cannot go on
    }
    const REFERENCE_TIME start = frame.best_effort_timestamp;
    return DeliverSample(start, start + m_frameTime, start != AV_NOPTS_VALUE, [&](BYTE* buffer, LONG size, LONG& written) {
        const size_t bytes = PackedImageSize(m_outputSubtype, m_width, m_height);
        HRESULT hr = m_converter.Convert(frame, m_outputSubtype, m_width, m_height, buffer, size_t(size));
        written = LONG(bytes);
        return hr;
    });
}

// Streaming thread.
void CVideoDecoderFilter::Drain() {
    if (!m_decoder) return;
    m_decoder->Send(nullptr, 0, AV_NOPTS_VALUE, false);
    DeliverFrames();
    m_decoder->Flush();
}

void CVideoDecoderFilter::Discard() {
    if (m_decoder) m_decoder->Flush();
}

}  // namespace orvo::ffmpeg
