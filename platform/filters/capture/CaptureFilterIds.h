#pragma once
// Class ids of the platform's capture filters, stated as "CLSID" in each device's property bag.
#include "platform/com/Guid.h"

inline constexpr CLSID CLSID_VideoCaptureSource = MakeGuid("{3F1C9A52-6B0E-4D77-8E21-54A9C0D3B611}");
inline constexpr CLSID CLSID_AudioCaptureSource = MakeGuid("{3F1C9A52-6B0E-4D77-8E21-54A9C0D3B612}");
