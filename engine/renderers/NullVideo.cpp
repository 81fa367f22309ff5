#include "engine/renderers/NullVideo.h"

#include <new>

#include "engine/renderers/GraphHelpers.h"
#include "engine/renderers/RendererFactory.h"

namespace orvo::engine {
namespace {

const bool kRegistered =
    (RegisterRendererKind(RENDERER_NULL,
                          [](const RendererConfig&) {
                              return std::unique_ptr<CVideoRenderer>(new (std::nothrow) CNullVideo);
                          }),
     true);

}  // namespace

HRESULT CNullRenderer::CheckMediaType(const graph::MediaType& mt) {
    return mt.majortype == MEDIATYPE_Video ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CNullVideo::AddToGraph(IGraphBuilder* graph, HWND, IPin* pin, LPCWSTR name) {
    HRESULT result = S_OK;
    CNullUVideoRenderer* created = new (std::nothrow) CNullUVideoRenderer(&result);
    if (!created) return result;
    m_filter = ComPtr<CNullUVideoRenderer>(created);
    if (graph) {
        graph->AddFilter(created, name);
        if (pin) ConnectToFilter(created, graph, pin);
    }
    return result;
}

HRESULT CNullVideo::OnGraphBuilt(IGraphBuilder* graph) {
    if (!m_filter) return 0;
    if (graph && RemoveIfUnconnected(m_filter.Get(), graph)) m_filter.Reset();
    m_frameRate = 0;
    m_width = 0;
    m_height = 0;
    return 0;
}

}  // namespace orvo::engine
