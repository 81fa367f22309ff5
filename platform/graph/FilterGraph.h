#pragma once
// The graph manager behind CLSID_FilterGraph: the filters and their names, connection and
// intelligent connect, state changes (downstream filters first), the graph clock, positions
// and seeking in 100-ns units, and the audio renderer's volume and balance.
//
// Events: filters raise them on their streaming threads through IMediaEventSink; the graph
// keeps them in a queue in the order they came (IMediaEvent), counts completions so that one
// EC_COMPLETE stands for all renderers, and ends the stream on EC_ERRORABORT or EC_USERABORT
// as on a completion, keeping the abort's code.
//
// Seeking a running graph returns once the flush and the new segment are on their way: the
// graph stays Running, its filters paused, and its preroll thread starts the clock at the new
// position once every renderer holds its first sample there (the position reads the target
// until then). A newer seek, a pause or a stop replaces that pending start.
//
// Threads: every interface method runs on the caller's thread under the graph lock; filters'
// streaming threads only call Notify, which takes the event lock alone (the graph lock may be
// held by a thread that waits for them). The preroll thread waits with no lock and then
// takes the graph lock to start the run.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/MediaSeeking.h"
#include "platform/graph/RunAfterPreroll.h"

class CFilterGraph final : public IGraphBuilder,
                           public IMediaControl,
                           public CMediaSeeking,
                           public IMediaEvent,
                           public IBasicAudio,
                           public IMediaFilter,
                           public IMediaEventSink,
                           public CUnknown {
public:
    CFilterGraph();
    ~CFilterGraph() override;
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;
    static HRESULT Create(REFIID riid, void** object);

    // IFilterGraph
    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter* filter) override;
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters** filters) override;
    HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR name, IBaseFilter** filter) override;
    HRESULT STDMETHODCALLTYPE ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mediaType) override;
    HRESULT STDMETHODCALLTYPE Reconnect(IPin* pin) override;
    HRESULT STDMETHODCALLTYPE Disconnect(IPin* pin) override;
    HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override;
    // IGraphBuilder
    HRESULT STDMETHODCALLTYPE Connect(IPin* output, IPin* input) override;
    HRESULT STDMETHODCALLTYPE Render(IPin* output) override;
    HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR file, LPCWSTR playList) override;
    HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR file, LPCWSTR filterName, IBaseFilter** filter) override;
    HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Abort() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShouldOperationContinue() override { return S_OK; }
    // IMediaControl (Stop and Pause also serve IMediaFilter)
    HRESULT STDMETHODCALLTYPE Run() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE GetState(LONG msTimeout, OAFilterState* state) override;
    HRESULT STDMETHODCALLTYPE RenderFile(BSTR fileName) override { return RenderFile(fileName, nullptr); }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StopWhenReady() override;
    // IBasicAudio
    HRESULT STDMETHODCALLTYPE put_Volume(LONG volume) override;
    HRESULT STDMETHODCALLTYPE get_Volume(LONG* volume) override;
    HRESULT STDMETHODCALLTYPE put_Balance(LONG balance) override;
    HRESULT STDMETHODCALLTYPE get_Balance(LONG* balance) override;
    // IMediaFilter
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD milliSecsTimeout, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
    // IMediaEventSink
    HRESULT STDMETHODCALLTYPE Notify(LONG eventCode, LONG_PTR param1, LONG_PTR param2) override;
    // IMediaEvent
    HRESULT STDMETHODCALLTYPE GetEvent(LONG* eventCode, LONG_PTR* param1, LONG_PTR* param2, LONG msTimeout) override;
    HRESULT STDMETHODCALLTYPE WaitForCompletion(LONG msTimeout, LONG* eventCode) override;
    HRESULT STDMETHODCALLTYPE FreeEventParams(LONG, LONG_PTR, LONG_PTR) override { return S_OK; }

    // For the filter enumerator.
    LONG Version();
    std::vector<ComPtr<IBaseFilter>> Snapshot();

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IGraphBuilder*>(this); }
    // CMediaSeeking: the renderers' positions, passed up to the sources.
    HRESULT SeekingCapabilities(DWORD& capabilities) override;
    HRESULT ReadPositions(Positions& positions) override;
    HRESULT ChangePositions(REFERENCE_TIME current, bool moveCurrent, REFERENCE_TIME stop, bool moveStop) override;
    HRESULT ChangeRate(double rate) override;
    double ReadRate() override;

