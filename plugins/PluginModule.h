#pragma once
// What each decoder plug-in module does in DllGetClassObject: hand out a class factory for its
// one class id, and refuse every other id.
#include "platform/com/Runtime.h"

#define ORVO_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace orvo::plugins {

inline HRESULT ServeClassObject(REFCLSID asked, REFCLSID own, com::CreateFunction create, REFIID riid,
                                void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (asked != own) return CLASS_E_CLASSNOTAVAILABLE;
    return com::CreateClassFactory(create, riid, object);
}

}  // namespace orvo::plugins
