#pragma once
// CBaseFilter: IBaseFilter for filters whose pins derive from CBasePin. Derived filters own
// their pins and give them out by index; the filter keeps state, clock, graph and name, and
// owns the state machine: derived filters add what they do through hooks.
//
// Stopped to Paused: every pin is activated (allocators committed), the state becomes Paused,
// OnStateChanged tells the filter, then OnStartStreaming starts what the filter runs (threads,
// decoders, a window); a failure undoes it. Any state to Stopped: every pin is deactivated
// (allocators decommitted, which releases a streaming thread waiting for a buffer), the state
// becomes Stopped, OnStateChanged tells the filter (a renderer wakes a waiting sample), then
// OnStopStreaming waits for the filter's streaming work to end. Run from Stopped pauses first;
// every pause and run ends with OnStateChanged. Pause answers S_FALSE while IsPrerolled says
// the filter cannot run yet (a renderer without its first sample).
//
// Locks: m_filterLock (the filter's interface lock) guards state changes and connections and is
// held around every hook; a renderer's or transform's streaming lock is taken inside it, and a
// derived filter's own data lock innermost. The global order is in platform/graph/THREADS.md.
#include <atomic>
#include <mutex>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/graph/Interfaces.h"

class CBasePin;
class CBaseInputPin;

class CBaseFilter : public IBaseFilter, public CUnknown {
public:
    explicit CBaseFilter(REFCLSID clsid);
    ~CBaseFilter() override;
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
    // State changes reach every pin: Stopped to Paused activates them, Paused to Stopped
    // deactivates them; Run from Stopped pauses first.
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD milliSecsTimeout, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* vendorInfo) override;

    virtual int GetPinCount() = 0;
    virtual CBasePin* GetPin(int index) = 0;  // null past the end

    FILTER_STATE State() const { return m_state.load(); }
    bool IsStopped() const { return State() == State_Stopped; }
    bool IsActive() const { return State() != State_Stopped; }
    REFERENCE_TIME StartTime();
    ComPtr<IReferenceClock> Clock();
    std::recursive_mutex& FilterLock() { return m_filterLock; }
    // Bumped whenever pins come or go, so that pin enumerators notice.
    LONG PinVersion() const { return m_pinVersion.load(); }
    // Tells the graph about an event (EC_COMPLETE, ...); S_FALSE when not in a graph.
    HRESULT NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2);

    // The stream calls an input pin takes, passed to its filter once the pin has noted them
    // (flushing set before InputBeginFlush and cleared after InputEndFlush, the segment
    // recorded before InputNewSegment). Upstream streaming thread; InputBeginFlush also on the
    // application's thread during a seek. The defaults take the call and do nothing.
    virtual HRESULT InputEndOfStream(CBaseInputPin*) { return S_OK; }
    virtual HRESULT InputBeginFlush(CBaseInputPin*) { return S_OK; }
    virtual HRESULT InputEndFlush(CBaseInputPin*) { return S_OK; }
    virtual HRESULT InputNewSegment(CBaseInputPin*, REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IBaseFilter*>(this); }
    // Application's thread, filter lock held; see the state machine above.
    virtual HRESULT OnStartStreaming() { return S_OK; }
    virtual HRESULT OnStopStreaming() { return S_OK; }
    // Right after the state took a new value (or kept it: a pause while paused), before the
    // streaming hooks.
    virtual void OnStateChanged(FILTER_STATE previous) {}
    // Whether a paused filter has what it needs to run at once.
    virtual bool IsPrerolled() { return true; }
    void IncrementPinVersion() { ++m_pinVersion; }
    IFilterGraph* Graph() const { return m_graph; }

    std::recursive_mutex m_filterLock;
    std::atomic<FILTER_STATE> m_state{State_Stopped};

private:
    CLSID m_clsid;
    REFERENCE_TIME m_start = 0;
    ComPtr<IReferenceClock> m_clock;
    IFilterGraph* m_graph = nullptr;  // not held: the graph holds the filter
    std::atomic<IMediaEventSink*> m_eventSink{nullptr};  // read on streaming threads
    std::u16string m_name;
    std::atomic<LONG> m_pinVersion{1};
};

namespace orvo::graph {

// Copies text into a fixed buffer, cut to fit, always terminated.
void CopyName(WCHAR* target, size_t capacity, std::u16string_view text);
// A CoTaskMemAlloc'd, terminated copy of text.
WCHAR* CoTaskStrDup(std::u16string_view text);

}  // namespace orvo::graph
