#pragma once
// CBaseRenderer: a filter with one input pin that holds each sample until its presentation
// time on the graph clock and then hands it to DoRenderSample. Pausing holds the first sample
// (preroll) and completes the transition; Stop, Pause-from-running and flushes wake a waiting
// sample at once. End of stream is reported to the graph (EC_COMPLETE) once playing. The base
// filter's state machine drives it: OnStateChanged wakes the waiting sample, and Pause answers
// S_FALSE until IsPrerolled.
//
// CBaseVideoRenderer adds the delivery statistics of IQualProp, shows the prerolled sample
// while paused, and drops frames that come too late, telling the filter upstream how late
// they come (IQualityControl) so that it can catch up.
//
// Threads: the upstream streaming thread calls Receive, EndOfStream, NewSegment and the
// flush calls; state changes come on the application's thread. DoRenderSample runs on the
// streaming thread holding the filter lock and then the renderer lock, except in video
// renderers while running: they draw with both released, guarding what they draw with their
// own frame lock, so that a seek's flush or a pause never waits for a picture being drawn.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/graph/BasePin.h"
#include "platform/graph/Event.h"
#include "platform/graph/PosPassThru.h"

class CBaseRenderer;

class CRendererInputPin final : public CBaseInputPin {
public:
    CRendererInputPin(CBaseRenderer* renderer, const char16_t* name);

    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT CheckMediaType(const orvo::graph::MediaType& mediaType) override;
    HRESULT SetMediaType(const orvo::graph::MediaType& mediaType) override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT BreakConnect() override;

private:
    CBaseRenderer* m_renderer;
};

class CBaseRenderer : public CBaseFilter {
public:
    CBaseRenderer(REFCLSID clsid, const char16_t* pinName = u"In");
    ~CBaseRenderer() override;
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    // VFW_S_STATE_INTERMEDIATE while a pause waits for its first sample past the timeout.
    HRESULT STDMETHODCALLTYPE GetState(DWORD milliSecsTimeout, FILTER_STATE* state) override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override;

    // What derived renderers provide and may override.
    virtual HRESULT CheckMediaType(const orvo::graph::MediaType& mediaType) = 0;
    virtual HRESULT SetMediaType(const orvo::graph::MediaType& mediaType) { return S_OK; }
    virtual HRESULT DoRenderSample(IMediaSample* sample) = 0;
    // Called after DoRenderSample with the locks released, for output that blocks to keep
    // pace (the audio device); it returns early when WaitAborted() turns true.
    virtual HRESULT DoRenderSampleUnlocked(IMediaSample* sample) { return S_OK; }
    // The presentation start of a sample: S_OK waits for it, S_FALSE renders at once (a sample
    // without a time, or a renderer that paces itself).
    virtual HRESULT GetSampleTimes(IMediaSample* sample, REFERENCE_TIME* start, REFERENCE_TIME* end);
    // The sample that completes a pause; the video renderer shows it.
    virtual void OnReceiveFirstSample(IMediaSample* sample) {}
    // A timed sample meeting the running clock lateness (100-ns units; negative: early)
    // after its start: false drops it unrendered. Streaming thread, both locks held: it
    // must not block.
    virtual bool ShouldRender(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME lateness) { return true; }
    virtual void OnRenderStart(IMediaSample* sample) {}
    // Whether DoRenderSample runs with the filter and renderer locks released while running
    // (the preroll picture of a pause is drawn under them); the renderer then guards its
    // drawing with a lock of its own, since RenderPausedSample may draw at the same time.
    virtual bool DrawsOutsideBaseLocks() const { return false; }
    virtual void OnRenderEnd(IMediaSample* sample) {}
    virtual HRESULT CompleteConnect(IPin* receivePin) { return S_OK; }
    virtual HRESULT BreakConnect() { return S_OK; }
    // Streaming-thread notifications; OnEndOfStream may block until the output has played out
    // and returns early when WaitAborted() turns true.
    virtual void OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {}
    virtual void OnEndOfStream() {}
    virtual void OnBeginFlush() {}
    virtual void OnEndFlush() {}

    // Application's thread: while paused, renders the sample that waits to be played again
    // (after a change to how it is shown). S_FALSE when not paused or none waits.
    HRESULT RenderPausedSample();

