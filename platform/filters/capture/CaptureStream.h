#pragma once
// The output pin shared by the live capture sources: a source stream of the capture pin
// category that offers no seeking (a live source has no end and no positions to seek to).
#include "platform/graph/CaptureInterfaces.h"
#include "platform/graph/SourceStream.h"

namespace orvo::capture {

// Answers AMPROPSETID_Pin / AMPROPERTY_PIN_CATEGORY with the pin's category.
HRESULT GetPinCategory(REFGUID category, REFGUID set, DWORD id, void* data, DWORD dataBytes, DWORD* returned);

class CCaptureStream : public CSourceStream, public IKsPropertySet {
public:
    using CSourceStream::CSourceStream;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return CBasePin::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return CBasePin::Release(); }

    HRESULT STDMETHODCALLTYPE Set(REFGUID, DWORD, void*, DWORD, void*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, void* instance, DWORD instanceBytes, void* data,
                                  DWORD dataBytes, DWORD* returned) override;
    HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD id, DWORD* support) override;
};

}  // namespace orvo::capture
