#include "platform/graph/FilterGraph.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>

#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "platform/graph/FilterRegistry.h"
#include "platform/graph/ReferenceClock.h"

using orvo::graph::kUnitsPerMillisecond;
using orvo::graph::MediaType;

namespace {

constexpr int kMaxConnectDepth = 6;
constexpr DWORD kPrerollWaitMs = 2000;
// After a seek nobody waits on the preroll, and a long group of pictures may take seconds to
// decode to its target: the clock waits that long for it before it starts without it.
constexpr DWORD kSeekPrerollWaitMs = 10000;
// A run starts this far ahead of the clock so that every filter is running at stream time 0.
constexpr REFERENCE_TIME kRunLead = 10 * kUnitsPerMillisecond;

std::vector<ComPtr<IPin>> Pins(IBaseFilter* filter, PIN_DIRECTION wanted, bool unconnectedOnly) {
    std::vector<ComPtr<IPin>> result;
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Put()))) return result;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        ComPtr<IPin> held = ComPtr<IPin>::Attach(pin);
        PIN_DIRECTION direction;
        if (FAILED(pin->QueryDirection(&direction)) || direction != wanted) continue;
        if (unconnectedOnly) {
            ComPtr<IPin> peer;
            if (SUCCEEDED(pin->ConnectedTo(peer.Put()))) continue;
        }
        result.push_back(held);
    }
    return result;
}

ComPtr<IBaseFilter> OwnerOf(IPin* pin) {
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info))) return nullptr;
    return ComPtr<IBaseFilter>::Attach(info.pFilter);
}

std::vector<MediaType> PreferredTypes(IPin* pin) {
    std::vector<MediaType> types;
    ComPtr<IEnumMediaTypes> e;
    if (FAILED(pin->EnumMediaTypes(e.Put()))) return types;
    AM_MEDIA_TYPE* mt = nullptr;
    while (e->Next(1, &mt, nullptr) == S_OK) {
        MediaType held;
        held.Adopt(*mt);
        CoTaskMemFree(mt);
        types.push_back(std::move(held));
    }
    return types;
}

bool IsOutput(IPin* pin) {
    PIN_DIRECTION direction;
    return SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT;
}

void DisconnectBoth(IPin* pin) {
    ComPtr<IPin> peer;
    if (SUCCEEDED(pin->ConnectedTo(peer.Put()))) peer->Disconnect();
    pin->Disconnect();
}

// What a pin that could not be rendered contributes to Render's result.
HRESULT NotRenderedCode(IPin* pin) {
    std::vector<MediaType> types = PreferredTypes(pin);
    if (!types.empty() && types[0].majortype == MEDIATYPE_Video) return VFW_S_VIDEO_NOT_RENDERED;
    if (!types.empty() && types[0].majortype == MEDIATYPE_Audio) return VFW_S_AUDIO_NOT_RENDERED;
    return VFW_S_PARTIAL_RENDER;
}

// One code for several partly rendered streams. When video alone, or audio alone, is missing
// its code stands, whatever else (a subtitle stream) went unrendered beside it: a caller
// learns that the picture or the sound will not play. Otherwise partial render.
HRESULT CombinePartialCodes(const std::vector<HRESULT>& codes) {
    if (codes.empty()) return S_OK;
    const bool video = std::find(codes.begin(), codes.end(), VFW_S_VIDEO_NOT_RENDERED) != codes.end();
    const bool audio = std::find(codes.begin(), codes.end(), VFW_S_AUDIO_NOT_RENDERED) != codes.end();
    if (video != audio) return video ? VFW_S_VIDEO_NOT_RENDERED : VFW_S_AUDIO_NOT_RENDERED;
    return VFW_S_PARTIAL_RENDER;
}

}  // namespace

