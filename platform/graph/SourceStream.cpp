#include "platform/graph/SourceStream.h"

#include "platform/graph/MediaTimeFormat.h"

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
            DeliverEndOfStream();
            m_filter->NotifyEvent(EC_ERRORABORT, hr, 0);
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

namespace {

constexpr DWORD kSeekingCapabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards |
                                       AM_SEEKING_CanSeekBackwards | AM_SEEKING_CanGetCurrentPos |
                                       AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;

// The new value of a position under AM_SEEKING positioning flags; false when they are invalid.
bool ApplyPosition(LONGLONG& position, const LONGLONG* value, DWORD flags) {
    switch (flags & AM_SEEKING_PositioningBitsMask) {
        case AM_SEEKING_NoPositioning:
            return true;
        case AM_SEEKING_AbsolutePositioning:
            if (!value) return false;
            position = *value;
            return true;
        case AM_SEEKING_RelativePositioning:
            if (!value) return false;
            position += *value;
            return true;
        default:
            return false;
    }
}

}  // namespace

HRESULT CSourceStream::GetCapabilities(DWORD* capabilities) {
    if (!capabilities) return E_POINTER;
    *capabilities = kSeekingCapabilities;
    return S_OK;
}

HRESULT CSourceStream::CheckCapabilities(DWORD* capabilities) {
    return orvo::graph::CheckCapabilitiesAgainst(kSeekingCapabilities, capabilities);
}

HRESULT CSourceStream::IsFormatSupported(const GUID* format) { return orvo::graph::IsMediaTimeFormat(format); }

HRESULT CSourceStream::QueryPreferredFormat(GUID* format) { return GetTimeFormat(format); }

HRESULT CSourceStream::GetTimeFormat(GUID* format) { return orvo::graph::GetMediaTimeFormat(format); }

HRESULT CSourceStream::IsUsingTimeFormat(const GUID* format) { return orvo::graph::IsMediaTimeFormat(format); }

HRESULT CSourceStream::SetTimeFormat(const GUID* format) { return orvo::graph::SetMediaTimeFormat(format); }

HRESULT CSourceStream::GetDuration(LONGLONG* duration) {
    if (!duration) return E_POINTER;
    std::lock_guard lock(m_positionLock);
    *duration = m_duration;
    return S_OK;
}

HRESULT CSourceStream::GetStopPosition(LONGLONG* stop) {
    if (!stop) return E_POINTER;
    std::lock_guard lock(m_positionLock);
    *stop = m_stop;
    return S_OK;
}

HRESULT CSourceStream::GetCurrentPosition(LONGLONG* current) {
    if (!current) return E_POINTER;
    std::lock_guard lock(m_positionLock);
    *current = m_start;
    return S_OK;
}

HRESULT CSourceStream::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                         const GUID* sourceFormat) {
    return orvo::graph::ConvertMediaTime(target, targetFormat, source, sourceFormat);
}

HRESULT CSourceStream::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
    std::lock_guard seek(m_seekLock);
    bool moved;
    {
        std::lock_guard lock(m_positionLock);
        LONGLONG start = m_start, end = m_stop;
        if (!ApplyPosition(start, current, currentFlags) || !ApplyPosition(end, stop, stopFlags)) return E_INVALIDARG;
        if (start < 0 || end < 0) return E_INVALIDARG;
        moved = (currentFlags & AM_SEEKING_PositioningBitsMask) != AM_SEEKING_NoPositioning;
        m_start = start;
        m_stop = end;
        if (currentFlags & AM_SEEKING_ReturnTime && current) *current = m_start;
        if (stopFlags & AM_SEEKING_ReturnTime && stop) *stop = m_stop;
    }
    if (moved && m_thread.joinable()) {
        StopThread();
        StartThread();
    }
    return S_OK;
}

HRESULT CSourceStream::GetPositions(LONGLONG* current, LONGLONG* stop) {
    std::lock_guard lock(m_positionLock);
    if (current) *current = m_start;
    if (stop) *stop = m_stop;
    return S_OK;
}

HRESULT CSourceStream::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    std::lock_guard lock(m_positionLock);
    if (earliest) *earliest = 0;
    if (latest) *latest = m_duration;
    return S_OK;
}

HRESULT CSourceStream::SetRate(double rate) {
    if (!(rate > 0)) return E_INVALIDARG;
    std::lock_guard lock(m_positionLock);
    m_rate = rate;
    return S_OK;
}

HRESULT CSourceStream::GetRate(double* rate) {
    if (!rate) return E_POINTER;
    std::lock_guard lock(m_positionLock);
    *rate = m_rate;
    return S_OK;
}

HRESULT CSourceStream::GetPreroll(LONGLONG* preroll) {
    if (!preroll) return E_POINTER;
    *preroll = 0;
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
