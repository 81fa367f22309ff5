#include "platform/graph/MediaTimeFormat.h"

namespace orvo::graph {

HRESULT IsMediaTimeFormat(const GUID* format) {
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

HRESULT GetMediaTimeFormat(GUID* format) {
    if (!format) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT SetMediaTimeFormat(const GUID* format) {
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

HRESULT ConvertMediaTime(LONGLONG* target, const GUID* targetFormat, LONGLONG source, const GUID* sourceFormat) {
    if (!target) return E_POINTER;
    auto ok = [](const GUID* f) { return !f || *f == TIME_FORMAT_MEDIA_TIME; };
    if (!ok(targetFormat) || !ok(sourceFormat)) return E_INVALIDARG;
    *target = source;
    return S_OK;
}

HRESULT CheckCapabilitiesAgainst(DWORD have, DWORD* asked) {
    if (!asked) return E_POINTER;
    DWORD wanted = *asked;
    *asked &= have;
    if (*asked == wanted) return S_OK;
    return *asked ? S_FALSE : E_FAIL;
}

}  // namespace orvo::graph
