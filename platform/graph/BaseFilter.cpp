#include "platform/graph/BaseFilter.h"

#include <algorithm>
#include <cstring>

#include "platform/com/Runtime.h"
#include "platform/graph/BasePin.h"
#include "platform/graph/Enumerators.h"

namespace orvo::graph {

void CopyName(WCHAR* target, size_t capacity, std::u16string_view text) {
    if (!capacity) return;
    size_t n = std::min(capacity - 1, text.size());
    std::copy_n(text.data(), n, target);
    target[n] = 0;
}

WCHAR* CoTaskStrDup(std::u16string_view text) {
    auto* copy = static_cast<WCHAR*>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
    if (copy) CopyName(copy, text.size() + 1, text);
    return copy;
}

}  // namespace orvo::graph

CBaseFilter::CBaseFilter(REFCLSID clsid) : m_clsid(clsid) {}

CBaseFilter::~CBaseFilter() = default;

HRESULT CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist)
        return GetInterface(static_cast<IBaseFilter*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT CBaseFilter::GetClassID(CLSID* classId) {
    if (!classId) return E_POINTER;
    *classId = m_clsid;
    return S_OK;
}

HRESULT CBaseFilter::Stop() {
    std::lock_guard lock(m_filterLock);
    if (IsStopped()) return S_OK;
    HRESULT result = S_OK;
    for (int i = 0; CBasePin* pin = GetPin(i); ++i) {
        HRESULT hr = pin->Inactive();
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    const FILTER_STATE previous = m_state.exchange(State_Stopped);
    OnStateChanged(previous);
    HRESULT hr = OnStopStreaming();
    return FAILED(result) ? result : hr;
}

HRESULT CBaseFilter::Pause() {
    std::lock_guard lock(m_filterLock);
    const FILTER_STATE previous = State();
    if (previous == State_Stopped) {
        int active = 0;
        HRESULT hr = S_OK;
        for (; CBasePin* pin = GetPin(active); ++active)
            if (FAILED(hr = pin->Active())) break;
        if (SUCCEEDED(hr)) {
            m_state = State_Paused;
            OnStateChanged(previous);
            hr = OnStartStreaming();
        }
        if (FAILED(hr)) {
            for (int j = 0; j < active; ++j) GetPin(j)->Inactive();
            if (m_state.exchange(State_Stopped) != State_Stopped) OnStateChanged(State_Paused);
            return hr;
        }
    } else {
        m_state = State_Paused;
        OnStateChanged(previous);
    }
    return IsPrerolled() ? S_OK : S_FALSE;
}

HRESULT CBaseFilter::Run(REFERENCE_TIME start) {
    std::lock_guard lock(m_filterLock);
    if (IsStopped()) {
        HRESULT hr = Pause();
        if (FAILED(hr)) return hr;
    }
    const FILTER_STATE previous = State();
    m_start = start;
    for (int i = 0; CBasePin* pin = GetPin(i); ++i) {
        HRESULT hr = pin->Run(start);
        if (FAILED(hr)) return hr;
    }
    m_state = State_Running;
    OnStateChanged(previous);
    return S_OK;
}

HRESULT CBaseFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    *state = State();
    return S_OK;
}

HRESULT CBaseFilter::SetSyncSource(IReferenceClock* clock) {
    std::lock_guard lock(m_filterLock);
    m_clock = ComPtr<IReferenceClock>(clock);
    return S_OK;
}

HRESULT CBaseFilter::GetSyncSource(IReferenceClock** clock) {
    if (!clock) return E_POINTER;
    std::lock_guard lock(m_filterLock);
    *clock = ComPtr<IReferenceClock>(m_clock).Detach();
    return S_OK;
}

REFERENCE_TIME CBaseFilter::StartTime() {
    std::lock_guard lock(m_filterLock);
    return m_start;
}

ComPtr<IReferenceClock> CBaseFilter::Clock() {
    std::lock_guard lock(m_filterLock);
    return m_clock;
}

HRESULT CBaseFilter::EnumPins(IEnumPins** pins) {
    if (!pins) return E_POINTER;
    return CreateComObject<CEnumPins>(IID_IEnumPins, reinterpret_cast<void**>(pins), this);
}

HRESULT CBaseFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (!id || !pin) return E_POINTER;
    *pin = nullptr;
    std::lock_guard lock(m_filterLock);
    for (int i = 0; CBasePin* p = GetPin(i); ++i)
        if (p->Name() == id) {
            p->AddRef();
            *pin = p;
            return S_OK;
        }
    return VFW_E_NOT_FOUND;
}

HRESULT CBaseFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) return E_POINTER;
    std::lock_guard lock(m_filterLock);
    orvo::graph::CopyName(info->achName, MAX_FILTER_NAME, m_name);
    info->pGraph = m_graph;
    if (m_graph) m_graph->AddRef();
    return S_OK;
}

HRESULT CBaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    std::lock_guard lock(m_filterLock);
    m_graph = graph;
    ComPtr<IMediaEventSink> sink;
    if (graph) graph->QueryInterface(IID_IMediaEventSink, sink.PutVoid());
    m_eventSink = sink.Get();
    m_name = name ? std::u16string(name) : std::u16string();
    return S_OK;
}

HRESULT CBaseFilter::QueryVendorInfo(LPWSTR* vendorInfo) {
    if (!vendorInfo) return E_POINTER;
    *vendorInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT CBaseFilter::NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2) {
    IMediaEventSink* sink = m_eventSink.load();
    if (!sink) return S_FALSE;
    if (code == EC_COMPLETE && !param1) param1 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
    return sink->Notify(code, param1, param2);
}
