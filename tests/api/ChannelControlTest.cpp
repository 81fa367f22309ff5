// Channel control arithmetic and state rules, against recording graph doubles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/api/ChannelAttributes.h"
#include "engine/api/Lumex.h"
#include "engine/channel/ChannelRegistry.h"
#include "tests/support/FakeGraph.h"
#include "tests/support/StubRenderer.h"

namespace orvo::engine {
namespace {

using namespace orvo::test;

// Records the window calls the exports pass on.
class WindowRecorder final : public StubRenderer {
public:
    explicit WindowRecorder(Log& log) : m_log(log) {}
    HRESULT SetWindow(HWND window, const RECT* rect) override {
        m_log.push_back("window " + std::to_string(window) +
                        (rect ? " " + std::to_string(rect->left) + "," + std::to_string(rect->top) + "," +
                                    std::to_string(rect->right) + "," + std::to_string(rect->bottom)
                              : " whole"));
        return 0;
    }
    HRESULT Repaint(HWND window, HDC) override {
        m_log.push_back("repaint " + std::to_string(window));
        return repaintResult;
    }
    HRESULT repaintResult = S_OK;

private:
    Log& m_log;
};

// A registered channel whose graph interfaces are recording doubles.
class ChannelControl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Lumex_Init(1, 0), 1);
        auto record = CreateChannelRecord(0x99);
        graph = new FakeGraph(log, {});
        audio = new FakeAudio(log);
        graph->audio = audio;
        control = new FakeControl(log, S_OK);
        seeking = new FakeSeeking(log);
        record->graph = ComPtr<IGraphBuilder>::Attach(graph);
        record->mediaControl = ComPtr<IMediaControl>::Attach(control);
        record->mediaSeeking = ComPtr<IMediaSeeking>::Attach(seeking);
        record->state = CHANNEL_STOPPED;
        channel = record.get();
        handle = Channels().Register(std::move(record));
    }
    void TearDown() override {
        Lumex_StreamFree(handle);
        audio->Release();
        Lumex_Free();
    }
    // The log from now on.
    Log Calls() {
        Log calls;
        for (auto& entry : log)
            if (entry.rfind("release", 0) != 0 && entry != "enumerate") calls.push_back(entry);
        log.clear();
        return calls;
    }

    Log log;
    FakeGraph* graph = nullptr;
    FakeAudio* audio = nullptr;
    FakeControl* control = nullptr;
    FakeSeeking* seeking = nullptr;
    CChannel* channel = nullptr;
    uint32_t handle = 0;
};

TEST_F(ChannelControl, StateMachine) {
    struct Step {
        int32_t (*call)(uint32_t);
        int32_t result;
        int32_t state;
        const char* platformCall;  // nullptr: refused without asking the graph
    } steps[] = {
        {Lumex_ChannelPause, 0, CHANNEL_STOPPED, nullptr}, {Lumex_ChannelStop, 0, CHANNEL_STOPPED, nullptr},
        {Lumex_ChannelPlay, 1, CHANNEL_PLAYING, "run"},    {Lumex_ChannelPlay, 0, CHANNEL_PLAYING, nullptr},
        {Lumex_ChannelPause, 1, CHANNEL_PAUSED, "pause"},  {Lumex_ChannelPause, 0, CHANNEL_PAUSED, nullptr},
        {Lumex_ChannelPlay, 1, CHANNEL_PLAYING, "run"},    {Lumex_ChannelStop, 1, CHANNEL_STOPPED, "stop"},
        {Lumex_ChannelPlay, 1, CHANNEL_PLAYING, "run"},    {Lumex_ChannelPause, 1, CHANNEL_PAUSED, "pause"},
        {Lumex_ChannelStop, 1, CHANNEL_STOPPED, "stop"},
    };
    int n = 0;
    for (const auto& s : steps) {
        EXPECT_EQ(s.call(handle), s.result) << "step " << n;
        EXPECT_EQ(Lumex_ChannelGetState(handle), s.state) << "step " << n;
        EXPECT_EQ(Calls(), s.platformCall ? Log{s.platformCall} : Log{}) << "step " << n;
        ++n;
    }
}

TEST_F(ChannelControl, FailedPlatformCallKeepsTheState) {
    control->runResult = E_FAIL;
    EXPECT_EQ(Lumex_ChannelPlay(handle), 0);
    EXPECT_EQ(Lumex_ChannelGetState(handle), CHANNEL_STOPPED);
    control->runResult = S_FALSE;  // still getting there counts as success
    EXPECT_EQ(Lumex_ChannelPlay(handle), 1);
    EXPECT_EQ(Lumex_ChannelGetState(handle), CHANNEL_PLAYING);
}

