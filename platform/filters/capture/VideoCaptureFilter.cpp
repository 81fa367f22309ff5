#include "platform/filters/capture/VideoCaptureFilter.h"

#include <chrono>
#include <thread>

#include "platform/filters/capture/CaptureFilterIds.h"
#include "platform/graph/MediaFormats.h"

namespace orvo::capture {

DWORD VideoFormat::ImageBytes() const {
    const DWORD pixels = DWORD(width) * DWORD(height);
    if (subtype == MEDIASUBTYPE_YUY2 || Compressed()) return pixels * 2;
    return pixels * 3 / 2;  // NV12 and I420
}

WORD VideoFormat::BitCount() const { return subtype == MEDIASUBTYPE_YUY2 || Compressed() ? 16 : 12; }

bool VideoFormat::Compressed() const { return subtype == MEDIASUBTYPE_MJPG; }

CVideoCaptureStream::CVideoCaptureStream(CBaseFilter* filter, VideoDevice& device)
    : CCaptureStream(filter, u"Capture"), m_device(device), m_format(device.Format()) {}

HRESULT CVideoCaptureStream::CheckMediaType(const graph::MediaType& mediaType) {
    if (mediaType.majortype != MEDIATYPE_Video || mediaType.subtype != m_format.subtype) return S_FALSE;
    const auto* info = mediaType.FormatAs<VIDEOINFOHEADER>();
    if (mediaType.formattype != FORMAT_VideoInfo || !info) return S_FALSE;
    return info->bmiHeader.biWidth == m_format.width && info->bmiHeader.biHeight == m_format.height ? S_OK : S_FALSE;
}

HRESULT CVideoCaptureStream::GetMediaType(int position, graph::MediaType& mediaType) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    mediaType = graph::MediaType(MEDIATYPE_Video, m_format.subtype, FORMAT_VideoInfo);
    mediaType.bFixedSizeSamples = !m_format.Compressed();
    mediaType.bTemporalCompression = FALSE;
    mediaType.lSampleSize = m_format.Compressed() ? 0 : m_format.ImageBytes();
    VIDEOINFOHEADER info{};
    info.AvgTimePerFrame = m_format.frameTime;
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = m_format.width;
    info.bmiHeader.biHeight = m_format.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = m_format.BitCount();
    info.bmiHeader.biCompression = m_format.subtype.Data1;
    info.bmiHeader.biSizeImage = m_format.ImageBytes();
    return SetMediaTypeFormat(mediaType, FORMAT_VideoInfo, &info, sizeof info);
}

HRESULT CVideoCaptureStream::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) {
    ALLOCATOR_PROPERTIES wanted{4, LONG(m_format.ImageBytes()), 16, 0}, actual{};
    HRESULT hr = allocator->SetProperties(&wanted, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer >= wanted.cbBuffer ? S_OK : E_FAIL;
}

HRESULT CVideoCaptureStream::Active() {
    if (!IsConnected()) return S_OK;
    HRESULT hr = m_device.Open();
    if (FAILED(hr)) return hr;
    m_open = true;
    m_clock.Activate(*m_filter);
    hr = CSourceStream::Active();
    if (FAILED(hr)) {
        m_device.Close();
        m_open = false;
        m_clock.Deactivate();
    }
    return hr;
}

HRESULT CVideoCaptureStream::Inactive() {
    HRESULT hr = CSourceStream::Inactive();  // the streaming thread has ended here
    if (m_open) m_device.Close();
    m_open = false;
    m_clock.Deactivate();
    return hr;
}

HRESULT CVideoCaptureStream::Run(REFERENCE_TIME start) {
    m_clock.Run(start);
    return CSourceStream::Run(start);
}

HRESULT CVideoCaptureStream::FillBuffer(IMediaSample* sample) {
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr)) return hr;
    const auto aborted = [this] { return StopRequested(); };
    for (;;) {
        LONG length = 0;
        hr = m_device.Read(data, sample->GetSize(), &length, aborted);
        if (hr != S_OK) return hr;
        // Frames captured while paused are dropped: a paused live picture keeps its last frame.
        if (m_filter->State() != State_Running) continue;
        sample->SetActualDataLength(length);
        sample->SetSyncPoint(TRUE);
        REFERENCE_TIME start;
        if (m_clock.StreamTime(&start)) {
            REFERENCE_TIME end = start + m_format.frameTime;
            sample->SetTime(&start, &end);
        }
        return S_OK;
    }
}

CVideoCaptureFilter::CVideoCaptureFilter(std::unique_ptr<VideoDevice> device)
    : CSource(CLSID_VideoCaptureSource), m_device(std::move(device)) {
    AddStream(std::make_unique<CVideoCaptureStream>(this, *m_device));
}

CVideoCaptureFilter::~CVideoCaptureFilter() { Stop(); }

HRESULT CVideoCaptureFilter::Create(std::unique_ptr<VideoDevice> device, REFIID riid, void** object) {
    if (!device) return E_POINTER;
    return CreateComObject<CVideoCaptureFilter>(riid, object, std::move(device));
}

HRESULT CVideoCaptureFilter::GetState(DWORD milliSecsTimeout, FILTER_STATE* state) {
    HRESULT hr = CSource::GetState(milliSecsTimeout, state);
    return SUCCEEDED(hr) && *state == State_Paused ? VFW_S_CANT_CUE : hr;
}

}  // namespace orvo::capture
