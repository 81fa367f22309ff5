#include "platform/graph/Enumerators.h"

CEnumPins::CEnumPins(CBaseFilter* filter, ULONG position)
    : m_hold(filter), m_filter(filter), m_position(position), m_version(filter->PinVersion()) {}

HRESULT CEnumPins::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IEnumPins) return GetInterface(static_cast<IEnumPins*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT CEnumPins::Next(ULONG count, IPin** pins, ULONG* fetched) {
    if (!pins) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    if (fetched) *fetched = 0;
    if (m_version != m_filter->PinVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG got = 0;
    while (got < count) {
        CBasePin* pin = m_filter->GetPin(int(m_position));
        if (!pin) break;
        pin->AddRef();
        pins[got++] = pin;
        ++m_position;
    }
    if (fetched) *fetched = got;
    return got == count ? S_OK : S_FALSE;
}

HRESULT CEnumPins::Skip(ULONG count) {
    if (m_version != m_filter->PinVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG total = ULONG(m_filter->GetPinCount());
    if (m_position + count > total) {
        m_position = total;
        return S_FALSE;
    }
    m_position += count;
    return S_OK;
}

HRESULT CEnumPins::Reset() {
    m_position = 0;
    m_version = m_filter->PinVersion();
    return S_OK;
}

HRESULT CEnumPins::Clone(IEnumPins** clone) {
    HRESULT hr = CreateComObject<CEnumPins>(IID_IEnumPins, reinterpret_cast<void**>(clone), m_filter, m_position);
    return hr;
}

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pin, ULONG position)
    : m_hold(pin), m_pin(pin), m_position(position), m_version(pin->TypeVersion()) {}

HRESULT CEnumMediaTypes::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IEnumMediaTypes) return GetInterface(static_cast<IEnumMediaTypes*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT CEnumMediaTypes::Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) {
    if (!types) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    if (fetched) *fetched = 0;
    if (m_version != m_pin->TypeVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG got = 0;
    while (got < count) {
        orvo::graph::MediaType mt;
        if (m_pin->GetMediaType(int(m_position), mt) != S_OK) break;
        AM_MEDIA_TYPE* copy = CreateMediaType(&mt);
        if (!copy) {
            while (got) DeleteMediaType(types[--got]);
            return E_OUTOFMEMORY;
        }
        types[got++] = copy;
        ++m_position;
    }
    if (fetched) *fetched = got;
    return got == count ? S_OK : S_FALSE;
}

HRESULT CEnumMediaTypes::Skip(ULONG count) {
    if (m_version != m_pin->TypeVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    orvo::graph::MediaType mt;
    while (count--) {
        if (m_pin->GetMediaType(int(m_position), mt) != S_OK) return S_FALSE;
        ++m_position;
    }
    return S_OK;
}

HRESULT CEnumMediaTypes::Reset() {
    m_position = 0;
    m_version = m_pin->TypeVersion();
    return S_OK;
}

HRESULT CEnumMediaTypes::Clone(IEnumMediaTypes** clone) {
    return CreateComObject<CEnumMediaTypes>(IID_IEnumMediaTypes, reinterpret_cast<void**>(clone), m_pin, m_position);
}