TEST_F(ChannelControl, WithoutMediaControlEveryTransitionSucceeds) {
    channel->mediaControl.Reset();
    EXPECT_EQ(Lumex_ChannelPlay(handle), 1);
    EXPECT_EQ(Lumex_ChannelPause(handle), 1);
    EXPECT_EQ(Lumex_ChannelStop(handle), 1);
    EXPECT_EQ(Lumex_ChannelGetState(handle), CHANNEL_STOPPED);
}

TEST_F(ChannelControl, LengthAndPositionUnits) {
    seeking->duration = 905000000;  // 90.5 s
    seeking->position = 127500000;  // 12.75 s
    struct Case {
        int32_t unit;
        double length, position;
    } cases[] = {{POS_SECONDS, 90.5, 12.0},
                 {POS_MILLISECONDS, 90500.0, 12750.0},
                 {POS_REFTIME, 905000000.0, 127500000.0},
                 {1, 905000000.0, 0.0},
                 {-4, 905000000.0, 0.0}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(Lumex_ChannelGetLength(handle, c.unit), c.length) << c.unit;
        EXPECT_DOUBLE_EQ(Lumex_ChannelGetPosition(handle, c.unit), c.position) << c.unit;
    }
    seeking->result = E_FAIL;
    EXPECT_EQ(Lumex_ChannelGetLength(handle, POS_SECONDS), 0.0);
    EXPECT_EQ(Lumex_ChannelGetPosition(handle, POS_REFTIME), 0.0);
    seeking->result = S_OK;
    channel->state = CHANNEL_NONE;
    EXPECT_EQ(Lumex_ChannelGetLength(handle, POS_SECONDS), 0.0);
}

TEST_F(ChannelControl, SeekingTruncatesThenScales) {
    struct Case {
        double position;
        int32_t unit;
        int32_t result;
        const char* seek;
    } cases[] = {
        {12.9, POS_SECONDS, 1, "seek 120000000"}, {1500.7, POS_MILLISECONDS, 1, "seek 15000000"},
        {777.9, POS_REFTIME, 1, "seek 777"},      {3.0, 1, 1, "seek 3"},
        {-2.5, POS_SECONDS, 1, "seek -20000000"}, {NAN, POS_SECONDS, 0, nullptr},
        {1e300, POS_SECONDS, 0, nullptr},         {INFINITY, POS_REFTIME, 0, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Lumex_ChannelSetPosition(handle, c.position, c.unit), c.result) << c.position;
        EXPECT_EQ(Calls(), c.seek ? Log{c.seek} : Log{}) << c.position;
    }
    seeking->result = E_FAIL;
    EXPECT_EQ(Lumex_ChannelSetPosition(handle, 1.0, POS_SECONDS), 0);
}