// Filters in the order of the graph when it was made or last Reset; out of sync once the
// graph's filters change.
class CEnumFilters final : public IEnumFilters, public CUnknown {
public:
    CEnumFilters(CFilterGraph* graph, size_t position = 0)
        : m_graph(static_cast<IGraphBuilder*>(graph)), m_owner(graph), m_position(position) {
        Reset();
        m_position = position;
    }
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override {
        if (object && riid == IID_IEnumFilters) return GetInterface(static_cast<IEnumFilters*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IBaseFilter** filters, ULONG* fetched) override {
        if (!filters) return E_POINTER;
        if (count > 1 && !fetched) return E_INVALIDARG;
        if (fetched) *fetched = 0;
        if (m_version != m_owner->Version()) return VFW_E_ENUM_OUT_OF_SYNC;
        ULONG got = 0;
        while (got < count && m_position < m_filters.size()) filters[got++] = ComPtr(m_filters[m_position++]).Detach();
        if (fetched) *fetched = got;
        return got == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        if (m_version != m_owner->Version()) return VFW_E_ENUM_OUT_OF_SYNC;
        m_position = std::min(m_filters.size(), m_position + count);
        return m_position < m_filters.size() || count == 0 ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        m_version = m_owner->Version();
        m_filters = m_owner->Snapshot();
        m_position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFilters** clone) override {
        return CreateComObject<CEnumFilters>(IID_IEnumFilters, reinterpret_cast<void**>(clone), m_owner, m_position);
    }

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IEnumFilters*>(this); }

private:
    ComPtr<IGraphBuilder> m_graph;
    CFilterGraph* m_owner;
    std::vector<ComPtr<IBaseFilter>> m_filters;
    size_t m_position;
    LONG m_version = 0;
};

CFilterGraph::CFilterGraph() = default;

CFilterGraph::~CFilterGraph() {
    Stop();
    m_runAfterPreroll.Shutdown();
    for (auto& entry : m_filters) {
        for (auto& pin : Pins(entry.filter.Get(), PINDIR_OUTPUT, false)) DisconnectBoth(pin.Get());
        entry.filter->JoinFilterGraph(nullptr, nullptr);
    }
    m_filters.clear();
}

HRESULT CFilterGraph::Create(REFIID riid, void** object) { return CreateComObject<CFilterGraph>(riid, object); }

static orvo::com::ClassRegistration s_filterGraph(CLSID_FilterGraph, &CFilterGraph::Create);

HRESULT CFilterGraph::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IGraphBuilder || riid == IID_IFilterGraph)
        return GetInterface(static_cast<IGraphBuilder*>(this), object);
    if (riid == IID_IMediaControl) return GetInterface(static_cast<IMediaControl*>(this), object);
    if (riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), object);
    if (riid == IID_IBasicAudio) return GetInterface(static_cast<IBasicAudio*>(this), object);
    if (riid == IID_IMediaFilter || riid == IID_IPersist) return GetInterface(static_cast<IMediaFilter*>(this), object);
    if (riid == IID_IMediaEventSink) return GetInterface(static_cast<IMediaEventSink*>(this), object);
    if (riid == IID_IMediaEvent) return GetInterface(static_cast<IMediaEvent*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

LONG CFilterGraph::Version() {
    std::lock_guard lock(m_lock);
    return m_version;
}

std::vector<ComPtr<IBaseFilter>> CFilterGraph::Snapshot() {
    std::lock_guard lock(m_lock);
    std::vector<ComPtr<IBaseFilter>> result;
    for (auto& e : m_filters) result.push_back(e.filter);
    return result;
}

std::u16string CFilterGraph::UniqueName(std::u16string wanted) {
    auto taken = [this](const std::u16string& n) {
        return std::any_of(m_filters.begin(), m_filters.end(), [&](const Entry& e) { return e.name == n; });
    };
    constexpr size_t kSuffix = 5;  // " 0001"
    if (wanted.size() > MAX_FILTER_NAME - 1 - kSuffix) wanted.resize(MAX_FILTER_NAME - 1 - kSuffix);
    if (!taken(wanted)) return wanted;
    for (int n = 1;; ++n) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, " %04d", n);
        std::u16string candidate = wanted;
        for (const char* c = suffix; *c; ++c) candidate.push_back(char16_t(*c));
        if (!taken(candidate)) return candidate;
    }
}

HRESULT CFilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name) {
    if (!filter) return E_POINTER;
    std::lock_guard lock(m_lock);
    for (auto& e : m_filters)
        if (e.filter.Get() == filter) return E_INVALIDARG;
    std::u16string wanted = name ? std::u16string(name) : std::u16string(u"Filter");
    std::u16string unique = UniqueName(wanted);
    HRESULT hr = filter->JoinFilterGraph(this, unique.c_str());
    if (FAILED(hr)) return hr;
    if (m_clock) filter->SetSyncSource(m_clock.Get());
    m_filters.insert(m_filters.begin(), Entry{ComPtr<IBaseFilter>(filter), unique});
    ++m_version;
    return name && unique != name ? VFW_S_DUPLICATE_NAME : S_OK;
}

