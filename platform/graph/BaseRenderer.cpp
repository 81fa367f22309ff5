#include "platform/graph/BaseRenderer.h"

#include <cmath>

#include "platform/graph/ReferenceClock.h"

using orvo::graph::kUnitsPerMillisecond;
using orvo::graph::MediaType;

CRendererInputPin::CRendererInputPin(CBaseRenderer* renderer, const char16_t* name)
    : CBaseInputPin(renderer, name), m_renderer(renderer) {}

HRESULT CRendererInputPin::Receive(IMediaSample* sample) { return m_renderer->Receive(sample); }

HRESULT CRendererInputPin::CheckMediaType(const MediaType& mediaType) { return m_renderer->CheckMediaType(mediaType); }

HRESULT CRendererInputPin::SetMediaType(const MediaType& mediaType) {
    HRESULT hr = m_renderer->SetMediaType(mediaType);
    if (FAILED(hr)) return hr;
    return CBasePin::SetMediaType(mediaType);
}

HRESULT CRendererInputPin::CompleteConnect(IPin* receivePin) { return m_renderer->CompleteConnect(receivePin); }

HRESULT CRendererInputPin::BreakConnect() {
    m_renderer->BreakConnect();
    return CBaseInputPin::BreakConnect();
}

CBaseRenderer::CBaseRenderer(REFCLSID clsid, const char16_t* pinName)
    : CBaseFilter(clsid), m_inputPin(this, pinName), m_position(static_cast<IBaseFilter*>(this), &m_inputPin) {}

CBaseRenderer::~CBaseRenderer() = default;

HRESULT CBaseRenderer::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IMediaSeeking) return GetInterface(&m_position, object);
    return CBaseFilter::NonDelegatingQueryInterface(riid, object);
}

CBasePin* CBaseRenderer::GetPin(int index) { return index == 0 ? &m_inputPin : nullptr; }

void CBaseRenderer::WakeWaiters() {
    m_stateChanged.notify_all();
    m_renderEvent.Set();
}

void CBaseRenderer::SendCompleteIfDue() {
    if (!m_endOfStream || m_completeSent || State() != State_Running) return;
    m_completeSent = true;
    NotifyEvent(EC_COMPLETE, S_OK, 0);
}

bool CBaseRenderer::IsPrerolledLocked() const {
    return m_heldSample || m_endOfStream || !m_inputPin.IsConnected();
}

// The new state is already set when this runs, so a waiting sample that wakes sees it and
// gives up (stopped) or holds on (paused).
void CBaseRenderer::OnStateChanged(FILTER_STATE previous) {
    std::lock_guard lock(m_rendererLock);
    if (previous == State_Stopped || State() == State_Stopped) {
        m_endOfStream = false;
        m_completeSent = false;
    }
    WakeWaiters();
    SendCompleteIfDue();
}

bool CBaseRenderer::IsPrerolled() {
    std::lock_guard lock(m_rendererLock);
    return IsPrerolledLocked();
}

HRESULT CBaseRenderer::GetState(DWORD milliSecsTimeout, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    std::unique_lock lock(m_rendererLock);
    auto settled = [this] { return State() != State_Paused || IsPrerolledLocked(); };
    bool done = milliSecsTimeout == CAMEvent::kInfinite
                    ? (m_stateChanged.wait(lock, settled), true)
                    : m_stateChanged.wait_for(lock, std::chrono::milliseconds(milliSecsTimeout), settled);
    *state = State();
    return done ? S_OK : VFW_S_STATE_INTERMEDIATE;
}

HRESULT CBaseRenderer::GetSampleTimes(IMediaSample* sample, REFERENCE_TIME* start, REFERENCE_TIME* end) {
    return SUCCEEDED(sample->GetTime(start, end)) ? S_OK : S_FALSE;
}

REFERENCE_TIME CBaseRenderer::StreamTime() {
    if (State() != State_Running) return 0;
    ComPtr<IReferenceClock> clock = Clock();
    REFERENCE_TIME now = 0;
    if (!clock || FAILED(clock->GetTime(&now))) return 0;
    return now - StartTime();
}

bool CBaseRenderer::WaitAborted() {
    std::lock_guard lock(m_rendererLock);
    return m_flushing || State() != State_Running;
}