    // The stream time (time since the run's start on the graph clock), 0 when not running.
    REFERENCE_TIME StreamTime();
    CRendererInputPin* InputPin() { return &m_inputPin; }

protected:
    // True once a stop, pause or flush asks a waiting stream call to give up.
    bool WaitAborted();
    // Leaving or entering Stopped forgets the end of stream; every change wakes the waiting
    // sample, and a run sends a completion that came while paused.
    void OnStateChanged(FILTER_STATE previous) override;
    // A sample or the end of stream has arrived, or there is nothing to wait for.
    bool IsPrerolled() override;

private:
    friend class CRendererInputPin;
    HRESULT Receive(IMediaSample* sample);
    // The input pin's stream calls: the renderer's preroll and end-of-stream state, then the
    // derived renderer's On* notification.
    HRESULT InputEndOfStream(CBaseInputPin*) override;
    HRESULT InputBeginFlush(CBaseInputPin*) override;
    HRESULT InputEndFlush(CBaseInputPin*) override;
    HRESULT InputNewSegment(CBaseInputPin*, REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    void WakeWaiters();  // under m_rendererLock
    void SendCompleteIfDue();  // under m_rendererLock
    bool IsPrerolledLocked() const;  // under m_rendererLock

    CRendererInputPin m_inputPin;
    CPosPassThru m_position;

    std::mutex m_rendererLock;  // inside m_filterLock
    std::condition_variable m_stateChanged;
    CAMEvent m_renderEvent;
    bool m_flushing = false;
    IMediaSample* m_heldSample = nullptr;  // the sample waiting in Receive, which holds it
    bool m_endOfStream = false;
    bool m_completeSent = false;
};

class CBaseVideoRenderer : public CBaseRenderer, public IQualProp {
public:
    explicit CBaseVideoRenderer(REFCLSID clsid, const char16_t* pinName = u"Input");
    ULONG STDMETHODCALLTYPE AddRef() override { return NonDelegatingAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return NonDelegatingRelease(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return NonDelegatingQueryInterface(riid, object);
    }
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE get_FramesDroppedInFilter(int* dropped) override;
    HRESULT STDMETHODCALLTYPE get_FramesDrawn(int* drawn) override;
    HRESULT STDMETHODCALLTYPE get_AvgFrameRate(int* averageFrameRate) override;
    HRESULT STDMETHODCALLTYPE get_Jitter(int* jitter) override;
    HRESULT STDMETHODCALLTYPE get_AvgSyncOffset(int* average) override;
    HRESULT STDMETHODCALLTYPE get_DevSyncOffset(int* deviation) override;

    void OnReceiveFirstSample(IMediaSample* sample) override { DoRenderSample(sample); }
    // Every video renderer guards its picture with its own frame lock.
    bool DrawsOutsideBaseLocks() const override { return true; }
    // Tells upstream how late the frame is; drops it when it is more than kDropLateness
    // late, unless no frame has been drawn for kLongestUndrawn.
    bool ShouldRender(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME lateness) override;
    void OnRenderStart(IMediaSample* sample) override;

    // Past this a frame no longer matches the sound and is better dropped (100-ns units).
    static constexpr REFERENCE_TIME kDropLateness = 100 * 10'000;
    // However late frames come, the picture moves on at least this often.
    static constexpr std::chrono::milliseconds kLongestUndrawn{500};
    // Every pause from stopped starts the statistics afresh.
    HRESULT OnStartStreaming() override;

private:
    // The connected upstream pin hears how late each due frame is.
    void NotifyUpstream(REFERENCE_TIME start, REFERENCE_TIME lateness);

    struct Statistics {
        int framesDrawn = 0;
        int framesDropped = 0;
        std::chrono::steady_clock::time_point lastDrawn{};
        REFERENCE_TIME firstRenderTime = -1, lastRenderTime = -1;
        double intervalSum = 0, intervalSquares = 0;  // ms between frames
        double offsetSum = 0, offsetSquares = 0;      // ms late (negative: early)
    };
    std::mutex m_statsLock;  // innermost
    Statistics m_stats;
};