HRESULT CFilterGraph::RemoveFilter(IBaseFilter* filter) {
    if (!filter) return E_POINTER;
    std::lock_guard lock(m_lock);
    return RemoveFilterLocked(filter);
}

HRESULT CFilterGraph::RemoveFilterLocked(IBaseFilter* filter) {
    auto it = std::find_if(m_filters.begin(), m_filters.end(), [&](const Entry& e) { return e.filter.Get() == filter; });
    if (it == m_filters.end()) return VFW_E_NOT_FOUND;
    ComPtr<IBaseFilter> held = it->filter;
    if (m_state != State_Stopped) held->Stop();
    for (auto dir : {PINDIR_INPUT, PINDIR_OUTPUT})
        for (auto& pin : Pins(held.Get(), dir, false)) DisconnectBoth(pin.Get());
    held->JoinFilterGraph(nullptr, nullptr);
    m_filters.erase(it);
    ++m_version;
    return S_OK;
}

HRESULT CFilterGraph::EnumFilters(IEnumFilters** filters) {
    if (!filters) return E_POINTER;
    return CreateComObject<CEnumFilters>(IID_IEnumFilters, reinterpret_cast<void**>(filters), this);
}

HRESULT CFilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter** filter) {
    if (!name || !filter) return E_POINTER;
    *filter = nullptr;
    std::lock_guard lock(m_lock);
    for (auto& e : m_filters)
        if (e.name == name) {
            *filter = ComPtr<IBaseFilter>(e.filter).Detach();
            return S_OK;
        }
    return VFW_E_NOT_FOUND;
}

HRESULT CFilterGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mediaType) {
    if (!output || !input) return E_POINTER;
    std::lock_guard lock(m_lock);
    return output->Connect(input, mediaType);
}

HRESULT CFilterGraph::Reconnect(IPin* pin) {
    if (!pin) return E_POINTER;
    std::lock_guard lock(m_lock);
    ComPtr<IPin> peer;
    if (FAILED(pin->ConnectedTo(peer.Put()))) return VFW_E_NOT_CONNECTED;
    MediaType mt;
    pin->ConnectionMediaType(&mt);
    IPin* output = IsOutput(pin) ? pin : peer.Get();
    IPin* input = output == pin ? peer.Get() : pin;
    DisconnectBoth(output);
    return output->Connect(input, &mt);
}

HRESULT CFilterGraph::Disconnect(IPin* pin) {
    if (!pin) return E_POINTER;
    std::lock_guard lock(m_lock);
    return pin->Disconnect();
}

HRESULT CFilterGraph::SetDefaultSyncSource() {
    std::lock_guard lock(m_lock);
    ComPtr<IReferenceClock> clock;
    for (auto& e : m_filters)
        if (SUCCEEDED(e.filter->QueryInterface(IID_IReferenceClock, clock.PutVoid()))) break;
    if (!clock) {
        HRESULT hr = CSystemClock::Create(IID_IReferenceClock, clock.PutVoid());
        if (FAILED(hr)) return hr;
    }
    return SetSyncSource(clock.Get());
}

HRESULT CFilterGraph::SetSyncSource(IReferenceClock* clock) {
    std::lock_guard lock(m_lock);
    if (m_state != State_Stopped) return VFW_E_NOT_STOPPED;
    const bool changed = m_clockChosen && clock != m_clock.Get();
    m_clock = ComPtr<IReferenceClock>(clock);
    m_clockChosen = true;
    for (auto& e : m_filters) e.filter->SetSyncSource(clock);
    if (changed) QueueEvent(EC_CLOCK_CHANGED, 0, 0);
    return S_OK;
}

HRESULT CFilterGraph::GetSyncSource(IReferenceClock** clock) {
    if (!clock) return E_POINTER;
    std::lock_guard lock(m_lock);
    *clock = ComPtr<IReferenceClock>(m_clock).Detach();
    return *clock ? S_OK : S_FALSE;
}

// ---- intelligent connect ----

