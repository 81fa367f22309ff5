// The sound of file channels through the C interface: volume, balance, rate and audio stream
// switching, heard in the PCM that ALSA's file plug-in writes.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "Lumex.h"
#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"
#include "tests/support/AlsaCapture.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

const auto* const g_alsa = testing::AddGlobalTestEnvironment(new AlsaCapture);

// The clips' tones are 48 kHz stereo; the audio decoder offers 32-bit float first and the
// audio renderer takes it, so that is what ALSA writes.
constexpr int kToneRate = 48000;

struct Stereo {
    std::vector<float> left, right;
};

Stereo CapturedStereo() {
    const std::vector<char> pcm = AlsaCapture::Captured();
    Stereo out;
    for (size_t offset = 0; offset + 8 <= pcm.size(); offset += 8) {
        float l, r;
        std::memcpy(&l, pcm.data() + offset, 4);
        std::memcpy(&r, pcm.data() + offset + 4, 4);
        out.left.push_back(l);
        out.right.push_back(r);
    }
    return out;
}

double Peak(const std::vector<float>& samples) {
    double peak = 0;
    for (float s : samples) peak = std::max(peak, double(std::fabs(s)));
    return peak;
}

// Gain of `level` against `reference` in hundredths of a decibel.
double GainInHundredths(double level, double reference) { return 2000.0 * std::log10(level / reference); }

class ChannelSound : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Lumex_Init(1, 0), 1);
        Lumex_SetConfig(CONFIG_RENDERER, RENDERER_NULL);
    }
    void TearDown() override {
        if (m_channel) Lumex_StreamFree(m_channel);
        Lumex_Free();
    }
    void Open(const char* clip) {
        m_channel = Lumex_StreamCreateFile(MediaClip(clip).c_str(), 0, 0, 0);
        ASSERT_NE(m_channel, 0u) << clip;
    }
    // Plays the first `length` of the channel into the capture device, then stops and rewinds.
    Stereo Play(std::chrono::milliseconds length) {
        AudioDevice device("capture");
        EXPECT_EQ(Lumex_ChannelPlay(m_channel), 1);
        std::this_thread::sleep_for(length);
        EXPECT_EQ(Lumex_ChannelStop(m_channel), 1);
        EXPECT_EQ(Lumex_ChannelSetPosition(m_channel, 0, POS_SECONDS), 1);
        return CapturedStereo();
    }
    // Wall time from play to the end of the channel, on the null output's real-time pace.
    std::chrono::duration<double> PlayToEnd() {
        AudioDevice device("missing");
        const double end = Lumex_ChannelGetLength(m_channel, POS_REFTIME);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Lumex_ChannelPlay(m_channel), 1);
        while (Lumex_ChannelGetPosition(m_channel, POS_REFTIME) < end && std::chrono::steady_clock::now() - start < 10s)
            std::this_thread::sleep_for(5ms);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(Lumex_ChannelStop(m_channel), 1);
        EXPECT_EQ(Lumex_ChannelSetPosition(m_channel, 0, POS_SECONDS), 1);
        return took;
    }

    uint32_t m_channel = 0;
};

TEST_F(ChannelSound, VolumeFollowsTheLogarithmicCurveAndLowValuesMute) {
    Open("flat.mkv");
    Lumex_ChannelSetAttribute(m_channel, ATTRIB_VOLUME, 100);
    const Stereo full = Play(400ms);
    ASSERT_GT(full.left.size(), size_t(kToneRate / 10));
    const double reference = Peak(full.left);
    ASSERT_NEAR(reference, 0.5, 0.01) << "the clip's tone at full volume";

    Lumex_ChannelSetAttribute(m_channel, ATTRIB_VOLUME, 50);
    const Stereo half = Play(400ms);
    EXPECT_NEAR(GainInHundredths(Peak(half.left), reference), -752, 7.52);
    EXPECT_NEAR(GainInHundredths(Peak(half.right), reference), -752, 7.52);

    for (float muted : {0.0f, -5.0f, 0.9f}) {
        Lumex_ChannelSetAttribute(m_channel, ATTRIB_VOLUME, muted);
        const Stereo silent = Play(300ms);
        ASSERT_FALSE(silent.left.empty()) << "volume " << muted;
        EXPECT_EQ(Peak(silent.left), 0.0) << "volume " << muted;
        EXPECT_EQ(Peak(silent.right), 0.0) << "volume " << muted;
    }
}

TEST_F(ChannelSound, BalanceTowardsTheLeftAttenuatesTheRightChannel) {
    Open("flat.mkv");
    Lumex_ChannelSetAttribute(m_channel, ATTRIB_BALANCE, -50);
    const Stereo leftward = Play(400ms);
    ASSERT_FALSE(leftward.left.empty());
    EXPECT_NEAR(Peak(leftward.left), 0.5, 0.01) << "the left channel keeps its level";
    EXPECT_NEAR(GainInHundredths(Peak(leftward.right), Peak(leftward.left)), -5000, 50);
}

TEST_F(ChannelSound, DoubleRatePlaysTheClipInHalfTheTime) {
    Open("sbs.mkv");
    const double normal = PlayToEnd().count();
    EXPECT_NEAR(normal, Lumex_ChannelGetLength(m_channel, POS_SECONDS), 0.3);
    Lumex_ChannelSetAttribute(m_channel, ATTRIB_RATE, 2.0f);
    EXPECT_NEAR(PlayToEnd().count() / normal, 0.5, 0.1);
}

TEST_F(ChannelSound, EnablingTheSecondAudioStreamSwitchesTheTone) {
    Open("multi.mkv");
    std::vector<int32_t> audio;
    for (int32_t i = 0; i < Lumex_ChannelStreamsCount(m_channel); ++i) {
        StreamInfo s{};
        ASSERT_EQ(Lumex_ChannelGetStream(m_channel, i, &s), 1);
        if (s.type == 2) audio.push_back(i);
    }
    ASSERT_EQ(audio.size(), 2u);
    EXPECT_NEAR(MeasuredTone(Play(600ms).left, kToneRate), 440, 10);
    ASSERT_EQ(Lumex_ChannelEnableStream(m_channel, audio[1]), 1);
    EXPECT_NEAR(MeasuredTone(Play(600ms).left, kToneRate), 1000, 20);
}

}  // namespace
}  // namespace orvo::test