// Streaming thread. Each turn of the loop takes the filter lock and then the renderer lock,
// decides, and either renders, or gives both up to wait: for the state to leave Paused, or
// for the clock to reach the sample's start (a stop, pause or flush sets the event early).
// A timed sample is judged once, when it first meets the running clock: it may be dropped.
HRESULT CBaseRenderer::Receive(IMediaSample* sample) {
    HRESULT hr = m_inputPin.CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    REFERENCE_TIME start = 0, end = 0;
    HRESULT timed = GetSampleTimes(sample, &start, &end);
    bool firstTurn = true, arrivedRunning = false, shown = false, judged = false;
    for (;;) {
        std::unique_lock filterLock(m_filterLock);
        std::unique_lock lock(m_rendererLock);
        if (firstTurn) {
            firstTurn = false;
            if (m_endOfStream) return VFW_E_SAMPLE_REJECTED_EOS;
            arrivedRunning = State() == State_Running;
            m_heldSample = sample;
        }
        if (m_flushing || State() == State_Stopped) {
            m_heldSample = nullptr;
            m_stateChanged.notify_all();
            return m_flushing ? S_FALSE : VFW_E_WRONG_STATE;
        }
        if (State() == State_Paused) {
            if (!shown) {
                shown = true;
                m_stateChanged.notify_all();
                // Under the locks, so that the pause completes with the picture shown.
                if (!arrivedRunning) OnReceiveFirstSample(sample);
            }
            filterLock.unlock();
            m_stateChanged.wait(lock);
            continue;
        }
        ComPtr<IReferenceClock> clock = Clock();
        if (timed == S_OK && clock) {
            REFERENCE_TIME now = 0, base = StartTime();
            clock->GetTime(&now);
            if (!judged) {
                judged = true;
                if (!ShouldRender(sample, start, now - (base + start))) {
                    m_heldSample = nullptr;
                    return S_OK;
                }
            }
            if (now < base + start) {
                DWORD_PTR cookie = 0;
                if (SUCCEEDED(clock->AdviseTime(base, start, &m_renderEvent, &cookie))) {
                    lock.unlock();
                    filterLock.unlock();
                    m_renderEvent.Wait();
                    clock->Unadvise(cookie);
                    continue;
                }
            }
        }
        OnRenderStart(sample);
        m_heldSample = nullptr;
        if (DrawsOutsideBaseLocks()) {
            lock.unlock();
            filterLock.unlock();
        }
        hr = DoRenderSample(sample);
        OnRenderEnd(sample);
        if (lock.owns_lock()) lock.unlock();
        if (filterLock.owns_lock()) filterLock.unlock();
        if (SUCCEEDED(hr)) hr = DoRenderSampleUnlocked(sample);
        return SUCCEEDED(hr) ? S_OK : hr;
    }
}

HRESULT CBaseRenderer::RenderPausedSample() {
    std::lock_guard filterLock(m_filterLock);
    std::lock_guard lock(m_rendererLock);
    if (State() != State_Paused || !m_heldSample) return S_FALSE;
    return DoRenderSample(m_heldSample);
}

HRESULT CBaseRenderer::InputEndOfStream(CBaseInputPin*) {
    HRESULT hr = m_inputPin.CheckStreaming();
    if (hr != S_OK) return hr == S_FALSE ? S_OK : hr;
    if (State() == State_Running) OnEndOfStream();
    std::lock_guard lock(m_rendererLock);
    if (m_flushing) return S_OK;
    m_endOfStream = true;
    m_stateChanged.notify_all();
    SendCompleteIfDue();
    return S_OK;
}

HRESULT CBaseRenderer::InputBeginFlush(CBaseInputPin*) {
    {
        std::lock_guard lock(m_rendererLock);
        m_flushing = true;
        m_endOfStream = false;
        m_completeSent = false;
        WakeWaiters();
    }
    OnBeginFlush();
    return S_OK;
}

HRESULT CBaseRenderer::InputEndFlush(CBaseInputPin*) {
    {
        std::lock_guard lock(m_rendererLock);
        m_flushing = false;
    }
    OnEndFlush();
    return S_OK;
}

HRESULT CBaseRenderer::InputNewSegment(CBaseInputPin*, REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    OnNewSegment(start, stop, rate);
    return S_OK;
}

CBaseVideoRenderer::CBaseVideoRenderer(REFCLSID clsid, const char16_t* pinName) : CBaseRenderer(clsid, pinName) {}

