#include "engine/channel/Channel.h"

#include <atomic>
#include <new>

namespace orvo::engine {
namespace {

std::atomic<RecordCreationHook> g_recordCreationHook{nullptr};

// Removes the first filter the graph lists until it lists none, restarting the
// enumeration each time since removing a filter invalidates it.
void RemoveEveryFilter(IGraphBuilder& graph) {
    for (;;) {
        ComPtr<IEnumFilters> filters;
        if (FAILED(graph.EnumFilters(filters.Put())) || !filters) return;
        ComPtr<IBaseFilter> first;
        if (filters->Next(1, first.Put(), nullptr) != S_OK || !first) return;
        // A filter the graph refuses to remove would come first again forever.
        if (FAILED(graph.RemoveFilter(first.Get()))) return;
    }
}

}  // namespace

void SetRecordCreationHook(RecordCreationHook hook) { g_recordCreationHook = hook; }

std::unique_ptr<CChannel> CreateChannelRecord(HWND window) {
    if (RecordCreationHook hook = g_recordCreationHook) hook();
    std::unique_ptr<CChannel> channel(new (std::nothrow) CChannel);
    if (channel) channel->window = window;
    return channel;
}

void TeardownChannel(CChannel& channel) {
    if (channel.mediaControl && (channel.state == CHANNEL_PLAYING || channel.state == CHANNEL_PAUSED)) {
        if (SUCCEEDED(channel.mediaControl->Stop())) channel.state = CHANNEL_STOPPED;
    }
    if (channel.graph) RemoveEveryFilter(*channel.graph.Get());
    channel.renderer.reset();
    channel.mediaControl.Reset();
    channel.mediaSeeking.Reset();
    channel.graph.Reset();
}

}  // namespace orvo::engine
