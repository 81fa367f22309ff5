#include "platform/video/EnhancedVideoRenderer.h"

#include "platform/com/Runtime.h"

namespace orvo::video {
namespace {

// The parts of the parameters their flags name; the rest keep the defaults.
void ApplyParams(const MFVideoAlphaBitmapParams& params, AlphaBitmap& bitmap) {
    bitmap.source = params.dwFlags & MFVideoAlphaBitmap_SrcRect ? params.rcSrc : RECT{};
    bitmap.dest = params.dwFlags & MFVideoAlphaBitmap_DestRect ? params.nrcDest : NORMALIZEDRECT{0, 0, 1, 1};
    bitmap.alpha = params.dwFlags & MFVideoAlphaBitmap_Alpha ? params.fAlpha : 1.0f;
    bitmap.useColorKey = params.dwFlags & MFVideoAlphaBitmap_SrcColorKey;
    bitmap.colorKey = params.clrSrcKey;
}

bool IsWhole(const MFVideoNormalizedRect& r) { return r.left == 0 && r.top == 0 && r.right == 1 && r.bottom == 1; }

}  // namespace

HRESULT CEnhancedVideoRenderer::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (riid == IID_IMFGetService) return GetInterface(static_cast<IMFGetService*>(this), object);
    if (riid == IID_IEVRFilterConfig) return GetInterface(static_cast<IEVRFilterConfig*>(this), object);
    if (riid == IID_IMFVideoDisplayControl) return GetInterface(static_cast<IMFVideoDisplayControl*>(this), object);
    if (riid == IID_IMFVideoMixerBitmap) return GetInterface(static_cast<IMFVideoMixerBitmap*>(this), object);
    if (riid == IID_IMFVideoProcessor) return GetInterface(static_cast<IMFVideoProcessor*>(this), object);
    return CMixingRendererFilter::NonDelegatingQueryInterface(riid, object);
}

HRESULT CEnhancedVideoRenderer::GetService(REFGUID service, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    const bool render = service == MR_VIDEO_RENDER_SERVICE && riid == IID_IMFVideoDisplayControl;
    const bool mixer = service == MR_VIDEO_MIXER_SERVICE && (riid == IID_IMFVideoMixerBitmap || riid == IID_IMFVideoProcessor);
    if (!render && !mixer) return MF_E_UNSUPPORTED_SERVICE;
    return NonDelegatingQueryInterface(riid, object);
}

HRESULT CEnhancedVideoRenderer::GetNumberOfStreams(DWORD* count) {
    if (!count) return E_POINTER;
    *count = StreamCount();
    return S_OK;
}

HRESULT CEnhancedVideoRenderer::GetNativeVideoSize(SIZE* video, SIZE* aspectRatio) {
    if (!video && !aspectRatio) return E_POINTER;
    LONG width = 0, height = 0;
    HRESULT hr = NativeSize(&width, &height);
    if (video) *video = {width, height};
    if (aspectRatio) *aspectRatio = {width, height};
    return hr;
}

HRESULT CEnhancedVideoRenderer::SetVideoPosition(const MFVideoNormalizedRect* source, const RECT* dest) {
    if (source && !IsWhole(*source)) return E_NOTIMPL;
    if (!source && !dest) return E_POINTER;
    if (!dest) return S_OK;
    return Locked([&](VideoMixer& m, WindowOutput& o) {
        HRESULT hr = o.SetPosition(nullptr, dest, m.NativeSize());
        if (SUCCEEDED(hr)) o.Present(m);
        return hr;
    });
}

HRESULT CEnhancedVideoRenderer::GetVideoPosition(MFVideoNormalizedRect* source, RECT* dest) {
    if (!source || !dest) return E_POINTER;
    *source = {0, 0, 1, 1};
    return Locked([&](VideoMixer& m, WindowOutput& o) { return o.GetPosition(nullptr, dest, m.NativeSize()); });
}

HRESULT CEnhancedVideoRenderer::SetAspectRatioMode(DWORD mode) {
    return Locked([&](VideoMixer&, WindowOutput& o) { return o.SetAspectRatioMode(mode); });
}

HRESULT CEnhancedVideoRenderer::GetAspectRatioMode(DWORD* mode) {
    if (!mode) return E_POINTER;
    *mode = Locked([](VideoMixer&, WindowOutput& o) { return o.AspectRatioMode(); });
    return S_OK;
}

HRESULT CEnhancedVideoRenderer::SetVideoWindow(HWND window) {
    return Locked([&](VideoMixer&, WindowOutput& o) { return o.SetWindow(window); });
}

HRESULT CEnhancedVideoRenderer::GetVideoWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = Locked([](VideoMixer&, WindowOutput& o) { return o.Window(); });
    return S_OK;
}

