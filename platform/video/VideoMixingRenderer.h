#pragma once
// The mixing renderers 7 and 9 (CLSID_VideoMixingRenderer, CLSID_VideoMixingRenderer9):
// windowless only, with filter configuration, windowless control, mixer control (procamp
// too for version 9) and the alpha bitmap. The two families have the same operations on
// their own interface types, so one template serves both.
#include <cstring>

#include "platform/com/Runtime.h"
#include "platform/video/MixingRendererFilter.h"
#include "platform/video/VideoRendererInterfaces.h"

namespace orvo::video {

template <class Config, class Windowless, class Mixer, class Bitmap, class AlphaParams>
class CMixingRenderer : public CMixingRendererFilter, public Config, public Windowless, public Mixer, public Bitmap {
public:
    using CMixingRendererFilter::CMixingRendererFilter;
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override {
        if (riid == Config::kIid) return GetInterface(static_cast<Config*>(this), object);
        if (riid == Windowless::kIid) return GetInterface(static_cast<Windowless*>(this), object);
        if (riid == Mixer::kIid) return GetInterface(static_cast<Mixer*>(this), object);
        if (riid == Bitmap::kIid) return GetInterface(static_cast<Bitmap*>(this), object);
        return CMixingRendererFilter::NonDelegatingQueryInterface(riid, object);
    }

