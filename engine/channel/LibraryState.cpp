#include "engine/channel/LibraryState.h"

namespace orvo::engine {

LibraryState& Library() {
    static LibraryState state;
    return state;
}

int32_t ClampRendererKind(intptr_t value) { return value >= 1 && value <= 7 ? int32_t(value) : 1; }

uint32_t ClampMixerStreamCount(intptr_t value) {
    // Read as unsigned, so negative values count as large ones.
    uint32_t count = uint32_t(value);
    if (count == 0) return 1;
    return count > 15 ? 15 : count;
}

}  // namespace orvo::engine
