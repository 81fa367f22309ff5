#pragma once
// Renderer kind 5, "EVR": the enhanced renderer drawing into the channel's window with the
// picture's aspect ratio kept; overlay bitmap, colour controls and frame capture go through
// its services. A failing aspect-ratio mode makes the factory fall back to kind 3.
#include <cstdint>

#include "engine/renderers/VideoRenderer.h"
#include "platform/com/ComPtr.h"
#include "platform/video/VideoRendererInterfaces.h"

namespace orvo::engine {

class CEVR final : public CVideoRenderer {
public:
    // mixerStreams: the input streams the renderer is set up with, 1..15.
    explicit CEVR(uint32_t mixerStreams = 1) : m_mixerStreams(mixerStreams) {}
    // The filter goes first, then the display control.
    ~CEVR() override;
    int IsActive() override { return m_display ? 1 : 0; }
    int CanFullScreen() override { return 1; }
    HRESULT SetFullScreen(int on) override { return m_display ? m_display->SetFullscreen(on ? TRUE : FALSE) : 1; }
    HRESULT AddToGraph(IGraphBuilder* graph, HWND window, IPin* pin, LPCWSTR name) override;
    HRESULT OnGraphBuilt(IGraphBuilder* graph) override;
    HRESULT SetWindow(HWND window, const RECT* rect) override;
    HRESULT Repaint(HWND, HDC) override { return m_display ? m_display->RepaintVideo() : 0; }
    HRESULT OnDisplayChange() override { return 0; }
    HRESULT SetStreamAlpha(int, float) override { return 1; }
    float GetStreamAlpha(int) override { return 1.0f; }
    int SetOverlayBitmap(const OverlayBitmap* record) override;
    int SetStreamRect(int, RECT) override { return 0; }
    HBITMAP CaptureImage() override;
    int GetColorRange(int stream, ColorRange* record) override;
    int SetColorValues(int stream, const ColorValues* record) override;

private:
    // A service interface of the filter's mixer, or null.
    template <class T>
    ComPtr<T> MixerService();

    ComPtr<IBaseFilter> m_filter;
    ComPtr<IMFVideoDisplayControl> m_display;
    uint32_t m_mixerStreams;
};

}  // namespace orvo::engine
