// Real graphs of a test source, the test decoder and a sink on CBaseVideoRenderer, run on the
// graph clock: presentation times, preroll on pause, stop during a wait, seeking.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/graph/GraphFixture.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

class Playback : public GraphFixture {
protected:
    void Build(StreamSpec plan = {}) {
        plan.sub = kCompressedVideo;
        m_source = Add(new TestSource({plan}), u"Source");
        m_decoder = Add(new TestDecoder, u"Decoder");
        m_sink = Add(new TestVideoSink, u"Sink");
        ASSERT_EQ(m_graph->Render(PinOf(m_source.Get(), 0).Get()), S_OK);
    }
    REFERENCE_TIME Position() {
        LONGLONG current = -1;
        EXPECT_EQ(m_seeking->GetCurrentPosition(&current), S_OK);
        return current;
    }
    static std::vector<RenderedSample> Played(const std::vector<RenderedSample>& all) {
        std::vector<RenderedSample> played;
        for (const auto& r : all)
            if (!r.preroll) played.push_back(r);
        return played;
    }

    HRESULT Seek(LONGLONG target) {
        return m_seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    }
    // Plays, then seeks to target while the decoder holds the target's sample.
    void SeekWhileTheDecoderHolds(LONGLONG target) {
        Build();
        ASSERT_EQ(m_control->Run(), S_OK);
        ASSERT_TRUE(m_sink->WaitForRendered(3, 2000));
        m_decoder->HoldAt(target);
        ASSERT_EQ(Seek(target), S_OK);
        ASSERT_TRUE(m_decoder->WaitUntilHolding(2000));
    }
    // The first sample at mediaTime that was shown while running; null when none was.
    static const RenderedSample* PlayedAt(const std::vector<RenderedSample>& all, REFERENCE_TIME mediaTime) {
        for (const auto& r : all)
            if (!r.preroll && r.mediaTime == mediaTime) return &r;
        return nullptr;
    }

    ComPtr<TestSource> m_source;
    ComPtr<TestDecoder> m_decoder;
    ComPtr<TestVideoSink> m_sink;
};

TEST_F(Playback, EverySampleIsRenderedAtItsPresentationTime) {
    Build();
    ASSERT_EQ(m_control->Run(), S_OK);
    ASSERT_TRUE(m_sink->WaitForRendered(51, 5000));  // the preroll sample, then all 50
    LONGLONG duration = 0;
    EXPECT_EQ(m_seeking->GetDuration(&duration), S_OK);
    EXPECT_EQ(duration, 2000 * kMs);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(Position(), duration) << "complete playback ends at the stop position";
    m_control->Stop();

    auto played = Played(m_sink->Rendered());
    ASSERT_EQ(played.size(), 50u);
    for (size_t i = 0; i < played.size(); ++i) {
        EXPECT_EQ(played[i].start, REFERENCE_TIME(i) * 40 * kMs);
        EXPECT_LT(std::llabs(played[i].renderedAt - played[i].start), 20 * kMs)
            << "sample " << i << " rendered " << (played[i].renderedAt - played[i].start) / kMs << " ms off";
    }
    ComPtr<IQualProp> quality;
    ASSERT_EQ(m_sink.As(quality), S_OK);
    int drawn = 0, rate = 0;
    quality->get_FramesDrawn(&drawn);
    quality->get_AvgFrameRate(&rate);
    EXPECT_EQ(drawn, 50);
    EXPECT_NEAR(rate, 2500, 100);
}

