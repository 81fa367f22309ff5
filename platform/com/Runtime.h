#pragma once
// The component runtime: per-thread initialisation, the in-process class table,
// class factories and task memory.
#include "platform/com/Unknown.h"

enum COINIT : DWORD {
    COINIT_MULTITHREADED = 0x0,
    COINIT_APARTMENTTHREADED = 0x2,
    COINIT_DISABLE_OLE1DDE = 0x4,
    COINIT_SPEED_OVER_MEMORY = 0x8,
};

enum CLSCTX : DWORD {
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
    CLSCTX_ALL = CLSCTX_INPROC | CLSCTX_LOCAL_SERVER,
};

struct IClassFactory : IUnknown {
    static constexpr GUID kIid = MakeGuid("{00000001-0000-0000-C000-000000000046}");
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;
};
inline constexpr const GUID& IID_IClassFactory = IClassFactory::kIid;

// Per thread: the first call gives S_OK, later calls in the same model S_FALSE (each
// needing its CoUninitialize), a call in the other model RPC_E_CHANGED_MODE.
HRESULT CoInitializeEx(void* reserved, DWORD coinit);
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// Makes an object of a class in the table. The calling thread must be initialised.
// Aggregation is not offered: a non-null outer gives CLASS_E_NOAGGREGATION.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID riid, void** object);

void* CoTaskMemAlloc(size_t bytes);
void* CoTaskMemRealloc(void* block, size_t bytes);
void CoTaskMemFree(void* block);

namespace orvo::com {

// Makes a new instance and hands out riid, as IClassFactory::CreateInstance does.
using CreateFunction = HRESULT (*)(REFIID riid, void** object);

// Adds a class to the table (a later registration of the same id replaces it);
// Unregister gives false when the id was not there.
void RegisterClass(REFCLSID clsid, CreateFunction create);
bool UnregisterClass(REFCLSID clsid);
CreateFunction FindClass(REFCLSID clsid);

// Registers a class while the module that holds it is loaded.
struct ClassRegistration {
    ClassRegistration(REFCLSID clsid, CreateFunction create) : m_clsid(clsid) { RegisterClass(clsid, create); }
    ~ClassRegistration() { UnregisterClass(m_clsid); }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

private:
    GUID m_clsid;
};

// A class factory over a create function; what modules return from DllGetClassObject.
HRESULT CreateClassFactory(CreateFunction create, REFIID riid, void** object);

// Whether the calling thread is initialised.
bool IsThreadInitialized();

}  // namespace orvo::com
