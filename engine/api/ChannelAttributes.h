#pragma once
// The attribute codes of Lumex_ChannelSetAttribute: volume, balance and rate on the graph,
// stereo settings on the engine's own renderer.
#include "engine/channel/Channel.h"

namespace orvo::stereo {
class COwnVideo;
}

namespace orvo::engine {

// The attribute codes, as Lumex.h numbers them.
enum class Attribute : int32_t {
    Volume = 1,
    Balance = 2,
    Rate = 3,
    StereoMode = 5,
    ReservedFlag = 6,
    ViewMode = 7,
    GreyMix = 8,
    SwapEyes = 9,
    AnaglyphOptimised = 10,
    KeepShape = 11,
};

// Volume in hundredths of a decibel for a percentage: a logarithmic curve from -5000 at
// 1% to 0 at 100%; 0% or less is silence (-10000).
LONG VolumeForPercent(float percent);

// Balance in hundredths of a decibel for a percentage from -100 (left) to 100 (right).
LONG BalanceForPercent(float percent);

// The channel's renderer when it is the engine's own kind, else nullptr.
stereo::COwnVideo* OwnRenderer(CChannel& channel);

void ApplyAttribute(CChannel& channel, int32_t code, float value);

}  // namespace orvo::engine
