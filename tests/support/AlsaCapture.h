#pragma once
// Sound tests write through ALSA's file plug-in: a test configuration names a "capture" device
// that writes raw PCM into a file and a "missing" device on a card that does not exist (the
// audio renderer then plays on its null output, at real-time pace). ALSA reads its
// configuration once per process, so the configuration is a test environment, installed before
// any test runs:
//
//   const auto* const g_alsa = testing::AddGlobalTestEnvironment(new orvo::test::AlsaCapture);
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace orvo::test {

class AlsaCapture : public testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    // The file the "capture" device writes.
    static std::filesystem::path File();
    // What the "capture" device has written so far; empty when nothing was.
    static std::vector<char> Captured();
};

// Points new audio renderers at an ALSA device for the scope's lifetime ("capture" clears what
// was captured before); back to "default" afterwards.
class AudioDevice {
public:
    explicit AudioDevice(const std::string& name);
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;
};

}  // namespace orvo::test