HRESULT CFilterGraph::TryFilterInputs(IPin* output, IBaseFilter* filter, const Finish& finish) {
    for (auto& input : Pins(filter, PINDIR_INPUT, true)) {
        if (FAILED(output->Connect(input.Get(), nullptr))) continue;
        HRESULT hr = finish(filter);
        if (SUCCEEDED(hr)) return hr;
        DisconnectBoth(output);
    }
    return VFW_E_CANNOT_CONNECT;
}

// Connects output to an input of a filter already in the graph, else of a registered filter
// by merit, such that finish succeeds for that filter; anything tried and failed is undone.
HRESULT CFilterGraph::TryIntermediates(IPin* output, int depth, const Finish& finish) {
    if (depth >= kMaxConnectDepth) return VFW_E_CANNOT_CONNECT;
    ComPtr<IBaseFilter> owner = OwnerOf(output);
    for (auto& filter : Snapshot()) {
        if (filter.Get() == owner.Get()) continue;
        HRESULT hr = TryFilterInputs(output, filter.Get(), finish);
        if (SUCCEEDED(hr)) return hr;
    }
    for (const auto& entry : orvo::graph::FindFiltersFor(PreferredTypes(output))) {
        ComPtr<IBaseFilter> filter;
        if (FAILED(CoCreateInstance(entry.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid())))
            continue;
        if (FAILED(AddFilter(filter.Get(), entry.name.c_str()))) continue;
        HRESULT hr = TryFilterInputs(output, filter.Get(), finish);
        if (SUCCEEDED(hr)) return hr;
        RemoveFilterLocked(filter.Get());
    }
    return VFW_E_CANNOT_CONNECT;
}

HRESULT CFilterGraph::ConnectRecursive(IPin* output, IPin* input, int depth) {
    if (SUCCEEDED(output->Connect(input, nullptr))) return S_OK;
    return TryIntermediates(output, depth, [&](IBaseFilter* inserted) {
        for (auto& next : Pins(inserted, PINDIR_OUTPUT, true))
            if (SUCCEEDED(ConnectRecursive(next.Get(), input, depth + 1))) return S_OK;
        return VFW_E_CANNOT_CONNECT;
    });
}

HRESULT CFilterGraph::Connect(IPin* output, IPin* input) {
    if (!output || !input) return E_POINTER;
    std::lock_guard lock(m_lock);
    if (!IsOutput(output) || IsOutput(input)) return VFW_E_INVALID_DIRECTION;
    HRESULT hr = ConnectRecursive(output, input, 0);
    return SUCCEEDED(hr) ? S_OK : VFW_E_CANNOT_CONNECT;
}

HRESULT CFilterGraph::RenderRecursive(IPin* output, int depth) {
    HRESULT hr = TryIntermediates(output, depth, [&](IBaseFilter* inserted) { return RenderOutputs(inserted, depth + 1); });
    return SUCCEEDED(hr) ? hr : VFW_E_CANNOT_RENDER;
}

// Renders every free output of filter; a filter without outputs is a renderer and done.
HRESULT CFilterGraph::RenderOutputs(IBaseFilter* filter, int depth) {
    auto outputs = Pins(filter, PINDIR_OUTPUT, true);
    if (outputs.empty()) return S_OK;
    int rendered = 0;
    std::vector<HRESULT> codes;
    for (auto& pin : outputs) {
        HRESULT hr = RenderRecursive(pin.Get(), depth);
        if (SUCCEEDED(hr)) {
            ++rendered;
            if (hr != S_OK) codes.push_back(hr);
        } else {
            codes.push_back(NotRenderedCode(pin.Get()));
        }
    }
    return rendered ? CombinePartialCodes(codes) : VFW_E_CANNOT_RENDER;
}

HRESULT CFilterGraph::Render(IPin* output) {
    if (!output) return E_POINTER;
    std::lock_guard lock(m_lock);
    if (!IsOutput(output)) return VFW_E_INVALID_DIRECTION;
    ComPtr<IPin> peer;
    if (SUCCEEDED(output->ConnectedTo(peer.Put()))) return VFW_E_ALREADY_CONNECTED;
    return RenderRecursive(output, 0);
}

