#pragma once
// The ALSA configuration of the capture tests: the sound tests' "capture" output (raw PCM into
// a file) and a capture PCM "mic" that reads a 1 kHz tone from a file through ALSA's file
// plug-in, described by a hint as kMicDescription. Installed before any test runs.
#include <filesystem>

#include "tests/support/AlsaCapture.h"

namespace orvo::test {

inline constexpr const char* kMicDescription = "Orvo Tone Microphone";
inline constexpr int kToneHz = 1000;
inline constexpr int kToneRate = 48000;

class CaptureAlsa : public AlsaCapture {
public:
    void SetUp() override;
    static std::filesystem::path ToneFile();
};

}  // namespace orvo::test
