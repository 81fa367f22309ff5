#include "engine/stereo/OwnVideo.h"

#include <cstdlib>
#include <new>

#include "engine/renderers/GraphHelpers.h"
#include "engine/renderers/RendererFactory.h"
#include "engine/stereo/FramePresentation.h"

namespace orvo::stereo {
namespace {

const bool kRegistered =
    (engine::RegisterRendererKind(engine::RENDERER_OWN,
                                  [](const engine::RendererConfig&) {
                                      return std::unique_ptr<engine::CVideoRenderer>(new (std::nothrow) COwnVideo);
                                  }),
     true);

}  // namespace

HRESULT COwnVideo::AddToGraph(IGraphBuilder* graph, HWND window, IPin* pin, LPCWSTR name) {
    HRESULT result = S_OK;
    COwnVideoRenderer* created = new (std::nothrow) COwnVideoRenderer(&result);
    if (created) {
        m_filter = ComPtr<COwnVideoRenderer>(created);
        m_filter->m_window = window;
        if (graph) {
            graph->AddFilter(created, name);
            if (pin) engine::ConnectToFilter(created, graph, pin);
        }
    }
    m_stereoMode = STEREO_FULL_FRAME;
    m_viewMode = VIEW_BLUE_YELLOW;
    return result;
}

HRESULT COwnVideo::OnGraphBuilt(IGraphBuilder* graph) {
    if (!m_filter) return 0;
    const bool removed = engine::RemoveIfUnconnected(m_filter.Get(), graph) && graph;
    {
        std::lock_guard lock(m_filter->m_frameLock);
        m_width = m_filter->m_videoWidth;
        m_height = std::abs(m_filter->m_videoHeight);
        m_frameRate = m_filter->m_frameRate;
    }
    if (removed) m_filter.Reset();
    return S_OK;
}

HRESULT COwnVideo::SetWindow(HWND window, const RECT*) {
    if (!m_filter) return 1;
    std::lock_guard lock(m_filter->m_frameLock);
    FrameDescriptor* d = m_filter->m_descriptor.get();
    if (!d) return 0;
    // A null window is a resize: every frame is blitted to the window's current rectangle.
    if (window && window != d->window) {
        d->window = window;
        m_filter->m_window = window;
        SetupSurfaces(*d);
    }
    return 0;
}

int COwnVideo::SetStereo(int32_t m, int32_t v) {
    if (!m_filter) return 0;
    std::lock_guard lock(m_filter->m_frameLock);
    if (!m_filter->m_descriptor) return 0;
    if (m >= 0) m_stereoMode = m;
    m_viewMode = v;
    m_filter->m_descriptor.reset();  // its surfaces go before the new ones are made
    m_filter->m_descriptor = m_filter->BuildDescriptor(m_stereoMode, uint32_t(m_viewMode));
    return 1;
}

// Taken under the frame lock: the streaming thread may drop the descriptor at any time
// (a presentation callback taking over), and a store must never reach a freed one.
bool COwnVideo::SetReservedFlag(bool on) {
    if (!m_filter) return false;
    std::lock_guard lock(m_filter->m_frameLock);
    if (!m_filter->m_descriptor) return false;
    m_filter->m_descriptor->reservedFlag = on;
    return true;
}

bool COwnVideo::SetGreyMix(int32_t greyMix) {
    if (!m_filter) return false;
    std::lock_guard lock(m_filter->m_frameLock);
    if (!m_filter->m_descriptor) return false;
    m_filter->m_descriptor->greyMix = greyMix;
    return true;
}

bool COwnVideo::SetOption(bool StereoOptions::*option, bool on) {
    if (!m_filter) return false;
    std::lock_guard lock(m_filter->m_frameLock);
    m_filter->m_options.*option = on;
    if (!m_filter->m_descriptor) return false;
    m_filter->m_descriptor->options.*option = on;
    return true;
}

void COwnVideo::SetFrameShape(const FrameShape& shape) {
    if (!m_filter) return;
    std::lock_guard lock(m_filter->m_frameLock);
    m_filter->m_options.shape = shape;
    if (m_filter->m_descriptor) m_filter->m_descriptor->options.shape = shape;
}

int COwnVideo::SetPresentCallback(PresentCallback callback) {
    if (!m_filter) return 0;
    m_filter->m_presentCallback = callback;
    return 1;
}

}  // namespace orvo::stereo
