#pragma once
// Channel times in seconds with their fractions; the seconds unit of the C interface gives
// whole seconds only.
#include "Lumex.h"

namespace orvo::test {

inline double PositionSeconds(uint32_t channel) { return Lumex_ChannelGetPosition(channel, POS_MILLISECONDS) / 1000.0; }
inline double LengthSeconds(uint32_t channel) { return Lumex_ChannelGetLength(channel, POS_MILLISECONDS) / 1000.0; }
inline int32_t SeekSeconds(uint32_t channel, double seconds) {
    return Lumex_ChannelSetPosition(channel, seconds * 1000.0, POS_MILLISECONDS);
}

}  // namespace orvo::test
