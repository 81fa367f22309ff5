#include "platform/com/Runtime.h"

#include <cstdlib>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace orvo::com {
namespace {

struct ThreadApartment {
    ULONG count = 0;
    DWORD model = COINIT_APARTMENTTHREADED;
};
thread_local ThreadApartment t_apartment;

class ClassTable {
public:
    void Register(REFCLSID clsid, CreateFunction create) {
        std::unique_lock lock(m_mutex);
        m_classes[clsid] = create;
    }
    bool Unregister(REFCLSID clsid) {
        std::unique_lock lock(m_mutex);
        return m_classes.erase(clsid) > 0;
    }
    CreateFunction Find(REFCLSID clsid) {
        std::shared_lock lock(m_mutex);
        auto it = m_classes.find(clsid);
        return it == m_classes.end() ? nullptr : it->second;
    }

private:
    std::shared_mutex m_mutex;
    std::unordered_map<GUID, CreateFunction, GuidHash> m_classes;
};

// Constructed on first use, so registrations from other modules' static objects find it,
// and never destroyed, so their unregistration at exit finds it too.
ClassTable& Table() {
    static ClassTable* table = new ClassTable;
    return *table;
}

class CClassFactory final : public IClassFactory, public CUnknown {
public:
    explicit CClassFactory(CreateFunction create) : m_create(create) {}
    DECLARE_IUNKNOWN

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override {
        if (object && riid == IID_IClassFactory) return GetInterface(static_cast<IClassFactory*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return m_create(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IClassFactory*>(this); }

private:
    CreateFunction m_create;
};

}  // namespace

void RegisterClass(REFCLSID clsid, CreateFunction create) { Table().Register(clsid, create); }
bool UnregisterClass(REFCLSID clsid) { return Table().Unregister(clsid); }
CreateFunction FindClass(REFCLSID clsid) { return Table().Find(clsid); }

HRESULT CreateClassFactory(CreateFunction create, REFIID riid, void** object) {
    if (!create) return E_INVALIDARG;
    return CreateComObject<CClassFactory>(riid, object, create);
}

bool IsThreadInitialized() { return t_apartment.count > 0; }

}  // namespace orvo::com

using orvo::com::t_apartment;

HRESULT CoInitializeEx(void*, DWORD coinit) {
    constexpr DWORD known = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;
    if (coinit & ~known) return E_INVALIDARG;
    DWORD model = coinit & COINIT_APARTMENTTHREADED;
    if (t_apartment.count > 0) {
        if (t_apartment.model != model) return RPC_E_CHANGED_MODE;
        ++t_apartment.count;
        return S_FALSE;
    }
    t_apartment.model = model;
    t_apartment.count = 1;
    return S_OK;
}

HRESULT CoInitialize(void* reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

void CoUninitialize() {
    if (t_apartment.count > 0) --t_apartment.count;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!orvo::com::IsThreadInitialized()) return CO_E_NOTINITIALIZED;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(context & CLSCTX_INPROC)) return REGDB_E_CLASSNOTREG;
    auto create = orvo::com::FindClass(clsid);
    if (!create) return REGDB_E_CLASSNOTREG;
    return create(riid, object);
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!orvo::com::IsThreadInitialized()) return CO_E_NOTINITIALIZED;
    if (!(context & CLSCTX_INPROC)) return REGDB_E_CLASSNOTREG;
    auto create = orvo::com::FindClass(clsid);
    if (!create) return REGDB_E_CLASSNOTREG;
    return orvo::com::CreateClassFactory(create, riid, object);
}

void* CoTaskMemAlloc(size_t bytes) { return std::malloc(bytes ? bytes : 1); }
void* CoTaskMemRealloc(void* block, size_t bytes) { return std::realloc(block, bytes ? bytes : 1); }
void CoTaskMemFree(void* block) { std::free(block); }
