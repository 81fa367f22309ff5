// Lumex_Pointer2DDraw: copies a caller's picture into a caller's surface. Needs no channel
// and no initialised library; runs on the caller's thread.
#include <cstring>

#include "engine/api/Lumex.h"
#include "platform/surface/DirectDraw.h"

extern "C" LUMEX_API int32_t LUMEX_CALL Lumex_Pointer2DDraw(const void* pixels, int32_t, void* surface) {
    if (!pixels || !surface) return 0;
    auto* target = static_cast<IDirectDrawSurface*>(surface);
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof(locked);
    if (FAILED(target->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr))) return 0;
    if (!locked.lpSurface) {
        target->Unlock(nullptr);
        return 0;
    }
    // The source is packed 32-bit pixels of the surface's own size, top row first.
    const size_t rowBytes = size_t(locked.dwWidth) * 4;
    auto* to = static_cast<uint8_t*>(locked.lpSurface);
    const auto* from = static_cast<const uint8_t*>(pixels);
    for (DWORD r = 0; r < locked.dwHeight; ++r)
        std::memcpy(to + ptrdiff_t(r) * locked.lPitch, from + size_t(r) * rowBytes, rowBytes);
    target->Unlock(nullptr);
    return 1;
}
