// The graph's event queue: what filters raise on their streaming threads reaches it in order,
// and the graph ends the stream on a completion or an abort.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/graph/GraphFixture.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

constexpr HRESULT kReadFailure = MakeHResult(0x8007001E);  // a read fault, as a device reports it

class GraphEvents : public GraphFixture {
protected:
    void Build(StreamSpec plan) {
        plan.sub = kCompressedVideo;
        m_source = Add(new TestSource({plan}), u"Source");
        Add(new TestDecoder, u"Decoder");
        m_sink = Add(new TestVideoSink, u"Sink");
        ASSERT_EQ(m_graph->Render(PinOf(m_source.Get(), 0).Get()), S_OK);
        ASSERT_EQ(m_graph.As(m_events), S_OK);
    }
    struct Event {
        LONG code;
        LONG_PTR param1;
    };
    // The events queued until none comes for a while.
    std::vector<Event> Events() {
        std::vector<Event> seen;
        LONG code = 0;
        LONG_PTR p1 = 0, p2 = 0;
        while (m_events->GetEvent(&code, &p1, &p2, 300) == S_OK) {
            seen.push_back({code, p1});
            EXPECT_EQ(m_events->FreeEventParams(code, p1, p2), S_OK);
        }
        return seen;
    }
    REFERENCE_TIME Position() {
        LONGLONG current = -1;
        m_seeking->GetCurrentPosition(&current);
        return current;
    }

    ComPtr<TestSource> m_source;
    ComPtr<TestVideoSink> m_sink;
    ComPtr<IMediaEvent> m_events;
};

TEST_F(GraphEvents, AStreamingErrorReachesTheQueueWithItsCodeAndEndsTheStream) {
    Build(StreamSpec{.failAt = 10, .failure = kReadFailure});
    ASSERT_EQ(m_control->Run(), S_OK);
    LONG ended = 0;
    ASSERT_EQ(m_events->WaitForCompletion(3000, &ended), S_OK);
    EXPECT_EQ(ended, EC_ERRORABORT);
    const auto seen = Events();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().code, EC_ERRORABORT);
    EXPECT_EQ(seen.front().param1, LONG_PTR(kReadFailure));
    std::this_thread::sleep_for(100ms);
    const size_t rendered = m_sink->Rendered().size();
    EXPECT_EQ(rendered, 11u) << "the preroll sample and the ten before the failure";
    const REFERENCE_TIME held = Position();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(Position(), held) << "the ended stream no longer advances";
    EXPECT_EQ(m_sink->Rendered().size(), rendered);
    EXPECT_EQ(m_control->Stop(), S_OK);
}

TEST_F(GraphEvents, CompletionComesOnceInOrderAfterTheRenderersFinish) {
    Build(StreamSpec{.duration = 400 * kMs});
    LONG ended = 0;
    EXPECT_EQ(m_events->WaitForCompletion(0, &ended), VFW_E_WRONG_STATE) << "a stopped graph never completes";
    ASSERT_EQ(m_control->Run(), S_OK);
    EXPECT_EQ(m_events->WaitForCompletion(0, &ended), E_ABORT) << "still playing";
    ASSERT_EQ(m_events->WaitForCompletion(3000, &ended), S_OK);
    EXPECT_EQ(ended, EC_COMPLETE);
    const auto seen = Events();
    ASSERT_EQ(seen.size(), 1u) << "one completion for the graph, not one per renderer";
    EXPECT_EQ(seen[0].code, EC_COMPLETE);
    EXPECT_EQ(seen[0].param1, LONG_PTR(S_OK));

    // A seek starts the stream again: it completes again.
    LONGLONG start = 0;
    ASSERT_EQ(m_seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    ASSERT_EQ(m_events->WaitForCompletion(3000, &ended), S_OK);
    EXPECT_EQ(Events().size(), 1u);
    m_control->Stop();
}

TEST_F(GraphEvents, EventsKeepTheOrderTheyWereRaisedIn) {
    Build(StreamSpec{});
    ComPtr<IMediaEventSink> sink;
    ASSERT_EQ(m_graph.As(sink), S_OK);
    const Event raised[] = {{EC_USERABORT, 0}, {EC_CLOCK_CHANGED, 0}, {EC_ERRORABORT, LONG_PTR(E_FAIL)},
                            {EC_REPAINT, 0}};
    for (const Event& e : raised) EXPECT_EQ(sink->Notify(e.code, e.param1, 0), S_OK);
    const auto seen = Events();
    ASSERT_EQ(seen.size(), std::size(raised));
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].code, raised[i].code) << i;
        EXPECT_EQ(seen[i].param1, raised[i].param1) << i;
    }
    LONG code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(m_events->GetEvent(&code, &p1, &p2, 100), E_ABORT);
    EXPECT_GE(std::chrono::steady_clock::now() - before, 90ms) << "waits out its timeout";
    EXPECT_EQ(m_events->GetEvent(nullptr, &p1, &p2, 0), E_POINTER);
}

TEST_F(GraphEvents, ChangingAChosenClockIsAnEvent) {
    Build(StreamSpec{});
    ASSERT_GE(m_control->Pause(), 0);  // the graph chooses its clock
    ASSERT_EQ(m_control->Stop(), S_OK);
    EXPECT_TRUE(Events().empty());
    ComPtr<IMediaFilter> filter;
    ASSERT_EQ(m_graph.As(filter), S_OK);
    ComPtr<IReferenceClock> chosen;
    ASSERT_EQ(filter->GetSyncSource(chosen.Put()), S_OK);
    ASSERT_EQ(filter->SetSyncSource(chosen.Get()), S_OK);
    EXPECT_TRUE(Events().empty()) << "the same clock again is no change";
    ASSERT_EQ(filter->SetSyncSource(nullptr), S_OK);
    const auto seen = Events();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].code, EC_CLOCK_CHANGED);
}

}  // namespace
}  // namespace orvo::test
