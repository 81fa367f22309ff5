#include "engine/renderers/RendererFactory.h"

#include <array>
#include <utility>

namespace orvo::engine {
namespace {

std::array<RendererMaker, 8>& Makers() {
    static std::array<RendererMaker, 8> makers{};
    return makers;
}

std::unique_ptr<CVideoRenderer> MakeRenderer(const RendererConfig& config) {
    const int32_t kind = config.kind;
    RendererMaker maker = kind >= 0 && kind < int32_t(Makers().size()) ? Makers()[kind] : nullptr;
    return maker ? maker(config) : nullptr;
}

}  // namespace

LPCWSTR RendererNameOfKind(int32_t kind) {
    static constexpr LPCWSTR kNames[] = {
        u"VMR7 Window Mode",    u"VMR9 Window Mode",    u"VMR7 Windowless", u"VMR9 Windowless", u"EVR",
        u"NULL Video Renderer", u"User Video Renderer",
    };
    return kind >= 1 && kind <= 7 ? kNames[kind - 1] : kNames[0];
}

RendererMaker RegisterRendererKind(int32_t kind, RendererMaker maker) {
    if (kind < 0 || kind >= int32_t(Makers().size())) return nullptr;
    return std::exchange(Makers()[kind], maker);
}

std::unique_ptr<CVideoRenderer> MakeRendererInGraph(RendererConfig& config, IGraphBuilder* graph, HWND window) {
    for (;;) {
        std::unique_ptr<CVideoRenderer> renderer =
            config.kind >= RENDERER_VMR7_WINDOWLESS ? MakeRenderer(config) : nullptr;
        if (!renderer) return nullptr;
        if (SUCCEEDED(renderer->AddToGraph(graph, window, nullptr, RendererNameOfKind(config.kind)))) return renderer;
        if (config.kind <= RENDERER_VMR7_WINDOWLESS) return nullptr;
        config.kind = RENDERER_VMR7_WINDOWLESS;
    }
}

}  // namespace orvo::engine