// A display slower than the frame rate: frames that come more than 100 ms late are dropped
// so that the picture stays in step with the clock, yet one is drawn at least every 500 ms.
TEST_F(Playback, ASlowDisplayDropsLateFramesAndKeepsUpWithTheClock) {
    Build();  // 50 samples 40 ms apart
    m_sink->SetRenderTime(100ms);
    ComPtr<IMediaEvent> events;
    ASSERT_EQ(m_graph.As(events), S_OK);
    ASSERT_EQ(m_control->Run(), S_OK);
    LONG ended = 0;
    ASSERT_EQ(events->WaitForCompletion(10000, &ended), S_OK);
    m_control->Stop();

    const auto played = Played(m_sink->Rendered());
    ComPtr<IQualProp> quality;
    ASSERT_EQ(m_sink.As(quality), S_OK);
    int drawn = 0, dropped = 0;
    quality->get_FramesDrawn(&drawn);
    quality->get_FramesDroppedInFilter(&dropped);
    EXPECT_EQ(size_t(drawn), played.size());
    EXPECT_EQ(drawn + dropped, 50) << "every sample is either drawn or dropped";
    EXPECT_GT(dropped, 20) << "drawing every frame would take 5 s of a 2 s stream";
    ASSERT_FALSE(played.empty());
    REFERENCE_TIME worst = 0;
    for (size_t i = 1; i < played.size(); ++i) {
        worst = std::max(worst, played[i].renderedAt - played[i].start);
        // However late the frames come, one is drawn at least every 500 ms.
        EXPECT_LT(played[i].renderedAt - played[i - 1].renderedAt, 1000 * kMs) << "the picture froze";
    }
    EXPECT_LT(worst, 700 * kMs) << "kept in step, the picture is never seconds behind";
    EXPECT_GE(played.back().start, 1500 * kMs) << "the last frames drawn are near the stream's end";
}

TEST_F(Playback, PauseHoldsOneSampleAndThePosition) {
    Build();
    EXPECT_EQ(m_control->Pause(), S_FALSE);  // the renderer has nothing yet
    OAFilterState state = -1;
    ASSERT_EQ(m_control->GetState(2000, &state), S_OK);
    EXPECT_EQ(state, State_Paused);
    std::this_thread::sleep_for(200ms);
    auto held = m_sink->Rendered();
    ASSERT_EQ(held.size(), 1u);
    EXPECT_TRUE(held[0].preroll);
    EXPECT_EQ(Position(), 0);

    ASSERT_EQ(m_control->Run(), S_OK);
    std::this_thread::sleep_for(500ms);
    ASSERT_EQ(m_control->Pause(), S_OK);  // the sample waiting for its time is held
    REFERENCE_TIME paused = Position();
    EXPECT_NEAR(double(paused), 500.0 * kMs, 60.0 * kMs);
    size_t count = m_sink->Rendered().size();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(m_sink->Rendered().size(), count);
    EXPECT_EQ(Position(), paused);

    ASSERT_EQ(m_control->Run(), S_OK);
    ASSERT_TRUE(m_sink->WaitForRendered(count + 3, 2000));
    auto played = Played(m_sink->Rendered());
    for (size_t i = 1; i < played.size(); ++i) EXPECT_EQ(played[i].start, played[i - 1].start + 40 * kMs);
}

TEST_F(Playback, StopWhilePausedReleasesTheHeldSampleAndTheNextPausePrerollsAgain) {
    Build();
    EXPECT_EQ(m_control->Pause(), S_FALSE);
    OAFilterState state = -1;
    ASSERT_EQ(m_control->GetState(2000, &state), S_OK);
    ASSERT_EQ(m_sink->Rendered().size(), 1u);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(m_control->Stop(), S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s) << "the sample held in Receive gives up at once";
    FILTER_STATE sinkState = State_Running;
    EXPECT_EQ(m_sink->GetState(0, &sinkState), S_OK);
    EXPECT_EQ(sinkState, State_Stopped);

    EXPECT_EQ(m_control->Pause(), S_FALSE) << "a new pause waits for a new first sample";
    ASSERT_EQ(m_control->GetState(2000, &state), S_OK);
    const auto held = m_sink->Rendered();
    ASSERT_EQ(held.size(), 2u);
    EXPECT_TRUE(held[1].preroll);
    m_control->Stop();
}

