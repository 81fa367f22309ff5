#include "platform/graph/MediaSeeking.h"

#include <cmath>

namespace {

constexpr DWORD kKnownFlags = AM_SEEKING_PositioningBitsMask | AM_SEEKING_SeekToKeyFrame | AM_SEEKING_ReturnTime |
                              AM_SEEKING_Segment | AM_SEEKING_NoFlush;

bool IsMediaTime(const GUID* format) { return !format || *format == TIME_FORMAT_MEDIA_TIME; }

// The value of a position under positioning flags, from `base` for relative ones.
REFERENCE_TIME Resolve(DWORD flags, const LONGLONG* value, REFERENCE_TIME unchanged, REFERENCE_TIME base) {
    switch (flags & AM_SEEKING_PositioningBitsMask) {
        case AM_SEEKING_AbsolutePositioning: return *value;
        case AM_SEEKING_RelativePositioning: return unchanged + *value;
        case AM_SEEKING_IncrementalPositioning: return base + *value;
        default: return unchanged;
    }
}

}  // namespace

HRESULT CMediaSeeking::GetCapabilities(DWORD* capabilities) {
    if (!capabilities) return E_POINTER;
    *capabilities = 0;
    return SeekingCapabilities(*capabilities);
}

HRESULT CMediaSeeking::CheckCapabilities(DWORD* capabilities) {
    if (!capabilities) return E_POINTER;
    DWORD have = 0;
    HRESULT hr = SeekingCapabilities(have);
    if (FAILED(hr)) return hr;
    const DWORD wanted = *capabilities;
    *capabilities &= have;
    if (*capabilities == wanted) return S_OK;
    return *capabilities ? S_FALSE : E_FAIL;
}

HRESULT CMediaSeeking::IsFormatSupported(const GUID* format) {
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

HRESULT CMediaSeeking::QueryPreferredFormat(GUID* format) { return GetTimeFormat(format); }

HRESULT CMediaSeeking::GetTimeFormat(GUID* format) {
    if (!format) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT CMediaSeeking::IsUsingTimeFormat(const GUID* format) { return IsFormatSupported(format); }

HRESULT CMediaSeeking::SetTimeFormat(const GUID* format) {
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

HRESULT CMediaSeeking::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                         const GUID* sourceFormat) {
    if (!target) return E_POINTER;
    if (!IsMediaTime(targetFormat) || !IsMediaTime(sourceFormat)) return E_INVALIDARG;
    *target = source;
    return S_OK;
}

HRESULT CMediaSeeking::GetDuration(LONGLONG* duration) {
    if (!duration) return E_POINTER;
    Positions p;
    HRESULT hr = ReadPositions(p);
    *duration = SUCCEEDED(hr) ? p.duration : 0;
    return hr;
}

HRESULT CMediaSeeking::GetStopPosition(LONGLONG* stop) {
    if (!stop) return E_POINTER;
    Positions p;
    HRESULT hr = ReadPositions(p);
    if (SUCCEEDED(hr)) *stop = p.stop;
    return hr;
}

HRESULT CMediaSeeking::GetCurrentPosition(LONGLONG* current) {
    if (!current) return E_POINTER;
    Positions p;
    HRESULT hr = ReadPositions(p);
    if (SUCCEEDED(hr)) *current = p.current;
    return hr;
}

HRESULT CMediaSeeking::GetPositions(LONGLONG* current, LONGLONG* stop) {
    Positions p;
    HRESULT hr = ReadPositions(p);
    if (FAILED(hr)) return hr;
    if (current) *current = p.current;
    if (stop) *stop = p.stop;
    return S_OK;
}

HRESULT CMediaSeeking::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    Positions p;
    HRESULT hr = ReadPositions(p);
    if (FAILED(hr)) return hr;
    if (earliest) *earliest = 0;
    if (latest) *latest = p.duration;
    return S_OK;
}

HRESULT CMediaSeeking::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
    if ((currentFlags | stopFlags) & ~kKnownFlags) return E_INVALIDARG;
    const bool moveCurrent = currentFlags & AM_SEEKING_PositioningBitsMask;
    const bool moveStop = stopFlags & AM_SEEKING_PositioningBitsMask;
    if ((moveCurrent && !current) || (moveStop && !stop)) return E_POINTER;
    if (!moveCurrent && !moveStop) return S_OK;
    Positions now;
    HRESULT hr = ReadPositions(now);
    if (FAILED(hr)) return hr;
    const REFERENCE_TIME newCurrent = Resolve(currentFlags, current, now.current, now.current);
    const REFERENCE_TIME newStop = Resolve(stopFlags, stop, now.stop, newCurrent);
    if (newCurrent < 0 || newStop < 0) return E_INVALIDARG;
    hr = ChangePositions(newCurrent, moveCurrent, newStop, moveStop);
    if (FAILED(hr)) return hr;
    if ((currentFlags & AM_SEEKING_ReturnTime) || (stopFlags & AM_SEEKING_ReturnTime)) {
        Positions after;
        if (SUCCEEDED(ReadPositions(after))) {
            if (current && (currentFlags & AM_SEEKING_ReturnTime)) *current = after.current;
            if (stop && (stopFlags & AM_SEEKING_ReturnTime)) *stop = after.stop;
        }
    }
    return hr;
}

HRESULT CMediaSeeking::SetRate(double rate) {
    if (!std::isfinite(rate) || !(rate > 0)) return E_INVALIDARG;
    return ChangeRate(rate);
}

HRESULT CMediaSeeking::GetRate(double* rate) {
    if (!rate) return E_POINTER;
    *rate = ReadRate();
    return S_OK;
}

HRESULT CMediaSeeking::GetPreroll(LONGLONG* preroll) {
    if (!preroll) return E_POINTER;
    *preroll = 0;
    return S_OK;
}
