#pragma once
// The sound format a channel plays: the PCM format connected at the input of the graph's
// audio sink (the filter that takes audio and passes nothing on).
#include <cstdint>

#include "platform/graph/Interfaces.h"

namespace orvo::engine {

struct AudioFormat {
    int32_t channels = 0;
    int32_t sampleRate = 0;
    int32_t bitsPerSample = 0;
};

// The format at the first connected audio sink of the graph; all zero when the graph has
// none (no sound track, or a sound track that could not be rendered). Caller's thread.
AudioFormat ConnectedAudioFormat(IFilterGraph* graph);

}  // namespace orvo::engine
