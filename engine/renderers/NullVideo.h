#pragma once
// Renderer kind 6, "NULL Video Renderer": the video stream is received at its presentation
// times and dropped, so playback, seeking and sound keep their pace and nothing is drawn.
#include "engine/renderers/VideoRenderer.h"
#include "platform/com/ComPtr.h"
#include "platform/graph/BaseRenderer.h"

namespace orvo::engine {

// Takes any video format and drops every sample once its time has come.
class CNullRenderer : public CBaseRenderer {
public:
    using CBaseRenderer::CBaseRenderer;
    HRESULT CheckMediaType(const graph::MediaType& mt) override;
    HRESULT DoRenderSample(IMediaSample*) override { return S_OK; }
};

class CNullUVideoRenderer final : public CNullRenderer {
public:
    static constexpr GUID kClsid = MakeGuid("{64A45125-7343-4772-9DA4-179FAC9D462C}");
    // result is set only when the base class cannot set itself up.
    explicit CNullUVideoRenderer(HRESULT*) : CNullRenderer(kClsid) {}
};

class CNullVideo final : public CVideoRenderer {
public:
    int IsActive() override { return m_filter ? 1 : 0; }
    HRESULT AddToGraph(IGraphBuilder* graph, HWND window, IPin* pin, LPCWSTR name) override;
    HRESULT OnGraphBuilt(IGraphBuilder* graph) override;
    HRESULT SetWindow(HWND, const RECT*) override { return 0; }

private:
    ComPtr<CNullUVideoRenderer> m_filter;
};

}  // namespace orvo::engine
