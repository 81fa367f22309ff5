// Files that change under a playing stream. A file cut short ends the stream with an error
// event where the data break off; a file deleted plays on, since the open descriptor keeps
// its data. Either way the channel stays controllable.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "Lumex.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/filters/AudioOutput.h"
#include "platform/graph/ClassIds.h"
#include "platform/graph/Interfaces.h"
#include "tests/faults/ChannelTime.h"
#include "tests/media/MediaClip.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A 10 s clip with sound, so that the splitter has read only part of it when it changes.
constexpr const char* kClip = "h264_mp2.mkv";

enum class Change { Deleted, Truncated };

// Deletes the file, or cuts it to 40 % of its size.
void Apply(Change change, const fs::path& file) {
    if (change == Change::Deleted)
        fs::remove(file);
    else
        fs::resize_file(file, fs::file_size(file) * 2 / 5);
}

const char* Name(Change change) { return change == Change::Deleted ? "deleted" : "truncated"; }

class FileFault : public testing::TestWithParam<Change> {
protected:
    void SetUp() override {
        // Sound goes to the null output, so that the test does not depend on a sound card.
        filters::SetAudioDeviceName("refusing");
        const std::string clip = MediaClip(kClip);
        ASSERT_FALSE(clip.empty());
        m_copy = fs::path(testing::TempDir()) / ("orvo-file-fault-" + std::to_string(getpid()) + ".mkv");
        fs::copy_file(clip, m_copy, fs::copy_options::overwrite_existing);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove(m_copy, ignored);
        filters::SetAudioDeviceName("default");
    }
    fs::path m_copy;
};

// The platform's graph tells how the stream ended: EC_ERRORABORT with VFW_E_FILE_TOO_SHORT for
// the cut file, EC_COMPLETE for the deleted one.
TEST_P(FileFault, TheGraphReportsHowTheStreamEnded) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()),
                  S_OK);
        // The platform's own filters render the sound and leave the H.264 video unconnected.
        ASSERT_TRUE(SUCCEEDED(graph->RenderFile(com::Utf8ToUtf16(m_copy.string()).c_str(), nullptr)));
        ComPtr<IMediaControl> control;
        ComPtr<IMediaEvent> events;
        ComPtr<IMediaSeeking> seeking;
        ASSERT_EQ(graph.As(control), S_OK);
        ASSERT_EQ(graph.As(events), S_OK);
        ASSERT_EQ(graph.As(seeking), S_OK);
        ASSERT_TRUE(SUCCEEDED(control->Run()));
        std::this_thread::sleep_for(500ms);
        Apply(GetParam(), m_copy);
        if (GetParam() == Change::Deleted) {
            // Reading on past what the splitter had queued: near the end, from the deleted file.
            LONGLONG nearEnd = 85'000'000;
            ASSERT_EQ(seeking->SetPositions(&nearEnd, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
                      S_OK);
        }
        LONG ended = 0;
        LONG code = 0;
        LONG_PTR param1 = 0, param2 = 0;
        HRESULT endResult = S_OK;
        const auto start = std::chrono::steady_clock::now();
        while (!ended && std::chrono::steady_clock::now() - start < 20s) {
            if (events->GetEvent(&code, &param1, &param2, 200) != S_OK) continue;
            if (code == EC_COMPLETE || code == EC_ERRORABORT) {
                ended = code;
                endResult = HRESULT(param1);
            }
            events->FreeEventParams(code, param1, param2);
        }
        if (GetParam() == Change::Truncated) {
            EXPECT_EQ(ended, EC_ERRORABORT);
            EXPECT_EQ(endResult, VFW_E_FILE_TOO_SHORT);
        } else {
            EXPECT_EQ(ended, EC_COMPLETE);
        }
        EXPECT_TRUE(SUCCEEDED(control->Stop()));
    }
    CoUninitialize();
}

// Through the C interface: the position stops where the data end (the cut file) or at the
// end (the deleted one), and state, position, seeking, play, stop and free all still work.
TEST_P(FileFault, TheChannelStaysControllable) {
    ASSERT_EQ(Lumex_Init(0, 0), 1);
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_NULL);
    const uint32_t channel = Lumex_StreamCreateFile(m_copy.c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    const double length = LengthSeconds(channel);
    ASSERT_GT(length, 9.0);
    ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
    std::this_thread::sleep_for(500ms);
    Apply(GetParam(), m_copy);
    if (GetParam() == Change::Deleted) {
        ASSERT_EQ(SeekSeconds(channel, length - 1.5), 1);
    }

    // Wait for the position to settle: the end of the clip, or where the cut file breaks off.
    double last = -1, now = PositionSeconds(channel);
    const auto start = std::chrono::steady_clock::now();
    while (now != last && std::chrono::steady_clock::now() - start < 20s) {
        std::this_thread::sleep_for(700ms);
        last = now;
        now = PositionSeconds(channel);
    }
    EXPECT_EQ(now, last) << Name(GetParam()) << ": the position settles";
    if (GetParam() == Change::Deleted)
        EXPECT_NEAR(now, length, 0.1) << "the deleted file plays to its end";
    else
        EXPECT_LT(now, length * 0.8) << "the cut file ends where its data end";

    EXPECT_NE(Lumex_ChannelGetState(channel), CHANNEL_NONE);
    EXPECT_EQ(Lumex_ChannelPause(channel), 1);
    EXPECT_EQ(Lumex_ChannelGetState(channel), CHANNEL_PAUSED);
    EXPECT_EQ(SeekSeconds(channel, 1.0), 1);
    EXPECT_NEAR(PositionSeconds(channel), 1.0, 0.05);
    EXPECT_EQ(Lumex_ChannelPlay(channel), 1);
    std::this_thread::sleep_for(300ms);
    EXPECT_GT(PositionSeconds(channel), 1.0) << Name(GetParam()) << ": plays again after a seek";
    EXPECT_EQ(Lumex_ChannelStop(channel), 1);
    EXPECT_EQ(Lumex_ChannelGetState(channel), CHANNEL_STOPPED);
    EXPECT_EQ(Lumex_StreamFree(channel), 1);
    EXPECT_EQ(Lumex_ChannelGetState(channel), 0);
    Lumex_Free();
}

INSTANTIATE_TEST_SUITE_P(Changes, FileFault, testing::Values(Change::Deleted, Change::Truncated),
                         [](const testing::TestParamInfo<Change>& info) { return std::string(Name(info.param)); });

}  // namespace
}  // namespace orvo::test
