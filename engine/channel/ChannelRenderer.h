#pragma once
// The channel's renderer of the kind configured in the library state.
#include "engine/channel/Channel.h"

namespace orvo::engine {

// The configured kind's name, under which its filter joins the graph.
LPCWSTR RendererName();

// Makes the configured kind's object, stores it in the channel and adds its filter to the
// channel's graph. A kind above 3 whose set-up fails falls back, for good, to kind 3.
// 1 when the channel has a renderer object afterwards, else 0.
int CreateRenderer(CChannel& channel);

}  // namespace orvo::engine
