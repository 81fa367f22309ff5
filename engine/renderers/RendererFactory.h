#pragma once
// The renderer kinds 1..7 and the factory that gives a channel the configured one.
#include <memory>

#include "engine/api/Channel.h"
#include "engine/renderers/VideoRenderer.h"

namespace orvo::engine {

// The configured kind's name, under which its filter joins the graph.
LPCWSTR RendererName();
LPCWSTR RendererNameOfKind(int32_t kind);

// Each kind with an object of its own registers how to make it (kinds 1 and 2 make none).
using RendererMaker = std::unique_ptr<CVideoRenderer> (*)();
// Gives back the maker it replaces.
RendererMaker RegisterRendererKind(int32_t kind, RendererMaker maker);

// Makes the configured kind's object, stores it in the channel and adds its filter to the
// channel's graph. A kind above 3 whose set-up fails falls back, for good, to kind 3.
// 1 when the channel has a renderer object afterwards, else 0.
int CreateRenderer(CChannel& channel);

}  // namespace orvo::engine
