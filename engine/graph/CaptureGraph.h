#pragma once
// The media graph of a capture channel: a video device shown through an Infinite Pin Tee by
// the renderer of the configured kind, and an audio device played on the default audio
// output. Runs on the caller's thread, in its component apartment; shows no message.
#include "engine/channel/Channel.h"

namespace orvo::engine {

// Builds the channel's graph for the 1-based device numbers (0 or below: no device of that
// kind); the channel is left stopped. true when the audio device was added, else when the
// video device was; on false the caller tears the channel down.
bool BuildCaptureGraph(CChannel& channel, int32_t audio, int32_t video);

}  // namespace orvo::engine