HRESULT CFilterGraph::LoadSource(LPCWSTR file, LPCWSTR filterName, ComPtr<IBaseFilter>& source) {
    HRESULT failure = VFW_E_UNKNOWN_FILE_TYPE;
    for (const auto& entry : orvo::graph::FindFileSources()) {
        ComPtr<IBaseFilter> filter;
        if (FAILED(CoCreateInstance(entry.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid())))
            continue;
        ComPtr<IFileSourceFilter> loader;
        if (FAILED(filter.As(loader))) continue;
        HRESULT hr = loader->Load(file, nullptr);
        if (FAILED(hr)) {
            failure = hr;
            continue;
        }
        hr = AddFilter(filter.Get(), filterName ? filterName : file);
        if (FAILED(hr)) return hr;
        source = filter;
        return S_OK;
    }
    return failure;
}

HRESULT CFilterGraph::AddSourceFilter(LPCWSTR file, LPCWSTR filterName, IBaseFilter** filter) {
    if (!file || !filter) return E_POINTER;
    *filter = nullptr;
    std::lock_guard lock(m_lock);
    ComPtr<IBaseFilter> source;
    HRESULT hr = LoadSource(file, filterName, source);
    if (SUCCEEDED(hr)) *filter = source.Detach();
    return hr;
}

HRESULT CFilterGraph::RenderFile(LPCWSTR file, LPCWSTR) {
    if (!file) return E_POINTER;
    std::lock_guard lock(m_lock);
    ComPtr<IBaseFilter> source;
    HRESULT hr = LoadSource(file, nullptr, source);
    if (FAILED(hr)) return hr;
    hr = RenderOutputs(source.Get(), 0);
    if (FAILED(hr)) RemoveFilterLocked(source.Get());
    return hr;
}

// ---- state ----

// Downstream filters first: every filter comes before the filters that feed it.
std::vector<ComPtr<IBaseFilter>> CFilterGraph::DownstreamFirst() {
    std::vector<ComPtr<IBaseFilter>> order;
    std::set<IBaseFilter*> visited;
    std::function<void(IBaseFilter*)> visit = [&](IBaseFilter* f) {
        if (!visited.insert(f).second) return;
        for (auto& pin : Pins(f, PINDIR_OUTPUT, false)) {
            ComPtr<IPin> peer;
            if (FAILED(pin->ConnectedTo(peer.Put()))) continue;
            if (ComPtr<IBaseFilter> next = OwnerOf(peer.Get())) visit(next.Get());
        }
        order.push_back(ComPtr<IBaseFilter>(f));
    };
    for (auto& e : m_filters) visit(e.filter.Get());
    return order;
}

REFERENCE_TIME CFilterGraph::ClockTime() {
    REFERENCE_TIME now = 0;
    if (m_clock) m_clock->GetTime(&now);
    return now;
}

REFERENCE_TIME CFilterGraph::StreamTime() {
    if (m_state != State_Running || m_runPending) return m_pausedStreamTime;
    return std::max<REFERENCE_TIME>(0, ClockTime() - m_start);
}

void CFilterGraph::ResetCompletion() {
    const size_t renderers = SeekingTargets().size();
    std::lock_guard lock(m_eventLock);
    m_completions = 0;
    m_renderers = renderers;
    m_ended = 0;
    m_holdPosition = false;
    m_heldPosition = -1;
}

HRESULT CFilterGraph::PauseFilters() {
    HRESULT result = S_OK;
    for (auto& f : DownstreamFirst()) {
        HRESULT hr = f->Pause();
        if (FAILED(hr)) return hr;
        if (hr == S_FALSE) result = S_FALSE;
    }
    return result;
}

