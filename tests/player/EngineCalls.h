#pragma once
// The attribute and stream-selection calls the player makes, in order, and apart from them
// its seeks. The test program defines these exports itself: each records its call and
// passes it on to libCore's, so the engine still receives every call.
#include <cstdint>
#include <ostream>
#include <vector>

namespace orvo::test {

struct EngineCall {
    uint32_t channel;
    int32_t code;  // the attribute code, or kEnableStream
    float value;   // the attribute value, or the stream index
    bool operator==(const EngineCall&) const = default;
};

constexpr int32_t kEnableStream = -1;

// (code, value) pairs: what a handler sent, without the channel.
using Sent = std::vector<std::pair<int32_t, float>>;

std::vector<EngineCall> TakeEngineCalls();
Sent TakeSent();
// The positions of Lumex_ChannelSetPosition since the last call, as passed (any unit).
std::vector<double> TakeSeeks();

void PrintTo(const EngineCall& call, std::ostream* out);

}  // namespace orvo::test
