#include "platform/filters/capture/CaptureStream.h"

namespace orvo::capture {

HRESULT GetPinCategory(REFGUID category, REFGUID set, DWORD id, void* data, DWORD dataBytes, DWORD* returned) {
    if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (!data) return E_POINTER;
    if (dataBytes < sizeof(GUID)) return E_INVALIDARG;
    *static_cast<GUID*>(data) = category;
    if (returned) *returned = sizeof(GUID);
    return S_OK;
}

HRESULT CCaptureStream::QueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IKsPropertySet) return GetInterface(static_cast<IKsPropertySet*>(this), object);
    // Answering seeking with a stop of 0 would hold the graph's position at 0 while the
    // capture runs.
    if (object && riid == IID_IMediaSeeking) return *object = nullptr, E_NOINTERFACE;
    return CSourceStream::QueryInterface(riid, object);
}

HRESULT CCaptureStream::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataBytes, DWORD* returned) {
    return GetPinCategory(PIN_CATEGORY_CAPTURE, set, id, data, dataBytes, returned);
}

HRESULT CCaptureStream::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
    if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (support) *support = 1;  // get only
    return S_OK;
}

}  // namespace orvo::capture
