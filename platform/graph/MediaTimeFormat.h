#pragma once
// Answers of IMediaSeeking objects that work in media time (100-ns units) only.
#include "platform/graph/Interfaces.h"

namespace orvo::graph {

// IsFormatSupported and IsUsingTimeFormat: S_OK for media time, S_FALSE for any other.
HRESULT IsMediaTimeFormat(const GUID* format);
// GetTimeFormat and QueryPreferredFormat.
HRESULT GetMediaTimeFormat(GUID* format);
// SetTimeFormat: only media time is accepted.
HRESULT SetMediaTimeFormat(const GUID* format);
// ConvertTimeFormat between media time and media time (a null format is the current one).
HRESULT ConvertMediaTime(LONGLONG* target, const GUID* targetFormat, LONGLONG source, const GUID* sourceFormat);
// CheckCapabilities: keeps in *asked what have offers; S_OK all, S_FALSE some, E_FAIL none.
HRESULT CheckCapabilitiesAgainst(DWORD have, DWORD* asked);

}  // namespace orvo::graph
