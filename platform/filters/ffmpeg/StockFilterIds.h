#pragma once
// Class ids of the platform's own FFmpeg filters: the file source for the common containers and
// the decoders of the system codec set, which intelligent connect and RenderFile use.
#include "platform/com/Guid.h"

inline constexpr CLSID CLSID_StockFileSource = MakeGuid("{3F1C9A52-6B0E-4D77-8E21-54A9C0D3B601}");
inline constexpr CLSID CLSID_StockVideoDecoder = MakeGuid("{3F1C9A52-6B0E-4D77-8E21-54A9C0D3B602}");
inline constexpr CLSID CLSID_StockAudioDecoder = MakeGuid("{3F1C9A52-6B0E-4D77-8E21-54A9C0D3B603}");
