// Lumex_Init, Lumex_Free, Lumex_SetConfig, Lumex_StreamFree. Any thread may call them.
#include "engine/channel/ChannelRegistry.h"
#include "engine/channel/LibraryState.h"
#include "engine/api/Lumex.h"
#include "platform/com/Runtime.h"
#include "platform/window/WindowSystem.h"

using orvo::engine::Library;

extern "C" {

LUMEX_API int32_t LUMEX_CALL Lumex_Init(LUMEX_HWND window, int32_t) {
    auto& lib = Library();
    std::lock_guard lock(lib.initLock);
    if (lib.initialized) return 1;
    if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) lib.initialized = true;
    // The default window is taken even when the runtime refused this thread.
    lib.defaultWindow = window ? window : GetActiveWindow();
    return lib.initialized ? 1 : 0;
}

LUMEX_API int32_t LUMEX_CALL Lumex_Free(void) {
    auto& lib = Library();
    std::lock_guard lock(lib.initLock);
    if (!lib.initialized) return 0;
    CoUninitialize();
    lib.initialized = false;
    return 1;
}

LUMEX_API intptr_t LUMEX_CALL Lumex_SetConfig(int32_t option, intptr_t value) {
    auto& lib = Library();
    switch (option) {
        case CONFIG_RENDERER:
            lib.rendererKind = orvo::engine::ClampRendererKind(value);
            return value;
        case CONFIG_WINDOW:
            lib.defaultWindow = HWND(value);
            return value;
        case CONFIG_MIXER_STREAMS:
            lib.mixerStreamCount = orvo::engine::ClampMixerStreamCount(value);
            return value;
        default:
            return option;
    }
}

// Waits for a call in progress on the channel, then tears it down; calls that come later, or
// that waited, find it closed. The record itself goes with its last user.
LUMEX_API int32_t LUMEX_CALL Lumex_StreamFree(uint32_t channel) {
    if (channel == 0 || !Library().initialized) return 0;
    std::shared_ptr<orvo::engine::CChannel> record = orvo::engine::Channels().Unregister(channel);
    if (!record) return 0;
    std::lock_guard lock(record->callLock);
    record->closed = true;
    orvo::engine::TeardownChannel(*record);
    return 1;
}

}  // extern "C"
