#include "engine/graph/FileGraph.h"

#include <vector>

#include "engine/channel/ChannelRenderer.h"
#include "engine/graph/DecoderPlugins.h"
#include "engine/renderers/GraphHelpers.h"
#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "platform/window/DialogPresenter.h"
#include "platform/window/WindowSystem.h"

namespace orvo::engine {
namespace {

constexpr int kSplitterSlot = 0, kVideoSlot = 1, kAudioSlot = 2;

void AddPlugin(CChannel& channel, int slot, LPCWSTR name) {
    ComPtr<IBaseFilter> filter;
    if (SUCCEEDED(DecoderPlugins().Instantiate(slot, filter)) && filter) channel.graph->AddFilter(filter.Get(), name);
}

// The first unconnected output pin not tried before; null when none is left.
ComPtr<IPin> NextUnrenderedPin(IBaseFilter* filter, const std::vector<ComPtr<IPin>>& tried) {
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Put())) || !pins) return nullptr;
    for (ComPtr<IPin> pin; pins->Next(1, pin.Put(), nullptr) == S_OK && pin;) {
        PIN_DIRECTION direction;
        ComPtr<IPin> peer;
        if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) continue;
        if (pin->ConnectedTo(peer.Put()) != VFW_E_NOT_CONNECTED) continue;
        bool failedBefore = false;
        for (const auto& t : tried) failedBefore |= t.Get() == pin.Get();
        if (!failedBefore) return pin;
    }
    return nullptr;
}

// Renders the source's streams one at a time through the filters already in the graph; a
// stream nothing can render stays unconnected.
void RenderOutputs(IGraphBuilder& graph, IBaseFilter* source) {
    std::vector<ComPtr<IPin>> tried;
    while (ComPtr<IPin> pin = NextUnrenderedPin(source, tried)) {
        if (FAILED(graph.Render(pin.Get()))) tried.push_back(pin);
    }
}

// Loads the file in the splitter slot's filter and renders it; the load result.
HRESULT LoadSource(CChannel& channel, LPCWSTR path) {
    ComPtr<IBaseFilter> splitter;
    if (FAILED(DecoderPlugins().Instantiate(kSplitterSlot, splitter)) || !splitter) return S_OK;
    ComPtr<IFileSourceFilter> fileSource;
    // A filter that cannot open files (the splitter module missing, another in its slot)
    // must never be asked to.
    HRESULT loaded = splitter.As(fileSource);
    if (SUCCEEDED(loaded)) loaded = fileSource->Load(path, nullptr);
    channel.graph->AddFilter(splitter.Get(), u"SourceFilter");
    if (SUCCEEDED(loaded)) RenderOutputs(*channel.graph.Get(), splitter.Get());
    return loaded;
}

}  // namespace

bool IsUsableLoadResult(HRESULT hr) {
    return hr == S_OK || hr == VFW_S_DUPLICATE_NAME || hr == VFW_S_PARTIAL_RENDER || hr == VFW_S_VIDEO_NOT_RENDERED ||
           hr == VFW_S_AUDIO_NOT_RENDERED;
}

bool BuildFileGraph(CChannel& channel, LPCWSTR path) {
    HRESULT hr =
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, channel.graph.PutVoid());
    if (FAILED(hr) || !channel.graph) {
        MessageBoxW(0, u"FAILED", u"Error", MB_OK);
        return false;
    }
    channel.graph.As(channel.mediaControl);
    channel.graph.As(channel.mediaSeeking);
    CreateRenderer(channel);
    const int plugins = DecoderPlugins().Count();
    if (plugins > kVideoSlot) AddPlugin(channel, kVideoSlot, u"DECODER 1");
    if (plugins > kAudioSlot) AddPlugin(channel, kAudioSlot, u"DECODER 2");
    const HRESULT loaded = plugins > kSplitterSlot ? LoadSource(channel, path) : hr;
    channel.state = CHANNEL_STOPPED;
    if (channel.renderer) {
        channel.renderer->OnGraphBuilt(channel.graph.Get());
        RECT client{};
        const bool known = GetClientRect(channel.window, &client);
        channel.renderer->SetWindow(channel.window, known ? &client : nullptr);
    }
    return IsUsableLoadResult(loaded);
}

}  // namespace orvo::engine
