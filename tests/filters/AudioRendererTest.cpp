// The audio renderer in real graphs, writing through ALSA's file plug-in (a configuration the
// test installs) or, with a device that does not open, on the null output.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/filters/AudioOutput.h"
#include "platform/filters/AudioRenderer.h"
#include "platform/graph/ClassIds.h"
#include "tests/filters/ToneSource.h"

namespace orvo::test {
namespace {

using filters::SampleFormat;
using namespace std::chrono_literals;

std::filesystem::path CaptureFile() {
    static const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("orvo-alsa-" + std::to_string(::getpid()));
    return dir / "out.raw";
}

// Installs the ALSA configuration before anything in the process opens ALSA: "capture"
// writes raw PCM into a file, "missing" names a card that does not exist.
class AlsaConfiguration : public ::testing::Environment {
public:
    void SetUp() override {
        std::filesystem::create_directories(CaptureFile().parent_path());
        std::filesystem::path conf = CaptureFile().parent_path() / "asound.conf";
        std::ofstream(conf) << "pcm.capture {\n  type file\n  slave { pcm { type null } }\n  file \""
                            << CaptureFile().string() << "\"\n  format \"raw\"\n}\n"
                            << "pcm.missing {\n  type hw\n  card 99\n}\n";
        setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(CaptureFile().parent_path()); }
};
const auto* const g_alsa = ::testing::AddGlobalTestEnvironment(new AlsaConfiguration);

class AudioPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   m_graph.PutVoid()),
                  S_OK);
        m_graph.As(m_control);
        m_graph.As(m_seeking);
        m_graph.As(m_audio);
        filters::SetAudioDeviceName("capture");
        std::filesystem::remove(CaptureFile());
    }
    void TearDown() override {
        m_control->Stop();
        m_renderer.Reset();
        m_audio.Reset();
        m_seeking.Reset();
        m_control.Reset();
        m_graph.Reset();
        filters::SetAudioDeviceName("default");
        CoUninitialize();
    }

    void Build(const Tone& tone) {
        ComPtr<IBaseFilter> source(new ToneSource(tone));
        ASSERT_EQ(m_graph->AddFilter(source.Get(), u"Tone"), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_AudioRender, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                   m_renderer.PutVoid()),
                  S_OK);
        ASSERT_EQ(m_graph->AddFilter(m_renderer.Get(), u"Audio Renderer"), S_OK);
        ComPtr<IEnumPins> pins;
        source->EnumPins(pins.Put());
        IPin* out = nullptr;
        ASSERT_EQ(pins->Next(1, &out, nullptr), S_OK);
        ComPtr<IPin> held = ComPtr<IPin>::Attach(out);
        ASSERT_EQ(m_graph->Render(out), S_OK);
    }
    // Runs until the renderer reports the end; gives the wall time it took.
    std::chrono::duration<double> PlayToEnd() {
        auto start = std::chrono::steady_clock::now();
        EXPECT_GE(m_control->Run(), 0);
        LONGLONG stop = 0, current = -1;
        m_seeking->GetStopPosition(&stop);
        while (std::chrono::steady_clock::now() - start < 5s) {
            m_seeking->GetCurrentPosition(&current);
            if (current >= stop) break;
            std::this_thread::sleep_for(2ms);
        }
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(current, stop);
        m_control->Stop();
        return took;
    }
    static std::vector<BYTE> Captured() {
        std::ifstream in(CaptureFile(), std::ios::binary);
        return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
    }

    ComPtr<IGraphBuilder> m_graph;
    ComPtr<IMediaControl> m_control;
    ComPtr<IMediaSeeking> m_seeking;
    ComPtr<IBasicAudio> m_audio;
    ComPtr<IBaseFilter> m_renderer;
};

// One channel of interleaved PCM as values in [-1, 1].
std::vector<double> Channel(const std::vector<BYTE>& pcm, const Tone& tone, WORD channel) {
    WORD bytes = BytesPerSample(tone.format);
    size_t frameBytes = size_t(bytes) * tone.channels;
    std::vector<double> values;
    for (size_t f = 0; (f + 1) * frameBytes <= pcm.size(); ++f) {
        const BYTE* p = pcm.data() + f * frameBytes + channel * bytes;
        switch (tone.format) {
            case SampleFormat::U8: values.push_back((int(*p) - 128) / 127.0); break;
            case SampleFormat::S16: {
                int16_t s;
                std::memcpy(&s, p, 2);
                values.push_back(s / 32767.0);
                break;
            }
            case SampleFormat::S24:
                values.push_back((int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >> 8) /
                                 8388607.0);
                break;
            case SampleFormat::S32: {
                int32_t s;
                std::memcpy(&s, p, 4);
                values.push_back(s / 2147483647.0);
                break;
            }
            case SampleFormat::F32: {
                float s;
                std::memcpy(&s, p, 4);
                values.push_back(s);
                break;
            }
        }
    }
    return values;
}