HRESULT CEnhancedVideoRenderer::GetCurrentImage(BITMAPINFOHEADER* header, BYTE** dib, DWORD* dibSize,
                                                LONGLONG* timeStamp) {
    if (!header || !dib || !dibSize) return E_POINTER;
    if (header->biSize != sizeof(BITMAPINFOHEADER)) return E_INVALIDARG;
    HRESULT hr = CurrentImage(*header, 0, dib, dibSize);
    if (timeStamp) *timeStamp = 0;
    return hr;
}

HRESULT CEnhancedVideoRenderer::SetBorderColor(COLORREF colour) {
    Locked([&](VideoMixer&, WindowOutput& o) { o.SetBorderColor(colour); });
    return S_OK;
}

HRESULT CEnhancedVideoRenderer::GetBorderColor(COLORREF* colour) {
    if (!colour) return E_POINTER;
    *colour = Locked([](VideoMixer&, WindowOutput& o) { return o.BorderColor(); });
    return S_OK;
}

HRESULT CEnhancedVideoRenderer::GetFullscreen(BOOL* fullscreen) {
    if (!fullscreen) return E_POINTER;
    *fullscreen = FALSE;
    return S_OK;
}

HRESULT CEnhancedVideoRenderer::SetAlphaBitmap(const MFVideoAlphaBitmap* bitmap) {
    if (!bitmap) return E_POINTER;
    if (!bitmap->GetBitmapFromDC || !bitmap->bitmap.hdc) return E_INVALIDARG;  // surfaces are not offered
    AlphaBitmap shown;
    HRESULT hr = ReadBitmapFromDc(bitmap->bitmap.hdc, shown.image);
    if (FAILED(hr)) return hr;
    ApplyParams(bitmap->params, shown);
    return Locked([&](VideoMixer& m, WindowOutput&) { return m.SetAlphaBitmap(std::move(shown)); });
}

HRESULT CEnhancedVideoRenderer::ClearAlphaBitmap() {
    Locked([](VideoMixer& m, WindowOutput&) { m.ClearAlphaBitmap(); });
    return S_OK;
}

HRESULT CEnhancedVideoRenderer::UpdateAlphaBitmapParameters(const MFVideoAlphaBitmapParams* params) {
    if (!params) return E_POINTER;
    AlphaBitmap next;
    ApplyParams(*params, next);
    return Locked([&](VideoMixer& m, WindowOutput&) {
        return m.UpdateAlphaBitmap(next.source, next.dest, next.alpha, next.useColorKey, next.colorKey);
    });
}

HRESULT CEnhancedVideoRenderer::GetAlphaBitmapParameters(MFVideoAlphaBitmapParams* params) {
    if (!params) return E_POINTER;
    return Locked([&](VideoMixer& m, WindowOutput&) -> HRESULT {
        if (!m.AlphaBitmapShown()) return MF_E_INVALIDREQUEST;
        const AlphaBitmap& b = m.CurrentAlphaBitmap();
        *params = {MFVideoAlphaBitmap_SrcRect | MFVideoAlphaBitmap_DestRect | MFVideoAlphaBitmap_Alpha |
                       (b.useColorKey ? MFVideoAlphaBitmap_SrcColorKey : 0),
                   b.colorKey, b.source, b.dest, b.alpha, 0};
        return S_OK;
    });
}

HRESULT CEnhancedVideoRenderer::GetProcAmpRange(DWORD property, DXVA2_ValueRange* range) {
    if (!range) return E_POINTER;
    ProcAmpRange r;
    if (!ProcAmpRangeOf(property, r)) return E_INVALIDARG;
    *range = {DXVA2FloatToFixed(r.min), DXVA2FloatToFixed(r.max), DXVA2FloatToFixed(r.defaultValue),
              DXVA2FloatToFixed(r.step)};
    return S_OK;
}

HRESULT CEnhancedVideoRenderer::GetProcAmpValues(DWORD, DXVA2_ProcAmpValues* values) {
    if (!values) return E_POINTER;
    const ProcAmpValues v = Locked([](VideoMixer& m, WindowOutput&) { return m.ProcAmp(); });
    *values = {DXVA2FloatToFixed(v.brightness), DXVA2FloatToFixed(v.contrast), DXVA2FloatToFixed(v.hue),
               DXVA2FloatToFixed(v.saturation)};
    return S_OK;
}

HRESULT CEnhancedVideoRenderer::SetProcAmpValues(DWORD flags, DXVA2_ProcAmpValues* values) {
    if (!values) return E_POINTER;
    const ProcAmpValues v{DXVA2FixedToFloat(values->Brightness), DXVA2FixedToFloat(values->Contrast),
                          DXVA2FixedToFloat(values->Hue), DXVA2FixedToFloat(values->Saturation)};
    return Locked([&](VideoMixer& m, WindowOutput&) { return m.SetProcAmp(flags, v); });
}

static com::ClassRegistration s_evr(CLSID_EnhancedVideoRenderer, &CEnhancedVideoRenderer::Create);

}  // namespace orvo::video