TEST_F(Playback, StopDuringAWaitReturnsAtOnce) {
    Build(StreamSpec{.interval = 5000 * kMs, .duration = 20000 * kMs});
    ASSERT_EQ(m_control->Run(), S_OK);
    ASSERT_TRUE(m_sink->WaitForRendered(2, 2000));  // preroll, then the sample at 0
    std::this_thread::sleep_for(50ms);               // the sample at 5 s now waits
    auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(m_control->Stop(), S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 200ms);
    EXPECT_EQ(m_sink->Rendered().size(), 2u);
}

TEST_F(Playback, PauseDuringAWaitReturnsAtOnceAndFlushReleasesIt) {
    Build(StreamSpec{.interval = 5000 * kMs, .duration = 20000 * kMs});
    ASSERT_EQ(m_control->Run(), S_OK);
    ASSERT_TRUE(m_sink->WaitForRendered(2, 2000));
    std::this_thread::sleep_for(50ms);  // the sample at 5 s now waits
    auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(m_control->Pause(), S_OK);
    LONGLONG target = 10000 * kMs;
    EXPECT_EQ(m_seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
              S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 500ms);
    EXPECT_EQ(Position(), target);
    ASSERT_TRUE(m_sink->WaitForRendered(3, 2000));
    EXPECT_EQ(m_sink->Rendered().back().mediaTime, target) << "the new position is prerolled";
}

TEST_F(Playback, SetPositionsFlushesAndResumesFromTheNewPosition) {
    Build();
    ASSERT_EQ(m_control->Run(), S_OK);
    std::this_thread::sleep_for(300ms);
    int flushes = m_sink->Flushes();
    LONGLONG target = 1000 * kMs, stop = 0;
    ASSERT_EQ(Seek(target), S_OK);
    EXPECT_GT(m_sink->Flushes(), flushes);
    EXPECT_EQ(m_seeking->GetStopPosition(&stop), S_OK);
    EXPECT_EQ(stop, 2000 * kMs) << "the stop position is untouched";
    EXPECT_NEAR(double(Position()), 1000.0 * kMs, 30.0 * kMs);

    const size_t atSeek = m_sink->Rendered().size();
    ASSERT_TRUE(m_sink->WaitForRendered(atSeek + 5, 2000));
    EXPECT_EQ(m_sink->LastSegmentStart(), target);
    auto after = m_sink->Rendered();
    const RenderedSample* first = PlayedAt(after, target);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->start, 0);
    EXPECT_NEAR(double(Position()), 1000.0 * kMs + double(after.back().renderedAt), 40.0 * kMs);
    m_control->Stop();
}

// A decoder that takes long to reach the seek target: the seek returns while it works, the
// graph reads Running at the target until the target's frame is ready, and only then does
// the clock start, so that frame is shown on time instead of late.
TEST_F(Playback, ASeekReturnsBeforeTheTargetIsDecodedAndTheClockWaitsForIt) {
    const LONGLONG target = 1000 * kMs;
    ASSERT_NO_FATAL_FAILURE(SeekWhileTheDecoderHolds(target));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Position(), target) << "the clock does not run while the target is decoded";
    OAFilterState state = -1;
    m_control->GetState(0, &state);
    EXPECT_EQ(state, State_Running);
    const size_t atRelease = m_sink->Rendered().size();
    m_decoder->ReleaseHeld();

    ASSERT_TRUE(m_sink->WaitForRendered(atRelease + 4, 2000));
    const auto after = m_sink->Rendered();
    const RenderedSample* first = PlayedAt(after, target);
    ASSERT_NE(first, nullptr);
    EXPECT_LT(std::llabs(first->renderedAt - first->start), 20 * kMs)
        << "the target's frame came " << (first->renderedAt - first->start) / kMs << " ms late";
    m_control->Stop();
}

// A newer seek replaces one whose target is still being decoded: the older target's frame
// is never shown, and playback starts at the newer one.
TEST_F(Playback, ANewerSeekSupersedesOneStillDecoding) {
    const LONGLONG older = 1000 * kMs, newer = 1600 * kMs;
    ASSERT_NO_FATAL_FAILURE(SeekWhileTheDecoderHolds(older));
    ASSERT_EQ(Seek(newer), S_OK);
    const size_t atSeek = m_sink->Rendered().size();
    ASSERT_TRUE(m_sink->WaitForRendered(atSeek + 4, 2000));
    const auto after = m_sink->Rendered();
    for (size_t i = atSeek; i < after.size(); ++i) EXPECT_NE(after[i].mediaTime, older) << i;
    const RenderedSample* first = PlayedAt(after, newer);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->start, 0);
    m_control->Stop();
}

