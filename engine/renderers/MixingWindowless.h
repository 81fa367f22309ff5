#pragma once
// What renderer kinds 3 and 4 share: the mixing renderer in windowless mode, drawing into
// the channel's window with letterbox bars and mixing the configured number of streams.
// The two versions take the same steps on their own interface family (Family names the
// class id and the interface types); where they differ the final classes say so.
#include <cstdint>

#include "engine/renderers/GraphHelpers.h"
#include "engine/renderers/VideoRenderer.h"
#include "platform/com/Runtime.h"
#include "platform/video/VideoRendererInterfaces.h"
#include "platform/window/WindowSystem.h"

namespace orvo::engine {

template <class Family>
class CMixingWindowless : public CVideoRenderer {
public:
    using Windowless = typename Family::Windowless;
    using Mixer = typename Family::Mixer;

    // mixerStreams: the input streams the renderer is set up with, 1..15.
    explicit CMixingWindowless(uint32_t mixerStreams) : m_mixerStreams(mixerStreams) {}

    int IsActive() override { return m_windowless ? 1 : 0; }
    int CanFullScreen() override { return 0; }
    HRESULT SetFullScreen(int) override { return 1; }

    // Every failing step gives 1 and releases what this call obtained; a filter already
    // added stays in the graph.
    HRESULT AddToGraph(IGraphBuilder* graph, HWND window, IPin* pin, LPCWSTR name) override {
        ComPtr<IBaseFilter> filter;
        AddFilterByClsid(Family::kClsid, filter.Put(), graph, name);
        if (!filter) return 1;
        ComPtr<typename Family::Config> config;
        if (FAILED(filter.As(config)) || FAILED(config->SetRenderingMode(Family::kWindowlessMode))) return 1;
        config->SetNumberOfStreams(m_mixerStreams);
        if (FAILED(filter.As(m_windowless))) return 1;
        if (FAILED(m_windowless->SetVideoClippingWindow(window)) ||
            FAILED(m_windowless->SetAspectRatioMode(Family::kLetterBox))) {
            m_windowless.Reset();
            return 1;
        }
        if (pin) ConnectToFilter(filter.Get(), graph, pin);
        filter.As(m_mixer);
        return 0;
    }

    HRESULT OnGraphBuilt(IGraphBuilder* graph) override {
        if (!m_windowless) return Family::kEmptyResult;
        ComPtr<IBaseFilter> filter;
        HRESULT hr = m_windowless.As(filter);
        if (FAILED(hr)) return hr;
        if (RemoveIfUnconnected(filter.Get(), graph) == 1) {
            m_windowless.Reset();
            m_mixer.Reset();
        }
        m_frameRate = 0;
        m_width = 0;
        m_height = 0;
        if (m_windowless) {
            LONG width = 0, height = 0;
            m_windowless->GetNativeVideoSize(&width, &height, nullptr, nullptr);
            m_width = width;
            m_height = height;
            m_frameRate = 25.0;
        }
        return 0;
    }

    HRESULT SetWindow(HWND window, const RECT* rect) override {
        if (!m_windowless) return Family::kEmptyResult;
        if (window) {
            m_windowless->SetVideoClippingWindow(window);
            m_window = window;
        }
        RECT client{};
        if (!rect) GetClientRect(m_window, &client);
        return m_windowless->SetVideoPosition(nullptr, rect ? rect : &client);
    }

    HRESULT Repaint(HWND window, HDC dc) override { return m_windowless ? m_windowless->RepaintVideo(window, dc) : 1; }
    HRESULT OnDisplayChange() override { return m_windowless ? m_windowless->DisplayModeChanged() : 1; }
    HRESULT SetStreamAlpha(int stream, float alpha) override {
        return m_mixer ? m_mixer->SetAlpha(DWORD(stream), alpha) : 1;
    }
    float GetStreamAlpha(int stream) override {
        float alpha = 1.0f;
        if (m_mixer) m_mixer->GetAlpha(DWORD(stream), &alpha);
        return alpha;
    }

    int SetStreamRect(int stream, RECT rect) override {
        if (!m_mixer || m_width == 0 || m_height == 0) return 0;
        const NormalizedRect n = NormalizeRect(rect, m_width, m_height);
        const NORMALIZEDRECT placed{n.left, n.top, n.right, n.bottom};
        return SUCCEEDED(m_mixer->SetOutputRect(DWORD(stream), &placed)) ? 1 : 0;
    }

    HBITMAP CaptureImage() override {
        if (!m_windowless) return nullptr;
        BYTE* dib = nullptr;
        if (FAILED(m_windowless->GetCurrentImage(&dib)) || !dib) return nullptr;
        const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib);
        HBITMAP bitmap = BitmapFromDib(*header, dib + sizeof(BITMAPINFOHEADER), header->biWidth, header->biHeight);
        CoTaskMemFree(dib);
        return bitmap;
    }

protected:
    // Shows the record's bitmap or hides the current one through a mixer bitmap interface;
    // the call's result.
    template <class Bitmap>
    static HRESULT ApplyOverlay(Bitmap* bitmap, const OverlayBitmap& record) {
        typename Family::AlphaParams params{};
        bitmap->GetAlphaBitmapParameters(&params);
        if (record.enable > 0) {
            params.dwFlags = VMRBITMAP_HDC | VMRBITMAP_SRCCOLORKEY;
            params.hdc = record.dc;
            params.pDDS = nullptr;
            params.rSrc = record.source;
            params.rDest = {record.left, record.top, record.right, record.bottom};
            params.fAlpha = record.alpha;
            params.clrSrcKey = record.colorKey;
            return bitmap->SetAlphaBitmap(&params);
        }
        typename Family::AlphaParams disable{};
        bitmap->GetAlphaBitmapParameters(&disable);
        disable.dwFlags = VMRBITMAP_DISABLE;
        return bitmap->UpdateAlphaBitmapParameters(&disable);
    }

    ComPtr<Windowless> m_windowless;
    ComPtr<Mixer> m_mixer;

private:
    uint32_t m_mixerStreams;
};

}  // namespace orvo::engine
