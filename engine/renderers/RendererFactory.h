#pragma once
// The renderer kinds 1..7 and the factory that makes the configured one. The kinds read no
// library state: what they need to know arrives in a RendererConfig.
#include <cstdint>
#include <memory>

#include "engine/renderers/VideoRenderer.h"

namespace orvo::engine {

enum RendererKind : int32_t {
    RENDERER_VMR7_WINDOW = 1,
    RENDERER_VMR9_WINDOW = 2,
    RENDERER_VMR7_WINDOWLESS = 3,
    RENDERER_VMR9_WINDOWLESS = 4,
    RENDERER_EVR = 5,
    RENDERER_NULL = 6,
    RENDERER_OWN = 7,
};

struct RendererConfig {
    int32_t kind = RENDERER_VMR7_WINDOW;  // 1..7
    uint32_t mixerStreams = 1;            // input streams of the mixing kinds, 1..15
};

LPCWSTR RendererNameOfKind(int32_t kind);

// Each kind with an object of its own registers how to make it (kinds 1 and 2 make none).
using RendererMaker = std::unique_ptr<CVideoRenderer> (*)(const RendererConfig& config);
// Gives back the maker it replaces.
RendererMaker RegisterRendererKind(int32_t kind, RendererMaker maker);

// Makes config.kind's object and adds its filter to the graph under the kind's name. A kind
// above 3 whose set-up fails falls back to kind 3, and config.kind says so afterwards.
// Null when the kind makes no object or its set-up (and the fallback's) failed.
std::unique_ptr<CVideoRenderer> MakeRendererInGraph(RendererConfig& config, IGraphBuilder* graph, HWND window);

}  // namespace orvo::engine