double Peak(const std::vector<double>& v) {
    double peak = 0;
    for (double x : v) peak = std::max(peak, std::fabs(x));
    return peak;
}

int SignChanges(const std::vector<double>& v) {
    int changes = 0;
    for (size_t i = 1; i < v.size(); ++i) changes += (v[i - 1] < 0) != (v[i] < 0);
    return changes;
}

class ToneFormats : public AudioPlayback, public ::testing::WithParamInterface<SampleFormat> {};

TEST_P(ToneFormats, OneSecondOfToneComesOutAsOneSecondOfTheTone) {
    Tone tone{.format = GetParam()};
    Build(tone);
    PlayToEnd();
    auto pcm = Captured();
    ASSERT_EQ(pcm.size(), size_t(tone.rate) * tone.channels * BytesPerSample(tone.format));
    for (WORD c = 0; c < tone.channels; ++c) {
        auto values = Channel(pcm, tone, c);
        EXPECT_NEAR(SignChanges(values), 880, 2) << "440 Hz for 1 s";
        EXPECT_NEAR(Peak(values), 1.0, 0.01);
    }
}

INSTANTIATE_TEST_SUITE_P(Pcm, ToneFormats,
                         ::testing::Values(SampleFormat::U8, SampleFormat::S16, SampleFormat::S24, SampleFormat::S32,
                                           SampleFormat::F32));

TEST_F(AudioPlayback, VolumeAndBalanceAreGains) {
    Tone tone;
    Build(tone);
    EXPECT_EQ(m_audio->put_Volume(-2500), S_OK);
    EXPECT_EQ(m_audio->put_Volume(1), E_INVALIDARG);
    EXPECT_EQ(m_audio->put_Balance(-10001), E_INVALIDARG);
    LONG volume = 0;
    EXPECT_EQ(m_audio->get_Volume(&volume), S_OK);
    EXPECT_EQ(volume, -2500);
    PlayToEnd();
    double expected = std::pow(10.0, -25.0 / 20.0);
    auto pcm = Captured();
    EXPECT_NEAR(Peak(Channel(pcm, tone, 0)), expected, expected * 0.01);
    EXPECT_NEAR(Peak(Channel(pcm, tone, 1)), expected, expected * 0.01);

    std::filesystem::remove(CaptureFile());
    ASSERT_EQ(m_audio->put_Volume(0), S_OK);
    ASSERT_EQ(m_audio->put_Balance(-10000), S_OK);
    LONGLONG start = 0;
    m_seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    PlayToEnd();
    pcm = Captured();
    ASSERT_FALSE(pcm.empty());
    EXPECT_NEAR(Peak(Channel(pcm, tone, 0)), 1.0, 0.01);
    EXPECT_EQ(Peak(Channel(pcm, tone, 1)), 0.0) << "the right channel is silent";
}

TEST_F(AudioPlayback, WithoutADeviceTheGraphPlaysAtRealTimePaceOnTheAudioClock) {
    filters::SetAudioDeviceName("missing");
    Build(Tone{.duration = 10'000'000});
    ASSERT_GE(m_control->Pause(), 0);
    ComPtr<IReferenceClock> graphClock, rendererClock;
    ComPtr<IMediaFilter> graphFilter;
    ASSERT_EQ(m_graph.As(graphFilter), S_OK);
    ASSERT_EQ(graphFilter->GetSyncSource(graphClock.Put()), S_OK);
    ASSERT_EQ(m_renderer->QueryInterface(IID_IReferenceClock, rendererClock.PutVoid()), S_OK);
    EXPECT_EQ(graphClock.Get(), rendererClock.Get()) << "the graph runs on the audio renderer's clock";

    auto took = PlayToEnd();
    EXPECT_NEAR(took.count(), 1.0, 0.15);
    EXPECT_FALSE(static_cast<filters::CAudioRenderer*>(m_renderer.Get())->PlaysOnDevice());
}

TEST_F(AudioPlayback, DoubleRatePlaysInHalfTheTime) {
    filters::SetAudioDeviceName("missing");
    Build(Tone{.duration = 10'000'000});
    ASSERT_EQ(m_seeking->SetRate(2.0), S_OK);
    double rate = 0;
    EXPECT_EQ(m_seeking->GetRate(&rate), S_OK);
    EXPECT_EQ(rate, 2.0);
    EXPECT_NEAR(PlayToEnd().count(), 0.5, 0.1);
}

}  // namespace
}  // namespace orvo::test
