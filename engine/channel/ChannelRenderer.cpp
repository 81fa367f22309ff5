#include "engine/channel/ChannelRenderer.h"

#include "engine/channel/LibraryState.h"
#include "engine/renderers/RendererFactory.h"

namespace orvo::engine {

LPCWSTR RendererName() { return RendererNameOfKind(Library().rendererKind); }

int CreateRenderer(CChannel& channel) {
    RendererConfig config{Library().rendererKind, Library().mixerStreamCount};
    const int32_t configured = config.kind;
    channel.renderer = MakeRendererInGraph(config, channel.graph.Get(), channel.window);
    if (config.kind != configured) Library().rendererKind = config.kind;
    return channel.renderer ? 1 : 0;
}

}  // namespace orvo::engine
