#include "engine/renderers/VMR7Windowless.h"

#include <new>

#include "engine/renderers/RendererFactory.h"

namespace orvo::engine {
namespace {

const bool kRegistered = (RegisterRendererKind(RENDERER_VMR7_WINDOWLESS,
                                               [](const RendererConfig& config) {
                                                   return std::unique_ptr<CVideoRenderer>(
                                                       new (std::nothrow) VMR7Windowless(config.mixerStreams));
                                               }),
                          true);

}  // namespace

VMR7Windowless::~VMR7Windowless() {
    m_windowless.Reset();
    m_mixer.Reset();
}

int VMR7Windowless::SetOverlayBitmap(const OverlayBitmap* record) {
    if (!m_windowless || !record) return 0;
    ComPtr<IVMRMixerBitmap> bitmap;
    if (FAILED(m_windowless.As(bitmap))) return 0;
    return SUCCEEDED(ApplyOverlay(bitmap.Get(), *record)) ? 1 : 0;
}

}  // namespace orvo::engine