TEST_F(ChannelControl, VolumeFollowsTheLogCurve) {
    struct Case {
        float percent;
        LONG volume;
    } cases[] = {{0, -10000}, {-5, -10000}, {0.9f, -10000}, {NAN, -10000}, {1, -5000},
                 {10, -2500}, {50, -752},   {100, 0},       {150, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(VolumeForPercent(c.percent), c.volume) << c.percent;
        Lumex_ChannelSetAttribute(handle, ATTRIB_VOLUME, c.percent);
        EXPECT_EQ(Calls(), Log{"volume " + std::to_string(c.volume)}) << c.percent;
    }
}

TEST_F(ChannelControl, BalanceInHundredthsOfADecibel) {
    struct Case {
        float percent;
        LONG balance;
    } cases[] = {{-50, -5000},     {30, 3000},     {150, 10000},  {100, 10000},
                 {-99.5f, -9950}, {-100, -10000}, {-150, -10000}};
    for (const auto& c : cases) {
        EXPECT_EQ(BalanceForPercent(c.percent), c.balance) << c.percent;
        Lumex_ChannelSetAttribute(handle, ATTRIB_BALANCE, c.percent);
        EXPECT_EQ(Calls(), Log{"balance " + std::to_string(c.balance)}) << c.percent;
    }
}

TEST_F(ChannelControl, RateAndUnknownCodes) {
    Lumex_ChannelSetAttribute(handle, ATTRIB_RATE, 2.0f);
    EXPECT_EQ(Calls(), Log{"rate 2.000000"});
    for (int32_t code : {0, 4, 9, 100, -1}) Lumex_ChannelSetAttribute(handle, code, 1.0f);
    EXPECT_EQ(Calls(), Log{});
    graph->audio = nullptr;  // no audio interface: volume does nothing
    Lumex_ChannelSetAttribute(handle, ATTRIB_VOLUME, 50);
    EXPECT_EQ(Calls(), Log{});
    graph->audio = audio;
}

TEST_F(ChannelControl, InfoComesFromTheRenderer) {
    CHANNELINFO info;
    std::memset(&info, 0x5A, sizeof info);
    Lumex_ChannelGetInfo(handle, &info);
    const CHANNELINFO zero{};
    EXPECT_EQ(std::memcmp(&info, &zero, sizeof info), 0) << "no renderer: zeros";

    channel->renderer = std::make_unique<WindowRecorder>(log);
    channel->renderer->m_frameRate = 25.0;
    channel->renderer->m_width = 1920;
    channel->renderer->m_height = 1080;
    std::memset(&info, 0x5A, sizeof info);
    Lumex_ChannelGetInfo(handle, &info);
    EXPECT_EQ(info.frameRate, 25.0f);
    EXPECT_EQ(info.height, 1080);
    EXPECT_EQ(info.width, 1920);
    EXPECT_EQ(info.channels | info.sampleRate | info.bitsPerSample | info.reserved, 0);
    Lumex_ChannelGetInfo(handle, nullptr);
}

TEST_F(ChannelControl, WindowCallsHonourTheReservedArgument) {
    EXPECT_EQ(Lumex_ChannelRepaint(handle, 0, nullptr), 1) << "no renderer: nothing to repaint";
    auto* renderer = new WindowRecorder(log);
    channel->renderer.reset(renderer);
    Lumex_ChannelResizeWindow(handle, 1, 0, 0, 10, 10);
    Lumex_ChannelSetWindow(handle, 1, 0x42);
    EXPECT_EQ(Lumex_ChannelRepaint(handle, 1, nullptr), 1);
    EXPECT_EQ(Calls(), Log{});
    Lumex_ChannelResizeWindow(handle, 0, 1, 2, 3, 4);
    EXPECT_EQ(Lumex_ChannelRepaint(handle, 0, nullptr), 1);
    renderer->repaintResult = E_FAIL;
    EXPECT_EQ(Lumex_ChannelRepaint(handle, 0, nullptr), 0);
    EXPECT_EQ(Calls(), (Log{"window 0 1,2,3,4", "repaint 153", "repaint 153"})) << "repaint uses the creation window";
}

TEST_F(ChannelControl, FreedHandleFailsEverywhere) {
    ASSERT_EQ(Lumex_StreamFree(handle), 1);
    CHANNELINFO info;
    std::memset(&info, 1, sizeof info);
    EXPECT_EQ(Lumex_ChannelPlay(handle), 0);
    EXPECT_EQ(Lumex_ChannelPause(handle), 0);
    EXPECT_EQ(Lumex_ChannelStop(handle), 0);
    EXPECT_EQ(Lumex_ChannelGetState(handle), 0);
    EXPECT_EQ(Lumex_ChannelGetLength(handle, 0), 0.0);
    EXPECT_EQ(Lumex_ChannelGetPosition(handle, 0), 0.0);
    EXPECT_EQ(Lumex_ChannelSetPosition(handle, 1, 0), 0);
    EXPECT_EQ(Lumex_ChannelRepaint(handle, 0, nullptr), 0);
    Lumex_ChannelGetInfo(handle, &info);
    EXPECT_EQ(info.width, 0);
    Lumex_ChannelSetAttribute(handle, ATTRIB_VOLUME, 50);
    Lumex_ChannelSetWindow(handle, 0, 1);
    Lumex_ChannelResizeWindow(handle, 0, 0, 0, 1, 1);
    EXPECT_EQ(Calls(), Log{});
}

TEST_F(ChannelControl, UninitialisedLibraryFindsNoChannel) {
    Lumex_Free();
    EXPECT_EQ(Lumex_ChannelGetState(handle), 0);
    ASSERT_EQ(Lumex_Init(1, 0), 1);
    EXPECT_EQ(Lumex_ChannelGetState(handle), CHANNEL_STOPPED);
}

}  // namespace
}  // namespace orvo::engine
