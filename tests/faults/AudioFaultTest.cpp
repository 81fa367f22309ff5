// Sound devices that refuse to open, or fail once playing: the channel plays on the null
// output at real-time pace and reaches its end. The devices are real ALSA PCMs built from
// stock plug-ins (FaultyDevices.h).
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "Lumex.h"
#include "platform/filters/AudioOutput.h"
#include "tests/faults/FaultyDevices.h"
#include "tests/faults/ChannelTime.h"
#include "tests/media/MediaClip.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

class AudioFault : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_EQ(Lumex_Init(0, 0), 1);
        Lumex_SetConfig(CONFIG_RENDERER, RENDERER_NULL);
        filters::SetAudioDeviceName(GetParam());
        m_channel = Lumex_StreamCreateFile(MediaClip("flat.mkv").c_str(), 0, 0, 0);
        ASSERT_NE(m_channel, 0u);
    }
    void TearDown() override {
        if (m_channel) {
            EXPECT_EQ(Lumex_StreamFree(m_channel), 1);
        }
        filters::SetAudioDeviceName("default");
        Lumex_Free();
    }
    uint32_t m_channel = 0;
};

// The position follows the wall clock: it neither stalls nor races ahead on a device that
// takes nothing, and the channel reaches its end and stays controllable.
TEST_P(AudioFault, PlaysToTheEndAtRealTimePace) {
    const bool cutMidStream = std::string(GetParam()) == "cut";
    std::optional<FifoReader> reader;
    if (cutMidStream) reader.emplace();

    const double length = LengthSeconds(m_channel);
    ASSERT_GT(length, 2.0);
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    ASSERT_EQ(Lumex_ChannelPlay(m_channel), 1);
    // Paced from when the stream runs, so that a slow start (a loaded machine, a sanitizer)
    // does not count.
    while (PositionSeconds(m_channel) < 0.1 && elapsed() < 5) std::this_thread::sleep_for(10ms);
    const double position0 = PositionSeconds(m_channel), wall0 = elapsed();
    if (cutMidStream) {
        std::this_thread::sleep_for(500ms);
        reader->Leave();
        EXPECT_GT(reader->BytesRead(), 0u) << "the device played before it failed";
    }
    std::this_thread::sleep_for(1s);
    const double played = PositionSeconds(m_channel) - position0, wall = elapsed() - wall0;
    EXPECT_GT(played, wall * 0.6) << "the position stalled";
    EXPECT_LT(played, wall + 0.3) << "the position raced ahead of the wall clock";
    EXPECT_EQ(Lumex_ChannelGetState(m_channel), CHANNEL_PLAYING);

    while (PositionSeconds(m_channel) < length - 0.05 && elapsed() < length + 10) std::this_thread::sleep_for(20ms);
    EXPECT_GE(PositionSeconds(m_channel), length - 0.05) << "playback reached the end";
    EXPECT_GT(elapsed() - wall0, length - position0 - 0.3) << "the end came before its time";

    EXPECT_EQ(Lumex_ChannelStop(m_channel), 1);
    EXPECT_EQ(Lumex_ChannelGetState(m_channel), CHANNEL_STOPPED);
    EXPECT_EQ(SeekSeconds(m_channel, 1.0), 1);
    EXPECT_NEAR(PositionSeconds(m_channel), 1.0, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Devices, AudioFault, testing::Values("refusing", "full", "cut"));

}  // namespace
}  // namespace orvo::test
