#pragma once
// The attribute codes of Lumex_ChannelSetAttribute: volume, balance and rate on the graph,
// stereo settings on the engine's own renderer.
#include "engine/channel/Channel.h"

namespace orvo::stereo {
class COwnVideo;
}

namespace orvo::engine {

// Volume in hundredths of a decibel for a percentage: a logarithmic curve from -5000 at
// 1% to 0 at 100%; 0% or less is silence (-10000).
LONG VolumeForPercent(float percent);

// Balance in hundredths of a decibel for a percentage from -100 (left) to 100 (right).
LONG BalanceForPercent(float percent);

// The channel's renderer when it is the engine's own kind, else nullptr.
stereo::COwnVideo* OwnRenderer(CChannel& channel);

void ApplyAttribute(CChannel& channel, int32_t code, float value);

}  // namespace orvo::engine
