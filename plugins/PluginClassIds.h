#pragma once
// The class ids the decoder plug-in modules answer in DllGetClassObject, and the signature of
// that entry point, shared by the modules and the engine that loads them.
#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

inline constexpr CLSID CLSID_LAVSplitterSource = MakeGuid("{B98D13E7-55DB-4385-A33D-09FD1BA26338}");
inline constexpr CLSID CLSID_LAVVideoDecoder = MakeGuid("{EE30215D-164F-4A92-A4EB-9D4C13390F9F}");
inline constexpr CLSID CLSID_LAVAudioDecoder = MakeGuid("{E8E73B6B-4CB3-44A4-BE99-4F7BCB96E491}");

using DllGetClassObjectFunction = HRESULT (*)(REFCLSID clsid, REFIID riid, void** object);
