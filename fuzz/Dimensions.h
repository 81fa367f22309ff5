#pragma once
// Picture sizes for the fuzzers of the frame path: mostly small sizes of either sign, which
// the stereo modes and row orders turn into every layout, sometimes a value at an edge of the
// integer range or past what any output buffer could hold.
#include <climits>
#include <cstdint>

#include "fuzz/FuzzInput.h"

namespace orvo::fuzz {

inline int32_t TakeDimension(FuzzInput& in) {
    static constexpr int32_t kEdges[] = {0, 1, -1, 2, -2, 3, 7, 17, INT32_MIN, INT32_MAX, 32768, 46341, 65536, -65536};
    if (in.Below(8) == 0) return in.Pick(kEdges);
    return int32_t(in.Take<int16_t>()) % 257;
}

}  // namespace orvo::fuzz
