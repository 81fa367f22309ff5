#pragma once
// The demo clip's sound: a slow chord pad, a plucked arpeggio over it and a thump each time
// the bouncing ball lands, heard from where the ball is.
#include <vector>

namespace demo {

// Interleaved stereo samples (left, right) from -1 to 1, `seconds` long.
std::vector<float> MakeSoundtrack(int sampleRate, double seconds);

}  // namespace demo
