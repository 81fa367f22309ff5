#include "platform/graph/SourceStream.h"

CSourceStream::CSourceStream(CBaseFilter* filter, const char16_t* name) : CBaseOutputPin(filter, name) {}

CSourceStream::~CSourceStream() { StopThread(); }

HRESULT CSourceStream::QueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), object);
    return CBaseOutputPin::QueryInterface(riid, object);
}

HRESULT CSourceStream::Active() {
    if (!IsConnected()) return S_OK;
    HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr)) return hr;
    std::lock_guard seek(m_seekLock);
    StartThread();
    return S_OK;
}

HRESULT CSourceStream::Inactive() {
    HRESULT hr = CBaseOutputPin::Inactive();
    std::lock_guard seek(m_seekLock);
    StopThread();
    return hr;
}

void CSourceStream::StartThread() {
    m_stopRequested = false;
    m_thread = std::thread([this] { ThreadProc(); });
}

void CSourceStream::StopThread() {
    if (!m_thread.joinable()) return;
    m_stopRequested = true;
    DeliverBeginFlush();
    m_thread.join();
    DeliverEndFlush();
}

void CSourceStream::ThreadProc() {
    DeliverNewSegment(SegmentStartPosition(), SegmentStopPosition(), PlayRate());
    OnThreadStartPlay();
    while (!m_stopRequested) {
        ComPtr<IMediaSample> sample;
        if (FAILED(GetDeliveryBuffer(sample.Put(), nullptr, nullptr, 0))) return;
        if (m_stopRequested) return;
        HRESULT hr = FillBuffer(sample.Get());
        if (hr == S_FALSE) {
            DeliverEndOfStream();
            return;
        }
        if (FAILED(hr)) {
            // The graph hears of the error before the renderers finish what came before it.
            m_filter->NotifyEvent(EC_ERRORABORT, hr, 0);
            DeliverEndOfStream();
            return;
        }
        if (Deliver(sample.Get()) != S_OK) return;
    }
}

void CSourceStream::SetDuration(REFERENCE_TIME duration) {
    std::lock_guard lock(m_positionLock);
    m_duration = duration;
    m_stop = duration;
}

REFERENCE_TIME CSourceStream::SegmentStartPosition() {
    std::lock_guard lock(m_positionLock);
    return m_start;
}

REFERENCE_TIME CSourceStream::SegmentStopPosition() {
    std::lock_guard lock(m_positionLock);
    return m_stop;
}

double CSourceStream::PlayRate() {
    std::lock_guard lock(m_positionLock);
    return m_rate;
}

HRESULT CSourceStream::SeekingCapabilities(DWORD& capabilities) {
    capabilities = kSourceCapabilities;
    return S_OK;
}

HRESULT CSourceStream::ReadPositions(Positions& positions) {
    std::lock_guard lock(m_positionLock);
    positions = {m_start, m_stop, m_duration};
    return S_OK;
}

HRESULT CSourceStream::ChangePositions(REFERENCE_TIME current, bool moveCurrent, REFERENCE_TIME stop, bool moveStop) {
    std::lock_guard seek(m_seekLock);
    {
        std::lock_guard lock(m_positionLock);
        if (moveCurrent) m_start = current;
        if (moveStop) m_stop = stop;
    }
    if (moveCurrent && m_thread.joinable()) {
        StopThread();
        StartThread();
    }
    return S_OK;
}

HRESULT CSourceStream::ChangeRate(double rate) {
    std::lock_guard lock(m_positionLock);
    m_rate = rate;
    return S_OK;
}

int CSource::GetPinCount() { return int(m_streams.size()); }

CBasePin* CSource::GetPin(int index) {
    return index >= 0 && size_t(index) < m_streams.size() ? m_streams[size_t(index)].get() : nullptr;
}

void CSource::AddStream(std::unique_ptr<CSourceStream> stream) {
    m_streams.push_back(std::move(stream));
    IncrementPinVersion();
}
