#include "platform/filters/DefaultVideoRenderer.h"

#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "platform/graph/FilterRegistry.h"
#include "platform/window/XConnection.h"

namespace orvo::filters {
namespace {

com::ClassRegistration s_class(CLSID_VideoRenderer, &CDefaultVideoRenderer::Create);
graph::FilterRegistrationScope s_filter(graph::FilterRegistration{CLSID_VideoRenderer,
                                                                  u"Video Renderer",
                                                                  MERIT_PREFERRED,
                                                                  {{MEDIATYPE_Video, MEDIASUBTYPE_RGB32},
                                                                   {MEDIATYPE_Video, MEDIASUBTYPE_RGB24},
                                                                   {MEDIATYPE_Video, MEDIASUBTYPE_YV12},
                                                                   {MEDIATYPE_Video, MEDIASUBTYPE_IYUV},
                                                                   {MEDIATYPE_Video, MEDIASUBTYPE_I420},
                                                                   {MEDIATYPE_Video, MEDIASUBTYPE_NV12},
                                                                   {MEDIATYPE_Video, MEDIASUBTYPE_YUY2}},
                                                                  true});

}  // namespace

HRESULT CDefaultVideoRenderer::Create(REFIID riid, void** object) {
    return CreateComObject<CDefaultVideoRenderer>(riid, object);
}

CDefaultVideoRenderer::CDefaultVideoRenderer() : CBaseVideoRenderer(CLSID_VideoRenderer) {}

// A filter released while paused or running never saw its Stop.
CDefaultVideoRenderer::~CDefaultVideoRenderer() { CloseWindow(); }

// The type is judged by itself: a graph is built (and a file checked) the same with or
// without a display, which is needed only once the graph runs.
HRESULT CDefaultVideoRenderer::CheckMediaType(const graph::MediaType& mt) {
    VideoPicture picture;
    return DescribeVideoType(mt, picture) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CDefaultVideoRenderer::SetMediaType(const graph::MediaType& mt) {
    VideoPicture picture;
    if (!DescribeVideoType(mt, picture)) return VFW_E_TYPE_NOT_ACCEPTED;
    std::lock_guard lock(m_frameLock);
    m_picture = picture;
    return S_OK;
}

HRESULT CDefaultVideoRenderer::DoRenderSample(IMediaSample* sample) {
    BYTE* data = nullptr;
    if (!sample || FAILED(sample->GetPointer(&data))) return E_POINTER;
    const LONG length = sample->GetActualDataLength();
    std::lock_guard lock(m_frameLock);
    // A window of another size belongs to an earlier connection; it is never written past.
    if (!m_window || m_window->Width() != m_picture.width || m_window->Height() != m_picture.height) return S_FALSE;
    HRESULT hr = m_window->Show([&](uint8_t* pixels, int32_t pitch) {
        return length > 0 && CopyToRgb32(m_picture, data, size_t(length), pixels, pitch);
    });
    // A lost surface is restored for the next frame; the stream goes on.
    return hr == DDERR_SURFACELOST ? S_FALSE : hr;
}

// Without a display there is nowhere to show the video: the frames are taken on time and
// dropped, so the rest of the graph plays.
HRESULT CDefaultVideoRenderer::OnStartStreaming() {
    HRESULT hr = CBaseVideoRenderer::OnStartStreaming();
    if (FAILED(hr) || !InputPin()->IsConnected() || !window::Connection()) return hr;
    return OpenWindow();
}

HRESULT CDefaultVideoRenderer::OnStopStreaming() {
    CloseWindow();
    return CBaseVideoRenderer::OnStopStreaming();
}

HRESULT CDefaultVideoRenderer::OpenWindow() {
    std::lock_guard lock(m_frameLock);
    return VideoWindow::Open(m_picture.width, m_picture.height, m_window);
}

void CDefaultVideoRenderer::CloseWindow() {
    std::unique_ptr<VideoWindow> closing;
    std::lock_guard lock(m_frameLock);
    closing = std::move(m_window);
}

}  // namespace orvo::filters
