#include "platform/com/Unknown.h"

HRESULT CUnknown::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown) return GetInterface(PrimaryUnknown(), object);
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CUnknown::NonDelegatingAddRef() { return ++m_refCount; }

ULONG CUnknown::NonDelegatingRelease() {
    ULONG left = --m_refCount;
    if (left == 0) delete this;
    return left;
}