private:
    struct Entry {
        ComPtr<IBaseFilter> filter;
        std::u16string name;
    };
    using Finish = std::function<HRESULT(IBaseFilter* inserted)>;

    std::u16string UniqueName(std::u16string wanted);
    std::vector<ComPtr<IBaseFilter>> DownstreamFirst();
    std::vector<ComPtr<IMediaSeeking>> SeekingTargets();
    HRESULT ForEachTarget(const std::function<HRESULT(IMediaSeeking*)>& call);
    ComPtr<IBasicAudio> AudioTarget();

    HRESULT PauseFilters();
    HRESULT RunFilters(REFERENCE_TIME start);
    // Starts the clock from the held stream time and runs the paused filters.
    HRESULT StartRun();
    // The graph is Running with its filters paused: the preroll thread starts the run.
    void RunWhenPrerolled();
    void StartPrerolledRun(uint64_t ticket);  // the preroll thread
    REFERENCE_TIME ClockTime();
    REFERENCE_TIME StreamTime();
    REFERENCE_TIME CurrentPosition();
    HRESULT SeekTargets(REFERENCE_TIME position, bool moveCurrent, REFERENCE_TIME stop, bool moveStop);
    // A new stream begins (from stopped, or after a seek): completions and aborts are forgotten.
    void ResetCompletion();
    void QueueEvent(LONG code, LONG_PTR param1, LONG_PTR param2);

    HRESULT TryIntermediates(IPin* output, int depth, const Finish& finish);
    HRESULT TryFilterInputs(IPin* output, IBaseFilter* filter, const Finish& finish);
    HRESULT ConnectRecursive(IPin* output, IPin* input, int depth);
    HRESULT RenderRecursive(IPin* output, int depth);
    HRESULT RenderOutputs(IBaseFilter* filter, int depth);
    HRESULT RemoveFilterLocked(IBaseFilter* filter);
    HRESULT LoadSource(LPCWSTR file, LPCWSTR filterName, ComPtr<IBaseFilter>& source);

    std::recursive_mutex m_lock;
    std::vector<Entry> m_filters;  // most recently added first
    LONG m_version = 1;
    ComPtr<IReferenceClock> m_clock;
    bool m_clockChosen = false;
    FILTER_STATE m_state = State_Stopped;
    REFERENCE_TIME m_start = 0;            // graph clock time of stream time 0
    REFERENCE_TIME m_pausedStreamTime = 0;  // stream time held while paused or stopped
    REFERENCE_TIME m_positionBase = 0;     // media position of stream time 0
    double m_rate = 1.0;
    bool m_runPending = false;  // Running, filters paused until the preroll thread starts them
    uint64_t m_runTicket = 0;   // the preroll request that may start the run

    struct QueuedEvent {
        LONG code;
        LONG_PTR param1, param2;
    };
    std::mutex m_eventLock;  // innermost: the queue and the end of the stream
    std::condition_variable m_eventCame;
    std::deque<QueuedEvent> m_events;
    int m_completions = 0;
    size_t m_renderers = 0;  // renderers that complete the stream, counted when it begins
    LONG m_ended = 0;        // EC_COMPLETE, EC_ERRORABORT or EC_USERABORT once the stream ended
    bool m_holdPosition = false;  // an abort froze the position; m_heldPosition once read
    REFERENCE_TIME m_heldPosition = -1;

    // Last, so that it goes first: its thread calls into the graph.
    CRunAfterPreroll m_runAfterPreroll{[this](uint64_t ticket) { StartPrerolledRun(ticket); }};
};
