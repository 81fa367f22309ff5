#pragma once
// Enumerators over a filter's pins and over a pin's preferred media types. Both hold their
// object and fail with VFW_E_ENUM_OUT_OF_SYNC once it changed, until Reset.
#include "platform/com/ComPtr.h"
#include "platform/graph/BasePin.h"

class CEnumPins final : public IEnumPins, public CUnknown {
public:
    explicit CEnumPins(CBaseFilter* filter, ULONG position = 0);
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** clone) override;

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IEnumPins*>(this); }

private:
    ComPtr<IBaseFilter> m_hold;
    CBaseFilter* m_filter;
    ULONG m_position;
    LONG m_version;
};

class CEnumMediaTypes final : public IEnumMediaTypes, public CUnknown {
public:
    explicit CEnumMediaTypes(CBasePin* pin, ULONG position = 0);
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** clone) override;

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IEnumMediaTypes*>(this); }

private:
    ComPtr<IPin> m_hold;
    CBasePin* m_pin;
    ULONG m_position;
    LONG m_version;
};