HRESULT CBaseVideoRenderer::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IQualProp) return GetInterface(static_cast<IQualProp*>(this), object);
    return CBaseRenderer::NonDelegatingQueryInterface(riid, object);
}

HRESULT CBaseVideoRenderer::OnStartStreaming() {
    std::lock_guard lock(m_statsLock);
    m_stats = Statistics{};
    return S_OK;
}

void CBaseVideoRenderer::NotifyUpstream(REFERENCE_TIME start, REFERENCE_TIME lateness) {
    IPin* upstream = InputPin()->GetConnected();
    ComPtr<IQualityControl> sink;
    if (!upstream || FAILED(upstream->QueryInterface(IID_IQualityControl, sink.PutVoid()))) return;
    sink->Notify(this, Quality{lateness > 0 ? Famine : Flood, 1000, lateness, start});
}

bool CBaseVideoRenderer::ShouldRender(IMediaSample*, REFERENCE_TIME start, REFERENCE_TIME lateness) {
    NotifyUpstream(start, lateness);
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(m_statsLock);
    if (lateness <= kDropLateness || now - m_stats.lastDrawn >= kLongestUndrawn) return true;
    ++m_stats.framesDropped;
    return false;
}

void CBaseVideoRenderer::OnRenderStart(IMediaSample* sample) {
    REFERENCE_TIME now = StreamTime();
    REFERENCE_TIME start = 0, end = 0;
    bool timed = SUCCEEDED(sample->GetTime(&start, &end));
    std::lock_guard lock(m_statsLock);
    if (m_stats.lastRenderTime >= 0) {
        double interval = double(now - m_stats.lastRenderTime) / kUnitsPerMillisecond;
        m_stats.intervalSum += interval;
        m_stats.intervalSquares += interval * interval;
    } else {
        m_stats.firstRenderTime = now;
    }
    if (timed) {
        double offset = double(now - start) / kUnitsPerMillisecond;
        m_stats.offsetSum += offset;
        m_stats.offsetSquares += offset * offset;
    }
    m_stats.lastRenderTime = now;
    m_stats.lastDrawn = std::chrono::steady_clock::now();
    ++m_stats.framesDrawn;
}

namespace {

int Deviation(double sum, double squares, int count) {
    if (count < 2) return 0;
    double mean = sum / count;
    return int(std::lround(std::sqrt(std::max(0.0, squares / count - mean * mean))));
}

}  // namespace

HRESULT CBaseVideoRenderer::get_FramesDroppedInFilter(int* dropped) {
    if (!dropped) return E_POINTER;
    std::lock_guard lock(m_statsLock);
    *dropped = m_stats.framesDropped;
    return S_OK;
}

HRESULT CBaseVideoRenderer::get_FramesDrawn(int* drawn) {
    if (!drawn) return E_POINTER;
    std::lock_guard lock(m_statsLock);
    *drawn = m_stats.framesDrawn;
    return S_OK;
}

HRESULT CBaseVideoRenderer::get_AvgFrameRate(int* averageFrameRate) {
    if (!averageFrameRate) return E_POINTER;
    std::lock_guard lock(m_statsLock);
    REFERENCE_TIME span = m_stats.lastRenderTime - m_stats.firstRenderTime;
    *averageFrameRate =
        m_stats.framesDrawn > 1 && span > 0 ? int((m_stats.framesDrawn - 1) * 100.0 * 1e7 / double(span)) : 0;
    return S_OK;
}

HRESULT CBaseVideoRenderer::get_Jitter(int* jitter) {
    if (!jitter) return E_POINTER;
    std::lock_guard lock(m_statsLock);
    *jitter = Deviation(m_stats.intervalSum, m_stats.intervalSquares, m_stats.framesDrawn - 1);
    return S_OK;
}

HRESULT CBaseVideoRenderer::get_AvgSyncOffset(int* average) {
    if (!average) return E_POINTER;
    std::lock_guard lock(m_statsLock);
    *average = m_stats.framesDrawn ? int(std::lround(m_stats.offsetSum / m_stats.framesDrawn)) : 0;
    return S_OK;
}

HRESULT CBaseVideoRenderer::get_DevSyncOffset(int* deviation) {
    if (!deviation) return E_POINTER;
    std::lock_guard lock(m_statsLock);
    *deviation = Deviation(m_stats.offsetSum, m_stats.offsetSquares, m_stats.framesDrawn);
    return S_OK;
}
