#pragma once
// The graph manager behind CLSID_FilterGraph: the filters and their names, connection and
// intelligent connect, state changes (downstream filters first), the graph clock, positions
// and seeking in 100-ns units, and the audio renderer's volume and balance.
//
// Threads: every interface method runs on the caller's thread under the graph lock; filters'
// streaming threads only call Notify, which takes the event lock alone.
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/graph/Interfaces.h"

class CFilterGraph final : public IGraphBuilder,
                           public IMediaControl,
                           public IMediaSeeking,
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
    // IMediaSeeking
    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) override;
    HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* current) override;
    HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                                const GUID* sourceFormat) override;
    HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                           DWORD stopFlags) override;
    HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT STDMETHODCALLTYPE SetRate(double rate) override;
    HRESULT STDMETHODCALLTYPE GetRate(double* rate) override;
    HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* preroll) override;
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

    // For the filter enumerator.
    LONG Version();
    std::vector<ComPtr<IBaseFilter>> Snapshot();

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IGraphBuilder*>(this); }

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
    void WaitForPreroll();
    REFERENCE_TIME ClockTime();
    REFERENCE_TIME StreamTime();
    REFERENCE_TIME CurrentPosition();
    HRESULT SeekTargets(REFERENCE_TIME position, LONGLONG* stop, DWORD stopFlags);
    void ResetCompletion();

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

    std::mutex m_eventLock;  // streaming threads' Notify
    int m_completions = 0;
};
