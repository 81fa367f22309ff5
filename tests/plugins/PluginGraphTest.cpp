// The multi-stream clip in a real graph built the way the engine builds a file graph: the
// plug-in filters from the table under their graph names, the audio renderer found by Render,
// its sound written through ALSA's file plug-in. A recording sink takes the video's place.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/graph/DecoderPlugins.h"
#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/filters/AudioOutput.h"
#include "platform/filters/ffmpeg/AudioConverter.h"
#include "platform/graph/ClassIds.h"
#include "tests/ffmpeg/SinkFilter.h"
#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"

namespace orvo::engine {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

fs::path CaptureFile() {
    static const fs::path folder = fs::temp_directory_path() / ("orvo-plugins-alsa-" + std::to_string(getpid()));
    return folder / "out.raw";
}

// ALSA reads its configuration once per process: the "capture" device writes raw PCM to a file.
class AlsaCapture : public testing::Environment {
public:
    void SetUp() override {
        fs::create_directories(CaptureFile().parent_path());
        const fs::path conf = CaptureFile().parent_path() / "asound.conf";
        std::ofstream(conf) << "pcm.capture {\n  type file\n  slave { pcm { type null } }\n  file \""
                            << CaptureFile().string() << "\"\n  format \"raw\"\n}\n";
        setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(CaptureFile().parent_path()); }
};
const auto* const g_alsa = testing::AddGlobalTestEnvironment(new AlsaCapture);

class PluginGraph : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        filters::SetAudioDeviceName("capture");
        fs::remove(CaptureFile());
        m_table.Load();
        ASSERT_EQ(m_table.Count(), 3);
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   m_graph.PutVoid()),
                  S_OK);
        m_graph.As(m_control);
        m_graph.As(m_seeking);
    }
    void TearDown() override {
        if (m_control) m_control->Stop();
        m_control.Reset();
        m_seeking.Reset();
        m_graph.Reset();
        filters::SetAudioDeviceName("default");
        CoUninitialize();
    }

    // Renderer first, then DECODER 1, DECODER 2 and the loaded SourceFilter, whose pins are
    // rendered one by one through what is already in the graph.
    void Build(const char* clip) {
        ComPtr<IBaseFilter> videoSink;
        ASSERT_EQ(CreateComObject<test::CSinkFilter>(IID_IBaseFilter, videoSink.PutVoid(),
                                                     [](const graph::MediaType& t) { return t.majortype == MEDIATYPE_Video; }),
                  S_OK);
        ASSERT_EQ(m_graph->AddFilter(videoSink.Get(), u"Video Sink"), S_OK);
        const char16_t* names[] = {u"SourceFilter", u"DECODER 1", u"DECODER 2"};
        for (int slot : {1, 2, 0}) {
            ASSERT_EQ(m_table.Instantiate(slot, m_filters[slot]), S_OK);
            if (slot == 0) {
                m_filters[0].As(m_source);
                ASSERT_EQ(m_source->Load(com::Utf8ToUtf16(test::MediaClip(clip)).c_str(), nullptr), S_OK);
            }
            ASSERT_EQ(m_graph->AddFilter(m_filters[slot].Get(), names[slot]), S_OK);
        }
        for (int pin = 0; ComPtr<IPin> out = test::PinAt(m_filters[0].Get(), pin); ++pin) m_graph->Render(out.Get());
    }

    double PlayAndMeasureTone() {
        fs::remove(CaptureFile());
        EXPECT_GE(m_control->Run(), 0);
        LONGLONG stop = 0, current = 0;
        m_seeking->GetDuration(&stop);
        for (auto start = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - start < 10s;) {
            m_seeking->GetCurrentPosition(&current);
            if (current >= stop) break;
            std::this_thread::sleep_for(10ms);
        }
        m_control->Stop();
        return CapturedTone();
    }

    // The frequency of the first channel of what ALSA wrote, in the connection's sample format.
    double CapturedTone() {
        ComPtr<IPin> decoded = test::PinAt(m_filters[2].Get(), 1), renderer;
        graph::MediaType type;
        decoded->ConnectionMediaType(&type);
        int channels = 0, rate = 0;
        bool floatSamples = false;
        if (!ffmpeg::ReadPcmMediaType(type, channels, rate, floatSamples)) return 0;
        std::ifstream in(CaptureFile(), std::ios::binary);
        const std::vector<char> pcm{std::istreambuf_iterator<char>(in), {}};
        const size_t frameBytes = size_t(channels) * (floatSamples ? 4 : 2);
        std::vector<float> left;
        for (size_t offset = 0; offset + frameBytes <= pcm.size(); offset += frameBytes) {
            float value = 0;
            int16_t sample = 0;
            if (floatSamples)
                std::memcpy(&value, pcm.data() + offset, 4);
            else
                std::memcpy(&sample, pcm.data() + offset, 2), value = sample / 32768.0f;
            left.push_back(value);
        }
        return test::MeasuredTone(left, rate);
    }

    CPluginTable m_table{{ORVO_PROGRAM_FOLDER}, false};
    ComPtr<IGraphBuilder> m_graph;
    ComPtr<IMediaControl> m_control;
    ComPtr<IMediaSeeking> m_seeking;
    ComPtr<IBaseFilter> m_filters[3];
    ComPtr<IFileSourceFilter> m_source;
};

TEST_F(PluginGraph, MultiStreamClipPlaysAndEnablingTheOtherAudioSwitchesTheTone) {
    Build("multi.mkv");
    ComPtr<IAMStreamSelect> select;
    ASSERT_EQ(m_filters[0].As(select), S_OK);
    EXPECT_TRUE(test::PinAt(m_filters[2].Get(), 1)) << "the audio decoder's output";
    ComPtr<IPin> connected;
    ASSERT_EQ(test::PinAt(m_filters[2].Get(), 1)->ConnectedTo(connected.Put()), S_OK);
    EXPECT_NEAR(PlayAndMeasureTone(), 440, 10);
    ASSERT_EQ(select->Enable(2, AMSTREAMSELECTENABLE_ENABLE), S_OK);
    LONGLONG start = 0;
    ASSERT_EQ(m_seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), S_OK);
    EXPECT_NEAR(PlayAndMeasureTone(), 1000, 20);
}

}  // namespace
}  // namespace orvo::engine
