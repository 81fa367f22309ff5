#pragma once
// The enhanced renderer (CLSID_EnhancedVideoRenderer): the same windowless mixing filter,
// reached through its services: the render service gives the display control, the mixer
// service the alpha bitmap and the video processor (procamp in 16.16 fixed point).
#include "platform/video/MixingRendererFilter.h"
#include "platform/video/VideoRendererInterfaces.h"

namespace orvo::video {

class CEnhancedVideoRenderer final : public CMixingRendererFilter,
                                     public IMFGetService,
                                     public IEVRFilterConfig,
                                     public IMFVideoDisplayControl,
                                     public IMFVideoMixerBitmap,
                                     public IMFVideoProcessor {
public:
    CEnhancedVideoRenderer() : CMixingRendererFilter(CLSID_EnhancedVideoRenderer) {}
    static HRESULT Create(REFIID riid, void** object) { return CreateComObject<CEnhancedVideoRenderer>(riid, object); }
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE GetService(REFGUID service, REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE SetNumberOfStreams(DWORD count) override { return SetStreamCount(count); }
    HRESULT STDMETHODCALLTYPE GetNumberOfStreams(DWORD* count) override;

    HRESULT STDMETHODCALLTYPE GetNativeVideoSize(SIZE* video, SIZE* aspectRatio) override;
    // Only the whole picture is shown: source must be null or {0, 0, 1, 1}.
    HRESULT STDMETHODCALLTYPE SetVideoPosition(const MFVideoNormalizedRect* source, const RECT* dest) override;
    HRESULT STDMETHODCALLTYPE GetVideoPosition(MFVideoNormalizedRect* source, RECT* dest) override;
    HRESULT STDMETHODCALLTYPE SetAspectRatioMode(DWORD mode) override;
    HRESULT STDMETHODCALLTYPE GetAspectRatioMode(DWORD* mode) override;
    HRESULT STDMETHODCALLTYPE SetVideoWindow(HWND window) override;
    HRESULT STDMETHODCALLTYPE GetVideoWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE RepaintVideo() override { return Repaint(); }
    HRESULT STDMETHODCALLTYPE GetCurrentImage(BITMAPINFOHEADER* header, BYTE** dib, DWORD* dibSize,
                                              LONGLONG* timeStamp) override;
    HRESULT STDMETHODCALLTYPE SetBorderColor(COLORREF colour) override;
    HRESULT STDMETHODCALLTYPE GetBorderColor(COLORREF* colour) override;
    // There is no full-screen mode of its own: switching it on gives E_NOTIMPL.
    HRESULT STDMETHODCALLTYPE SetFullscreen(BOOL fullscreen) override { return fullscreen ? E_NOTIMPL : S_OK; }
    HRESULT STDMETHODCALLTYPE GetFullscreen(BOOL* fullscreen) override;

    HRESULT STDMETHODCALLTYPE SetAlphaBitmap(const MFVideoAlphaBitmap* bitmap) override;
    HRESULT STDMETHODCALLTYPE ClearAlphaBitmap() override;
    HRESULT STDMETHODCALLTYPE UpdateAlphaBitmapParameters(const MFVideoAlphaBitmapParams* params) override;
    HRESULT STDMETHODCALLTYPE GetAlphaBitmapParameters(MFVideoAlphaBitmapParams* params) override;

    HRESULT STDMETHODCALLTYPE GetProcAmpRange(DWORD property, DXVA2_ValueRange* range) override;
    HRESULT STDMETHODCALLTYPE GetProcAmpValues(DWORD flags, DXVA2_ProcAmpValues* values) override;
    HRESULT STDMETHODCALLTYPE SetProcAmpValues(DWORD flags, DXVA2_ProcAmpValues* values) override;
};

}  // namespace orvo::video