HRESULT CFilterGraph::RunFilters(REFERENCE_TIME start) {
    for (auto& f : DownstreamFirst()) {
        HRESULT hr = f->Run(start);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

// Graph lock held, filters paused.
HRESULT CFilterGraph::StartRun() {
    m_runPending = false;
    m_start = ClockTime() + kRunLead - m_pausedStreamTime;
    return RunFilters(m_start);
}

// Graph lock held. The renderers preroll on their streaming threads; whoever waits for them
// must not hold the graph lock's caller up.
void CFilterGraph::RunWhenPrerolled() {
    m_state = State_Running;
    m_runPending = true;
    m_runTicket = m_runAfterPreroll.Request(Snapshot(), std::chrono::milliseconds(kSeekPrerollWaitMs));
}

// Preroll thread: the run starts unless a seek, pause or stop came after the request.
void CFilterGraph::StartPrerolledRun(uint64_t ticket) {
    std::lock_guard lock(m_lock);
    if (!m_runPending || ticket != m_runTicket) return;
    const HRESULT hr = StartRun();
    if (FAILED(hr)) Notify(EC_ERRORABORT, hr, 0);
}

HRESULT CFilterGraph::Pause() {
    std::lock_guard lock(m_lock);
    if (!m_clockChosen) SetDefaultSyncSource();
    if (m_state == State_Stopped) {
        m_pausedStreamTime = 0;
        ResetCompletion();
        SeekTargets(m_positionBase, true, 0, false);
    } else if (m_state == State_Running) {
        m_pausedStreamTime = StreamTime();
    }
    HRESULT hr = PauseFilters();
    if (FAILED(hr)) return hr;
    m_state = State_Paused;
    m_runPending = false;
    return hr;
}

HRESULT CFilterGraph::Run() { return Run(-1); }

// start < 0: now, resuming from the stream time held while paused. From stopped the run
// waits for the preroll; from paused too when a caller gave the start, else a graph still
// prerolling (a seek while paused) starts running once it has.
HRESULT CFilterGraph::Run(REFERENCE_TIME start) {
    std::lock_guard lock(m_lock);
    if (m_state == State_Running) return S_OK;
    const bool fromStopped = m_state == State_Stopped;
    if (fromStopped) {
        HRESULT hr = Pause();
        if (FAILED(hr)) return hr;
    }
    if (!fromStopped && start < 0 && !orvo::graph::IsPrerolled(Snapshot())) {
        RunWhenPrerolled();
        return S_OK;
    }
    orvo::graph::WaitForPreroll(Snapshot(), std::chrono::milliseconds(kPrerollWaitMs));
    HRESULT hr = S_OK;
    if (start >= 0) {
        m_start = start;
        hr = RunFilters(start);
    } else {
        hr = StartRun();
    }
    if (FAILED(hr)) return hr;
    m_state = State_Running;
    return S_OK;
}

HRESULT CFilterGraph::Stop() {
    std::lock_guard lock(m_lock);
    if (m_state == State_Stopped) return S_OK;
    m_positionBase = CurrentPosition();
    m_pausedStreamTime = 0;
    m_runPending = false;
    HRESULT result = S_OK;
    for (auto& f : DownstreamFirst()) {
        HRESULT hr = f->Stop();
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    m_state = State_Stopped;
    return result;
}

HRESULT CFilterGraph::StopWhenReady() {
    std::lock_guard lock(m_lock);
    HRESULT hr = Pause();
    if (FAILED(hr)) return hr;
    orvo::graph::WaitForPreroll(Snapshot(), std::chrono::milliseconds(kPrerollWaitMs));
    return Stop();
}

HRESULT CFilterGraph::GetState(DWORD milliSecsTimeout, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    std::lock_guard lock(m_lock);
    *state = m_state;
    HRESULT result = S_OK;
    for (auto& e : m_filters) {
        FILTER_STATE filterState;
        HRESULT hr = e.filter->GetState(milliSecsTimeout, &filterState);
        if (FAILED(hr)) return hr;
        // A filter that cannot cue decides: the graph will not complete a pause.
        if (hr == VFW_S_CANT_CUE || (hr == VFW_S_STATE_INTERMEDIATE && result == S_OK)) result = hr;
    }
    return result;
}

HRESULT CFilterGraph::GetState(LONG msTimeout, OAFilterState* state) {
    if (!state) return E_POINTER;
    FILTER_STATE s;
    HRESULT hr = GetState(msTimeout < 0 ? DWORD(0xFFFFFFFF) : DWORD(msTimeout), &s);
    *state = s;
    return hr;
}

HRESULT CFilterGraph::GetClassID(CLSID* classId) {
    if (!classId) return E_POINTER;
    *classId = CLSID_FilterGraph;
    return S_OK;
}

// ---- events ----

void CFilterGraph::QueueEvent(LONG code, LONG_PTR param1, LONG_PTR param2) {
    std::lock_guard lock(m_eventLock);
    m_events.push_back({code, param1, param2});
    m_eventCame.notify_all();
}

// Streaming threads. Renderers complete one by one; the graph tells of the end once, when
// the last one has. An abort ends the stream at once and holds the position where it was.
HRESULT CFilterGraph::Notify(LONG eventCode, LONG_PTR param1, LONG_PTR param2) {
    std::lock_guard lock(m_eventLock);
    switch (eventCode) {
        case EC_COMPLETE:
            if (m_ended || size_t(++m_completions) < std::max<size_t>(m_renderers, 1)) return S_OK;
            m_ended = EC_COMPLETE;
            m_events.push_back({EC_COMPLETE, S_OK, 0});
            break;
        case EC_ERRORABORT:
        case EC_USERABORT:
            m_events.push_back({eventCode, param1, param2});
            if (!m_ended) {
                m_ended = eventCode;
                m_holdPosition = true;
            }
            break;
        default:
            m_events.push_back({eventCode, param1, param2});
    }
    m_eventCame.notify_all();
    return S_OK;
}

HRESULT CFilterGraph::GetEvent(LONG* eventCode, LONG_PTR* param1, LONG_PTR* param2, LONG msTimeout) {
    if (!eventCode || !param1 || !param2) return E_POINTER;
    std::unique_lock lock(m_eventLock);
    auto queued = [&] { return !m_events.empty(); };
    if (msTimeout < 0)
        m_eventCame.wait(lock, queued);
    else if (!m_eventCame.wait_for(lock, std::chrono::milliseconds(msTimeout), queued))
        return E_ABORT;
    const QueuedEvent e = m_events.front();
    m_events.pop_front();
    *eventCode = e.code;
    *param1 = e.param1;
    *param2 = e.param2;
    return S_OK;
}

HRESULT CFilterGraph::WaitForCompletion(LONG msTimeout, LONG* eventCode) {
    if (!eventCode) return E_POINTER;
    *eventCode = 0;
    {
        std::lock_guard lock(m_lock);
        if (m_state == State_Stopped) return VFW_E_WRONG_STATE;
    }
    std::unique_lock lock(m_eventLock);
    auto ended = [&] { return m_ended != 0; };
    if (msTimeout < 0)
        m_eventCame.wait(lock, ended);
    else if (!m_eventCame.wait_for(lock, std::chrono::milliseconds(msTimeout), ended))
        return E_ABORT;
    *eventCode = m_ended;
    return S_OK;
}

// ---- seeking ----

// The renderers: filters with a connected input and no connected output, that seek.
std::vector<ComPtr<IMediaSeeking>> CFilterGraph::SeekingTargets() {
    std::vector<ComPtr<IMediaSeeking>> targets;
    for (auto& e : m_filters) {
        auto inputs = Pins(e.filter.Get(), PINDIR_INPUT, false);
        auto outputs = Pins(e.filter.Get(), PINDIR_OUTPUT, false);
        auto connected = [](std::vector<ComPtr<IPin>>& pins) {
            return std::any_of(pins.begin(), pins.end(), [](auto& p) {
                ComPtr<IPin> peer;
                return SUCCEEDED(p->ConnectedTo(peer.Put()));
            });
        };
        if (!connected(inputs) || connected(outputs)) continue;
        ComPtr<IMediaSeeking> seeking;
        if (SUCCEEDED(e.filter->QueryInterface(IID_IMediaSeeking, seeking.PutVoid()))) targets.push_back(seeking);
    }
    return targets;
}

// Calls every renderer; the first failure, or E_NOTIMPL when none seeks.
HRESULT CFilterGraph::ForEachTarget(const std::function<HRESULT(IMediaSeeking*)>& call) {
    HRESULT result = E_NOTIMPL;
    for (auto& target : SeekingTargets()) {
        HRESULT hr = call(target.Get());
        if (FAILED(hr)) return hr;
        result = S_OK;
    }
    return result;
}

HRESULT CFilterGraph::SeekTargets(REFERENCE_TIME position, bool moveCurrent, REFERENCE_TIME stop, bool moveStop) {
    return ForEachTarget([&](IMediaSeeking* s) {
        LONGLONG current = position, end = stop;
        return s->SetPositions(&current, moveCurrent ? AM_SEEKING_AbsolutePositioning : AM_SEEKING_NoPositioning,
                               &end, moveStop ? AM_SEEKING_AbsolutePositioning : AM_SEEKING_NoPositioning);
    });
}

// With the graph lock held. A completed stream stands at its stop position; an aborted one
// where it was when the abort was first seen.
REFERENCE_TIME CFilterGraph::CurrentPosition() {
    REFERENCE_TIME position = m_positionBase + REFERENCE_TIME(double(StreamTime()) * m_rate);
    LONGLONG stop = 0;
    const bool stopKnown = SUCCEEDED(ForEachTarget([&](IMediaSeeking* s) { return s->GetStopPosition(&stop); }));
    if (stopKnown && position > stop) position = stop;
    std::lock_guard lock(m_eventLock);
    if (m_holdPosition) {
        if (m_heldPosition < 0) m_heldPosition = position;
        return m_heldPosition;
    }
    return stopKnown && m_ended == EC_COMPLETE ? stop : position;
}

HRESULT CFilterGraph::SeekingCapabilities(DWORD& capabilities) {
    std::lock_guard lock(m_lock);
    DWORD all = 0xFFFFFFFF;
    HRESULT hr = ForEachTarget([&](IMediaSeeking* s) {
        DWORD c = 0;
        HRESULT r = s->GetCapabilities(&c);
        all &= c;
        return r;
    });
    capabilities = SUCCEEDED(hr) ? all : 0;
    return hr;
}

HRESULT CFilterGraph::ReadPositions(Positions& positions) {
    std::lock_guard lock(m_lock);
    positions.current = CurrentPosition();
    ForEachTarget([&](IMediaSeeking* s) { return s->GetStopPosition(&positions.stop); });
    ForEachTarget([&](IMediaSeeking* s) {
        LONGLONG d = 0;
        HRESULT hr = s->GetDuration(&d);
        positions.duration = std::max(positions.duration, d);
        return hr;
    });
    return S_OK;
}

// A running graph pauses, the sources seek (flushing what is on its way) and restart their
// streams, and the call returns: the preroll thread runs the graph again, with stream time 0
// at the new position, once the renderers hold their first samples there. A paused graph
// prerolls the new position. The first failure of pausing or seeking is the result.
HRESULT CFilterGraph::ChangePositions(REFERENCE_TIME current, bool moveCurrent, REFERENCE_TIME stop, bool moveStop) {
    std::lock_guard lock(m_lock);
    if (SeekingTargets().empty()) return E_NOTIMPL;
    const bool wasRunning = m_state == State_Running;
    HRESULT hr = S_OK;
    if (wasRunning) {
        m_pausedStreamTime = StreamTime();
        hr = PauseFilters();
        m_state = State_Paused;
    }
    if (SUCCEEDED(hr)) hr = SeekTargets(current, moveCurrent, stop, moveStop);
    if (SUCCEEDED(hr) && moveCurrent) {
        m_positionBase = current;
        m_pausedStreamTime = 0;
        ResetCompletion();
    }
    if (wasRunning) RunWhenPrerolled();
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CFilterGraph::ChangeRate(double rate) {
    std::lock_guard lock(m_lock);
    const REFERENCE_TIME position = CurrentPosition();
    HRESULT hr = ForEachTarget([&](IMediaSeeking* s) { return s->SetRate(rate); });
    if (FAILED(hr)) return hr;
    m_rate = rate;
    return ChangePositions(position, true, 0, false);
}

double CFilterGraph::ReadRate() {
    std::lock_guard lock(m_lock);
    return m_rate;
}

// ---- audio ----

ComPtr<IBasicAudio> CFilterGraph::AudioTarget() {
    std::lock_guard lock(m_lock);
    ComPtr<IBasicAudio> audio;
    for (auto& e : m_filters)
        if (SUCCEEDED(e.filter->QueryInterface(IID_IBasicAudio, audio.PutVoid()))) return audio;
    return nullptr;
}

HRESULT CFilterGraph::put_Volume(LONG volume) {
    auto audio = AudioTarget();
    return audio ? audio->put_Volume(volume) : E_NOTIMPL;
}

HRESULT CFilterGraph::get_Volume(LONG* volume) {
    if (!volume) return E_POINTER;
    auto audio = AudioTarget();
    return audio ? audio->get_Volume(volume) : E_NOTIMPL;
}

HRESULT CFilterGraph::put_Balance(LONG balance) {
    auto audio = AudioTarget();
    return audio ? audio->put_Balance(balance) : E_NOTIMPL;
}

HRESULT CFilterGraph::get_Balance(LONG* balance) {
    if (!balance) return E_POINTER;
    auto audio = AudioTarget();
    return audio ? audio->get_Balance(balance) : E_NOTIMPL;
}
