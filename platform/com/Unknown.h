#pragma once
// IUnknown, and CUnknown: the reference-counting base that platform objects derive from.
#include <atomic>
#include <new>
#include <utility>

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

struct IUnknown {
    static constexpr GUID kIid = MakeGuid("{00000000-0000-0000-C000-000000000046}");
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;  // objects are destroyed through Release, never through an interface
};
inline constexpr const GUID& IID_IUnknown = IUnknown::kIid;

// Hands out an interface pointer with a new reference.
inline HRESULT GetInterface(IUnknown* unknown, void** object) {
    if (!object) return E_POINTER;
    *object = unknown;
    unknown->AddRef();
    return S_OK;
}

// The object's own IUnknown, separate from the interfaces it exposes, so that an object
// whose lifetime belongs to another (a pin to its filter) can forward AddRef and Release.
class CUnknown {
public:
    CUnknown() = default;
    CUnknown(const CUnknown&) = delete;
    CUnknown& operator=(const CUnknown&) = delete;
    virtual ~CUnknown() = default;

    // Answers IID_IUnknown; derived classes answer their own interfaces, then call this.
    virtual HRESULT NonDelegatingQueryInterface(REFIID riid, void** object);
    virtual ULONG NonDelegatingAddRef();
    virtual ULONG NonDelegatingRelease();  // deletes the object at zero

protected:
    // The IUnknown that identifies this object: the first interface it exposes.
    virtual IUnknown* PrimaryUnknown() = 0;

private:
    std::atomic<ULONG> m_refCount{0};
};

// Forwards a class's IUnknown methods (from any of its interfaces) to CUnknown.
#define DECLARE_IUNKNOWN                                                            \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override { \
        return NonDelegatingQueryInterface(riid, object);                           \
    }                                                                               \
    ULONG STDMETHODCALLTYPE AddRef() override { return NonDelegatingAddRef(); }     \
    ULONG STDMETHODCALLTYPE Release() override { return NonDelegatingRelease(); }

// Creates a CUnknown-derived object and hands out the requested interface; the object is
// destroyed again when it does not offer that interface.
template <class T, class... Args>
HRESULT CreateComObject(REFIID riid, void** object, Args&&... args) {
    if (!object) return E_POINTER;
    *object = nullptr;
    T* instance = new (std::nothrow) T(std::forward<Args>(args)...);
    if (!instance) return E_OUTOFMEMORY;
    instance->NonDelegatingAddRef();
    HRESULT hr = instance->NonDelegatingQueryInterface(riid, object);
    instance->NonDelegatingRelease();
    return hr;
}