    // Filter configuration.
    HRESULT STDMETHODCALLTYPE SetNumberOfStreams(DWORD count) override { return SetStreamCount(count); }
    HRESULT STDMETHODCALLTYPE GetNumberOfStreams(DWORD* count) override {
        if (!count) return E_POINTER;
        *count = StreamCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetRenderingMode(DWORD mode) override {
        return mode == VMRMode_Windowless ? S_OK : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetRenderingMode(DWORD* mode) override {
        if (!mode) return E_POINTER;
        *mode = VMRMode_Windowless;
        return S_OK;
    }

    // Windowless control.
    HRESULT STDMETHODCALLTYPE GetNativeVideoSize(LONG* width, LONG* height, LONG* arWidth, LONG* arHeight) override {
        HRESULT hr = NativeSize(width, height);
        if (arWidth) *arWidth = width ? *width : 0;
        if (arHeight) *arHeight = height ? *height : 0;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE SetVideoPosition(const RECT* source, const RECT* dest) override {
        SIZE native = Native();
        return Locked([&](VideoMixer& m, WindowOutput& o) {
            HRESULT hr = o.SetPosition(source, dest, native);
            if (SUCCEEDED(hr)) o.Present(m);
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE GetVideoPosition(RECT* source, RECT* dest) override {
        SIZE native = Native();
        return Locked([&](VideoMixer&, WindowOutput& o) { return o.GetPosition(source, dest, native); });
    }
    HRESULT STDMETHODCALLTYPE GetAspectRatioMode(DWORD* mode) override {
        if (!mode) return E_POINTER;
        *mode = Locked([](VideoMixer&, WindowOutput& o) { return o.AspectRatioMode(); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetAspectRatioMode(DWORD mode) override {
        return Locked([&](VideoMixer&, WindowOutput& o) { return o.SetAspectRatioMode(mode); });
    }
    HRESULT STDMETHODCALLTYPE SetVideoClippingWindow(HWND window) override {
        return Locked([&](VideoMixer&, WindowOutput& o) { return o.SetWindow(window); });
    }
    HRESULT STDMETHODCALLTYPE RepaintVideo(HWND, HDC) override { return Repaint(); }
    HRESULT STDMETHODCALLTYPE DisplayModeChanged() override {
        Locked([](VideoMixer&, WindowOutput& o) { o.Reset(); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentImage(BYTE** dib) override {
        if (!dib) return E_POINTER;
        *dib = nullptr;
        BITMAPINFOHEADER header;
        HRESULT hr = CurrentImage(header, sizeof header, dib, nullptr);
        if (SUCCEEDED(hr)) std::memcpy(*dib, &header, sizeof header);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE SetBorderColor(COLORREF colour) override {
        Locked([&](VideoMixer&, WindowOutput& o) { o.SetBorderColor(colour); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBorderColor(COLORREF* colour) override {
        if (!colour) return E_POINTER;
        *colour = Locked([](VideoMixer&, WindowOutput& o) { return o.BorderColor(); });
        return S_OK;
    }

    // Mixer control.
    HRESULT STDMETHODCALLTYPE SetAlpha(DWORD stream, float alpha) override {
        return Locked([&](VideoMixer& m, WindowOutput&) { return m.SetAlpha(stream, alpha); });
    }
    HRESULT STDMETHODCALLTYPE GetAlpha(DWORD stream, float* alpha) override {
        return Locked([&](VideoMixer& m, WindowOutput&) { return m.GetAlpha(stream, alpha); });
    }
    HRESULT STDMETHODCALLTYPE SetZOrder(DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetZOrder(DWORD stream, DWORD* z) override {
        if (!z) return E_POINTER;
        *z = stream;  // streams mix in their order
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetOutputRect(DWORD stream, const NORMALIZEDRECT* rect) override {
        return Locked([&](VideoMixer& m, WindowOutput&) { return m.SetOutputRect(stream, rect); });
    }
    HRESULT STDMETHODCALLTYPE GetOutputRect(DWORD stream, NORMALIZEDRECT* rect) override {
        return Locked([&](VideoMixer& m, WindowOutput&) { return m.GetOutputRect(stream, rect); });
    }

    // Alpha bitmap: taken from a device context only; a surface is not offered.
    HRESULT STDMETHODCALLTYPE SetAlphaBitmap(const AlphaParams* params) override {
        if (!params) return E_POINTER;
        if (params->dwFlags & VMRBITMAP_DISABLE) return UpdateAlphaBitmapParameters(params);
        if (!(params->dwFlags & VMRBITMAP_HDC) || !params->hdc || params->pDDS) return E_INVALIDARG;
        AlphaBitmap bitmap;
        HRESULT hr = ReadBitmapFromDc(params->hdc, bitmap.image);
        if (FAILED(hr)) return hr;
        bitmap.source = params->rSrc;  // empty: the whole bitmap
        bitmap.dest = params->rDest;
        bitmap.alpha = params->fAlpha;
        bitmap.useColorKey = params->dwFlags & VMRBITMAP_SRCCOLORKEY;
        bitmap.colorKey = params->clrSrcKey;
        return Locked([&](VideoMixer& m, WindowOutput&) { return m.SetAlphaBitmap(std::move(bitmap)); });
    }
    HRESULT STDMETHODCALLTYPE UpdateAlphaBitmapParameters(const AlphaParams* params) override {
        if (!params) return E_POINTER;
        return Locked([&](VideoMixer& m, WindowOutput&) -> HRESULT {
            if (params->dwFlags & VMRBITMAP_DISABLE) return m.ClearAlphaBitmap(), S_OK;
            return m.UpdateAlphaBitmap(params->rSrc, params->rDest, params->fAlpha,
                                       params->dwFlags & VMRBITMAP_SRCCOLORKEY, params->clrSrcKey);
        });
    }
    HRESULT STDMETHODCALLTYPE GetAlphaBitmapParameters(AlphaParams* params) override {
        if (!params) return E_POINTER;
        return Locked([&](VideoMixer& m, WindowOutput&) {
            const AlphaBitmap& b = m.CurrentAlphaBitmap();
            params->dwFlags = m.AlphaBitmapShown() ? (b.useColorKey ? VMRBITMAP_SRCCOLORKEY : 0) : VMRBITMAP_DISABLE;
            params->hdc = 0;
            params->pDDS = nullptr;
            params->rSrc = b.source;
            params->rDest = b.dest;
            params->fAlpha = b.alpha;
            params->clrSrcKey = b.colorKey;
            return S_OK;
        });
    }

protected:
    SIZE Native() {
        LONG w = 0, h = 0;
        NativeSize(&w, &h);
        return {w, h};
    }
};

class CVideoMixingRenderer7 final
    : public CMixingRenderer<IVMRFilterConfig, IVMRWindowlessControl, IVMRMixerControl, IVMRMixerBitmap,
                             VMRALPHABITMAP> {
public:
    CVideoMixingRenderer7() : CMixingRenderer(CLSID_VideoMixingRenderer) {}
    static HRESULT Create(REFIID riid, void** object) { return CreateComObject<CVideoMixingRenderer7>(riid, object); }
};

class CVideoMixingRenderer9 final
    : public CMixingRenderer<IVMRFilterConfig9, IVMRWindowlessControl9, IVMRMixerControl9, IVMRMixerBitmap9,
                             VMR9AlphaBitmap> {
public:
    CVideoMixingRenderer9() : CMixingRenderer(CLSID_VideoMixingRenderer9) {}
    static HRESULT Create(REFIID riid, void** object) { return CreateComObject<CVideoMixingRenderer9>(riid, object); }

    // Procamp: one set of values for the whole mix, so the stream only has to exist.
    HRESULT STDMETHODCALLTYPE GetProcAmpControl(DWORD stream, VMR9ProcAmpControl* values) override;
    HRESULT STDMETHODCALLTYPE SetProcAmpControl(DWORD stream, VMR9ProcAmpControl* values) override;
    HRESULT STDMETHODCALLTYPE GetProcAmpControlRange(DWORD stream, VMR9ProcAmpControlRange* range) override;
};

}  // namespace orvo::video
