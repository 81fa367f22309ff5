#include "engine/renderers/RendererFactory.h"

#include <array>
#include <utility>

#include "engine/api/LibraryState.h"

namespace orvo::engine {
namespace {

constexpr int32_t kFallbackKind = 3;

std::array<RendererMaker, 8>& Makers() {
    static std::array<RendererMaker, 8> makers{};
    return makers;
}

std::unique_ptr<CVideoRenderer> MakeRenderer(int32_t kind) {
    RendererMaker maker = kind >= 0 && kind < int32_t(Makers().size()) ? Makers()[kind] : nullptr;
    return maker ? maker() : nullptr;
}

}  // namespace

LPCWSTR RendererNameOfKind(int32_t kind) {
    static constexpr LPCWSTR kNames[] = {
        u"VMR7 Window Mode",    u"VMR9 Window Mode",    u"VMR7 Windowless", u"VMR9 Windowless", u"EVR",
        u"NULL Video Renderer", u"User Video Renderer",
    };
    return kind >= 1 && kind <= 7 ? kNames[kind - 1] : kNames[0];
}

LPCWSTR RendererName() { return RendererNameOfKind(Library().rendererKind); }

RendererMaker RegisterRendererKind(int32_t kind, RendererMaker maker) {
    if (kind < 0 || kind >= int32_t(Makers().size())) return nullptr;
    return std::exchange(Makers()[kind], maker);
}

int CreateRenderer(CChannel& channel) {
    for (;;) {
        const int32_t kind = Library().rendererKind;
        channel.renderer = kind >= 3 ? MakeRenderer(kind) : nullptr;
        if (!channel.renderer) return 0;
        HRESULT hr = channel.renderer->AddToGraph(channel.graph.Get(), channel.window, nullptr, RendererName());
        if (SUCCEEDED(hr)) return 1;
        channel.renderer.reset();
        if (Library().rendererKind <= kFallbackKind) return 0;
        Library().rendererKind = kFallbackKind;
    }
}

}  // namespace orvo::engine
