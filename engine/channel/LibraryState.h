#pragma once
// The library's process-wide state. Every field is atomic: any thread may call the exports
// that read and write it. Lumex_Init and Lumex_Free also take initLock, so that the runtime
// is started and shut down once.
#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/com/Types.h"

namespace orvo::engine {

struct LibraryState {
    std::mutex initLock;
    std::atomic<bool> initialized{false};
    std::atomic<HWND> defaultWindow{0};
    std::atomic<int32_t> rendererKind{1};       // 1..7
    std::atomic<uint32_t> mixerStreamCount{1};  // 1..15
};

LibraryState& Library();

// Lumex_SetConfig's clamping rules, one per option.
int32_t ClampRendererKind(intptr_t value);
uint32_t ClampMixerStreamCount(intptr_t value);

}  // namespace orvo::engine
