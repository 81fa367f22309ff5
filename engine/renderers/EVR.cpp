#include "engine/renderers/EVR.h"

#include <new>

#include "engine/renderers/GraphHelpers.h"
#include "engine/renderers/RendererFactory.h"
#include "platform/com/Runtime.h"
#include "platform/window/WindowSystem.h"

namespace orvo::engine {
namespace {

const bool kRegistered =
    (RegisterRendererKind(RENDERER_EVR,
                          [](const RendererConfig& config) {
                              return std::unique_ptr<CVideoRenderer>(new (std::nothrow) CEVR(config.mixerStreams));
                          }),
     true);

bool IsColorControl(int32_t property) {
    return property == COLOR_BRIGHTNESS || property == COLOR_CONTRAST || property == COLOR_HUE ||
           property == COLOR_SATURATION;
}

}  // namespace

CEVR::~CEVR() {
    m_filter.Reset();
    m_display.Reset();
}

HRESULT CEVR::AddToGraph(IGraphBuilder* graph, HWND window, IPin* pin, LPCWSTR name) {
    if (FAILED(AddFilterByClsid(CLSID_EnhancedVideoRenderer, m_filter.Put(), graph, name)) || !m_filter) return 1;
    ComPtr<IMFGetService> service;
    if (FAILED(m_filter.As(service)) ||
        FAILED(service->GetService(MR_VIDEO_RENDER_SERVICE, IID_IMFVideoDisplayControl, m_display.PutVoid()))) {
        m_display.Reset();
        m_filter.Reset();
        return 1;
    }
    m_display->SetVideoWindow(window);
    const HRESULT result = m_display->SetAspectRatioMode(MFVideoARMode_PreservePicture);
    ComPtr<IEVRFilterConfig> config;
    if (SUCCEEDED(m_filter.As(config))) config->SetNumberOfStreams(m_mixerStreams);
    if (pin) ConnectToFilter(m_filter.Get(), graph, pin);
    return result;
}

HRESULT CEVR::OnGraphBuilt(IGraphBuilder* graph) {
    if (!m_filter) return 1;
    ComPtr<IPin> connected;
    if (FAILED(FindPin(m_filter.Get(), PINDIR_INPUT, connected.Put(), 1))) {
        if (graph) graph->RemoveFilter(m_filter.Get());
        m_filter.Reset();
        m_display.Reset();
    }
    m_frameRate = 0;
    m_width = 0;
    m_height = 0;
    if (m_display) {
        SIZE video{};
        m_display->GetNativeVideoSize(&video, nullptr);
        m_width = video.cx;
        m_height = video.cy;
        m_frameRate = 25.0;
    }
    return 0;
}

HRESULT CEVR::SetWindow(HWND window, const RECT* rect) {
    if (!m_display) return 0;
    if (window) {
        m_window = window;
        m_display->SetVideoWindow(window);
    }
    RECT client{};
    if (!rect) GetClientRect(m_window, &client);
    return m_display->SetVideoPosition(nullptr, rect ? rect : &client);
}

template <class T>
ComPtr<T> CEVR::MixerService() {
    ComPtr<IMFGetService> service;
    ComPtr<T> mixer;
    if (SUCCEEDED(m_filter.As(service))) service->GetService(MR_VIDEO_MIXER_SERVICE, T::kIid, mixer.PutVoid());
    return mixer;
}

int CEVR::SetOverlayBitmap(const OverlayBitmap* record) {
    if (!m_display || !m_filter || !record) return 0;
    ComPtr<IMFVideoMixerBitmap> bitmap = MixerService<IMFVideoMixerBitmap>();
    if (!bitmap) return 0;
    if (record->enable <= 0) return SUCCEEDED(bitmap->ClearAlphaBitmap()) ? 1 : 0;
    MFVideoAlphaBitmap shown{};
    shown.GetBitmapFromDC = 1;
    shown.bitmap.hdc = record->dc;
    // The source rectangle is filled in but not flagged, so the whole bitmap shows.
    shown.params = {MFVideoAlphaBitmap_SrcColorKey | MFVideoAlphaBitmap_DestRect | MFVideoAlphaBitmap_Alpha,
                    record->colorKey,
                    record->source,
                    {record->left, record->top, record->right, record->bottom},
                    record->alpha,
                    0};
    return SUCCEEDED(bitmap->SetAlphaBitmap(&shown)) ? 1 : 0;
}

HBITMAP CEVR::CaptureImage() {
    if (!m_display) return nullptr;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    BYTE* pixels = nullptr;
    DWORD bytes = 0;
    LONGLONG time = 0;
    if (FAILED(m_display->GetCurrentImage(&header, &pixels, &bytes, &time)) || !pixels) return nullptr;
    HBITMAP bitmap = BitmapFromDib(header, pixels, header.biWidth, header.biHeight);
    CoTaskMemFree(pixels);
    return bitmap;
}

int CEVR::GetColorRange(int, ColorRange* record) {
    if (!m_display || !m_filter || !record) return 0;
    ComPtr<IMFVideoProcessor> processor = MixerService<IMFVideoProcessor>();
    if (!processor || !IsColorControl(record->property)) return 0;
    DXVA2_ValueRange range{};
    if (FAILED(processor->GetProcAmpRange(DWORD(record->property), &range))) return 0;
    record->min = DXVA2FixedToFloat(range.MinValue);
    record->max = DXVA2FixedToFloat(range.MaxValue);
    record->defaultValue = DXVA2FixedToFloat(range.DefaultValue);
    record->step = DXVA2FixedToFloat(range.StepSize);
    return 1;
}

int CEVR::SetColorValues(int, const ColorValues* record) {
    if (!m_display || !m_filter || !record) return 0;
    ComPtr<IMFVideoProcessor> processor = MixerService<IMFVideoProcessor>();
    if (!processor) return 0;
    DXVA2_ProcAmpValues values{DXVA2FloatToFixed(record->brightness), DXVA2FloatToFixed(record->contrast),
                               DXVA2FloatToFixed(record->hue), DXVA2FloatToFixed(record->saturation)};
    return SUCCEEDED(processor->SetProcAmpValues(DXVA2_ProcAmp_Brightness | DXVA2_ProcAmp_Contrast |
                                                     DXVA2_ProcAmp_Hue | DXVA2_ProcAmp_Saturation,
                                                 &values))
               ? 1
               : 0;
}

}  // namespace orvo::engine
