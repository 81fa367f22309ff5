#pragma once
// The library's process-wide state. Read and written on the caller's thread without a
// lock; only the channel registry has one.
#include <cstdint>

#include "platform/com/Types.h"

namespace orvo::engine {

struct LibraryState {
    bool initialized = false;
    HWND defaultWindow = 0;
    int32_t rendererKind = 1;       // 1..7
    uint32_t mixerStreamCount = 1;  // 1..15
};

LibraryState& Library();

// Lumex_SetConfig's clamping rules, one per option.
int32_t ClampRendererKind(intptr_t value);
uint32_t ClampMixerStreamCount(intptr_t value);

}  // namespace orvo::engine
