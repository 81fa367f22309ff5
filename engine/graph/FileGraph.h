#pragma once
// The media graph of a file channel: the renderer of the configured kind, the decoder
// plug-ins, and the splitter that loads the file and whose streams are rendered through
// them. Runs on the caller's thread, in its component apartment.
#include "engine/channel/Channel.h"

namespace orvo::engine {

// Builds the channel's graph for the file; the channel is left stopped. false when the
// graph cannot be made or the file does not load; the caller then tears the channel down.
bool BuildFileGraph(CChannel& channel, LPCWSTR path);

// Whether a load result lets the channel open: success, or a partial rendering.
bool IsUsableLoadResult(HRESULT hr);

}  // namespace orvo::engine
