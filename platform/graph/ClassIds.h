#pragma once
// Class ids of the graph service and its stock filters.
#include "platform/com/Guid.h"

inline constexpr GUID CLSID_FilterGraph = MakeGuid("{E436EBB3-524F-11CE-9F53-0020AF0BA770}");
inline constexpr GUID CLSID_SystemClock = MakeGuid("{E436EB76-524F-11CE-9F53-0020AF0BA770}");
inline constexpr GUID CLSID_InfTee = MakeGuid("{F8388A40-D5BB-11D0-BE5A-0080C706568E}");
inline constexpr GUID CLSID_AudioRender = MakeGuid("{E30629D1-27E5-11CE-875D-00608CB78066}");
inline constexpr GUID CLSID_VideoRenderer = MakeGuid("{70E102B0-5556-11CE-97C0-00AA0044F53E}");
inline constexpr GUID CLSID_SystemDeviceEnum = MakeGuid("{62BE5D10-60EB-11D0-BD3B-00A0C911CE86}");
inline constexpr GUID CLSID_CaptureGraphBuilder2 = MakeGuid("{BF87B6E1-8C27-11D0-B3F0-00AA003761C5}");