// Pausing, stopping or seeking while paused leaves nothing for the pending start to do.
TEST_F(Playback, PauseAfterASeekKeepsTheGraphPausedAtTheTarget) {
    const LONGLONG target = 1000 * kMs;
    ASSERT_NO_FATAL_FAILURE(SeekWhileTheDecoderHolds(target));
    EXPECT_EQ(m_control->Pause(), S_FALSE) << "still prerolling";
    const size_t atRelease = m_sink->Rendered().size();
    m_decoder->ReleaseHeld();
    ASSERT_TRUE(m_sink->WaitForRendered(atRelease + 1, 2000));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(Position(), target);
    OAFilterState state = -1;
    EXPECT_EQ(m_control->GetState(1000, &state), S_OK);
    EXPECT_EQ(state, State_Paused);
    EXPECT_TRUE(m_sink->Rendered().back().preroll) << "the target's frame is shown, nothing plays";
    EXPECT_EQ(m_sink->Rendered().back().mediaTime, target);
    m_control->Stop();
}

// Video renderers draw with the base locks released: a pause (like a seek's flush) does not
// wait for a picture that takes long to draw.
TEST_F(Playback, PauseDoesNotWaitForAPictureBeingDrawn) {
    Build();
    m_sink->SetRenderTime(600ms);
    ASSERT_EQ(m_control->Run(), S_OK);
    ASSERT_TRUE(m_sink->WaitForRendered(2, 2000));  // the preroll, then the first frame, being drawn
    const auto before = std::chrono::steady_clock::now();
    EXPECT_GE(m_control->Pause(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 300ms);
    m_control->Stop();
}

TEST_F(Playback, ALiveSourceStartsWithoutWaitingForPreroll) {
    Build(StreamSpec{.live = true});
    EXPECT_EQ(m_control->Pause(), S_FALSE);
    OAFilterState state = -1;
    EXPECT_EQ(m_control->GetState(0, &state), VFW_S_CANT_CUE);
    auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(m_control->Run(), S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 200ms);
    EXPECT_TRUE(m_sink->WaitForRendered(3, 2000));
    m_control->Stop();
}

TEST_F(Playback, StateCodes) {
    Build();
    OAFilterState state = -1;
    EXPECT_EQ(m_control->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);
    EXPECT_EQ(m_graph->Disconnect(m_sink->InputPin()), S_OK);
    EXPECT_EQ(m_graph->Disconnect(m_sink->InputPin()), S_FALSE);
    ComPtr<IPin> none;
    EXPECT_EQ(m_sink->InputPin()->ConnectedTo(none.Put()), VFW_E_NOT_CONNECTED);
    ASSERT_EQ(m_graph->Render(PinOf(m_source.Get(), 0).Get()), VFW_E_ALREADY_CONNECTED);
    ComPtr<IBaseFilter> decoder;
    ASSERT_EQ(m_graph->FindFilterByName(u"Decoder", decoder.Put()), S_OK);
    EXPECT_EQ(m_graph->Render(PinOf(decoder.Get(), 1).Get()), VFW_E_ALREADY_CONNECTED) << "one side only";
    EXPECT_EQ(m_graph->Disconnect(PinOf(decoder.Get(), 1).Get()), S_OK);
    ASSERT_EQ(m_graph->Render(PinOf(decoder.Get(), 1).Get()), S_OK);
    ASSERT_EQ(m_control->Run(), S_OK);
    EXPECT_EQ(m_graph->Disconnect(m_sink->InputPin()), VFW_E_NOT_STOPPED);
    EXPECT_EQ(m_control->Stop(), S_OK);
}

}  // namespace
}  // namespace orvo::test
