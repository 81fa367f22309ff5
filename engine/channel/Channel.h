#pragma once
// CChannel: one open medium. Shared by the registry and every export call using it: the record
// lives until its last user lets go. An export on the channel holds callLock for the whole
// call, so calls on one channel run one at a time and Lumex_StreamFree tears it down only
// between them; `closed` then makes later calls fail quietly. `state` is read without the
// lock (Lumex_ChannelGetState) and written under it.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine/channel/StereoLayout.h"
#include "engine/renderers/VideoRenderer.h"
#include "platform/com/ComPtr.h"
#include "platform/graph/Interfaces.h"

namespace orvo::engine {

// A channel's state; the exports hand these values out as they are.
enum ChannelState : int32_t {
    CHANNEL_NONE = 0,  // created, graph not yet built
    CHANNEL_PLAYING = 1,
    CHANNEL_PAUSED = 2,
    CHANNEL_STOPPED = 3,
};

struct CChannel {
    uint32_t handle = 0;  // 0 until registered
    ComPtr<IGraphBuilder> graph;
    HWND window = 0;  // fixed at creation
    ComPtr<IMediaControl> mediaControl;
    ComPtr<IMediaSeeking> mediaSeeking;
    std::unique_ptr<CVideoRenderer> renderer;  // null for kinds that create none
    std::atomic<int32_t> state{CHANNEL_NONE};
    StereoLayout layout;  // found when a file opens; unknown for a capture channel

    std::recursive_mutex callLock;  // a callback from inside a call may call in again
    std::atomic<bool> closed{false};  // set by Lumex_StreamFree, under callLock

    // The last stream name handed out: readable until the next stream query on the channel.
    std::mutex streamNameLock;
    std::string streamName;
};

// Called before each record is made; the decoder plug-in loading installs itself here
// and loads only while its table is empty.
using RecordCreationHook = void (*)();
void SetRecordCreationHook(RecordCreationHook hook);

// A record with every field empty and the given window; nullptr when out of memory.
std::unique_ptr<CChannel> CreateChannelRecord(HWND window);

// Stops a running or paused graph, takes every filter out of it, destroys the renderer,
// then releases control, seeking and the graph. Accepts a partly built record; a second
// call does nothing.
void TeardownChannel(CChannel& channel);

}  // namespace orvo::engine
