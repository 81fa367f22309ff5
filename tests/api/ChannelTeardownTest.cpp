// Teardown order, checked with recording doubles of the graph interfaces: the channel
// stops the graph, removes every filter, destroys the renderer, then releases control,
// seeking and the graph.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/api/Lumex.h"
#include "engine/channel/Channel.h"
#include "tests/support/FakeGraph.h"
#include "tests/support/StubRenderer.h"

namespace orvo::engine {
namespace {

using namespace orvo::test;

class FakeRenderer final : public test::StubRenderer {
public:
    explicit FakeRenderer(Log& log) : m_log(log) {}
    ~FakeRenderer() override { m_log.push_back("destroy renderer"); }

private:
    Log& m_log;
};

struct TeardownCase {
    int32_t state;
    HRESULT stopResult;
    bool stopExpected;
    int32_t stateAfter;
};

class Teardown : public ::testing::TestWithParam<TeardownCase> {};

TEST_P(Teardown, StopsRemovesEveryFilterThenDestroysAndReleases) {
    const auto c = GetParam();
    Log log;
    CChannel channel;
    channel.graph = ComPtr<IGraphBuilder>::Attach(new FakeGraph(log, {"renderer", "DECODER 1", "SourceFilter"}));
    channel.mediaControl = ComPtr<IMediaControl>::Attach(new FakeControl(log, c.stopResult));
    channel.mediaSeeking = ComPtr<IMediaSeeking>::Attach(new FakeSeeking(log));
    channel.renderer = std::make_unique<FakeRenderer>(log);
    channel.state = c.state;

    TeardownChannel(channel);

    Log expected;
    if (c.stopExpected) expected.push_back("stop");
    for (const char* name : {"renderer", "DECODER 1", "SourceFilter"}) {
        expected.insert(expected.end(),
                        {"enumerate", "remove " + std::string(name), "release " + std::string(name), "release enum"});
    }
    expected.insert(expected.end(), {"enumerate", "release enum", "destroy renderer", "release control",
                                     "release seeking", "release graph"});
    EXPECT_EQ(log, expected);
    EXPECT_EQ(channel.state, c.stateAfter);
    EXPECT_FALSE(channel.graph || channel.mediaControl || channel.mediaSeeking || channel.renderer);

    log.clear();
    TeardownChannel(channel);
    EXPECT_TRUE(log.empty()) << "a second teardown does nothing";
}

std::string TeardownCaseName(const ::testing::TestParamInfo<TeardownCase>& info) {
    static const char* const kStates[] = {"None", "Playing", "Paused", "Stopped"};
    return std::string(kStates[info.param.state]) + (FAILED(info.param.stopResult) ? "_StopFails" : "");
}

INSTANTIATE_TEST_SUITE_P(States, Teardown,
                         ::testing::Values(TeardownCase{CHANNEL_PLAYING, S_OK, true, CHANNEL_STOPPED},
                                           TeardownCase{CHANNEL_PAUSED, S_FALSE, true, CHANNEL_STOPPED},
                                           TeardownCase{CHANNEL_PLAYING, E_FAIL, true, CHANNEL_PLAYING},
                                           TeardownCase{CHANNEL_STOPPED, S_OK, false, CHANNEL_STOPPED},
                                           TeardownCase{CHANNEL_NONE, S_OK, false, CHANNEL_NONE}),
                         TeardownCaseName);

TEST(TeardownEdges, PartlyBuiltRecord) {
    Log log;
    CChannel channel;
    channel.state = CHANNEL_PLAYING;  // no control: nothing to stop
    channel.renderer = std::make_unique<FakeRenderer>(log);
    TeardownChannel(channel);
    EXPECT_EQ(log, Log{"destroy renderer"});
    EXPECT_EQ(channel.state, CHANNEL_PLAYING);
}

TEST(TeardownEdges, FilterTheGraphRefusesToRemoveDoesNotHang) {
    Log log;
    CChannel channel;
    channel.graph = ComPtr<IGraphBuilder>::Attach(new FakeGraph(log, {"stuck"}, /*refuseRemoval=*/true));
    TeardownChannel(channel);
    EXPECT_EQ(log, (Log{"enumerate", "release enum", "release graph", "release stuck"}));
}

}  // namespace
}  // namespace orvo::engine
