#include <gtest/gtest.h>

#include <thread>

#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"

namespace {

struct ICounter : IUnknown {
    static constexpr GUID kIid = MakeGuid("{6C2B1B0A-93C1-4E7B-9B57-0C9D3A1E5F01}");
    virtual int STDMETHODCALLTYPE Next() = 0;
};

constexpr GUID kCounterClass = MakeGuid("{6C2B1B0A-93C1-4E7B-9B57-0C9D3A1E5F02}");
int g_liveCounters = 0;

class CCounter final : public ICounter, public CUnknown {
public:
    CCounter() { ++g_liveCounters; }
    ~CCounter() override { --g_liveCounters; }
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override {
        if (object && riid == ICounter::kIid) return GetInterface(static_cast<ICounter*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(riid, object);
    }
    int STDMETHODCALLTYPE Next() override { return ++m_value; }

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<ICounter*>(this); }

private:
    int m_value = 0;
};

HRESULT CreateCounter(REFIID riid, void** object) { return CreateComObject<CCounter>(riid, object); }

// Each test runs on a fresh thread so that apartment counts never leak between tests.
template <class F>
void OnNewThread(F f) {
    std::thread(f).join();
}

TEST(Runtime, InitialisationCountsPerThreadAndModel) {
    OnNewThread([] {
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        EXPECT_EQ(CoInitializeEx(nullptr, 0x100), E_INVALIDARG);
        OnNewThread([] { EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK); });
        CoUninitialize();
        EXPECT_TRUE(orvo::com::IsThreadInitialized());
        CoUninitialize();
        EXPECT_FALSE(orvo::com::IsThreadInitialized());
        CoUninitialize();  // one too many does no harm
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    });
}

TEST(Runtime, CreatesRegisteredClassesOnInitialisedThreadsOnly) {
    orvo::com::ClassRegistration registration(kCounterClass, CreateCounter);
    OnNewThread([] {
        ComPtr<ICounter> counter;
        EXPECT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, ICounter::kIid, counter.PutVoid()),
                  CO_E_NOTINITIALIZED);
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, ICounter::kIid, counter.PutVoid()),
                  S_OK);
        EXPECT_EQ(counter->Next(), 1);
        EXPECT_EQ(g_liveCounters, 1);

        void* raw = reinterpret_cast<void*>(1);
        EXPECT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, IID_IClassFactory, &raw),
                  E_NOINTERFACE);
        EXPECT_EQ(raw, nullptr);
        EXPECT_EQ(g_liveCounters, 1) << "an object without the interface is destroyed again";
        EXPECT_EQ(CoCreateInstance(kCounterClass, counter.Get(), CLSCTX_INPROC_SERVER, IID_IUnknown, &raw),
                  CLASS_E_NOAGGREGATION);
        EXPECT_EQ(CoCreateInstance(GUID_NULL, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &raw), REGDB_E_CLASSNOTREG);
        EXPECT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr), E_POINTER);
        counter.Reset();
        EXPECT_EQ(g_liveCounters, 0);
        CoUninitialize();
    });
}

TEST(Runtime, ClassFactoryMakesInstances) {
    orvo::com::ClassRegistration registration(kCounterClass, CreateCounter);
    OnNewThread([] {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(CoGetClassObject(kCounterClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.PutVoid()),
                  S_OK);
        ComPtr<ICounter> counter;
        ASSERT_EQ(factory->CreateInstance(nullptr, ICounter::kIid, counter.PutVoid()), S_OK);
        EXPECT_EQ(counter->Next(), 1);
        ComPtr<IUnknown> unknown = counter.As<IUnknown>();
        ComPtr<ICounter> again = unknown.As<ICounter>();
        EXPECT_EQ(again.Get(), counter.Get()) << "QueryInterface reaches the same object";
        CoUninitialize();
    });
    EXPECT_EQ(g_liveCounters, 0);
}

TEST(Runtime, UnregisteredClassIsGone) {
    {
        orvo::com::ClassRegistration registration(kCounterClass, CreateCounter);
        EXPECT_NE(orvo::com::FindClass(kCounterClass), nullptr);
    }
    EXPECT_EQ(orvo::com::FindClass(kCounterClass), nullptr);
    EXPECT_FALSE(orvo::com::UnregisterClass(kCounterClass));
}

TEST(Runtime, ComPtrHoldsOneReference) {
    ComPtr<ICounter> a;
    ASSERT_EQ(CreateCounter(ICounter::kIid, a.PutVoid()), S_OK);
    {
        ComPtr<ICounter> b = a;
        ComPtr<ICounter> c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(c.Get(), a.Get());
    }
    ICounter* raw = a.Detach();
    EXPECT_EQ(g_liveCounters, 1);
    ComPtr<ICounter> adopted = ComPtr<ICounter>::Attach(raw);
    adopted.Reset();
    EXPECT_EQ(g_liveCounters, 0);
}

TEST(Runtime, TaskMemoryAndResultNames) {
    void* block = CoTaskMemAlloc(0);
    EXPECT_NE(block, nullptr);
    CoTaskMemFree(block);
    CoTaskMemFree(nullptr);
    EXPECT_STREQ(HResultName(E_POINTER), "E_POINTER");
    EXPECT_STREQ(HResultName(RPC_E_CHANGED_MODE), "RPC_E_CHANGED_MODE");
    EXPECT_EQ(HResultName(MakeHResult(0x8BADF00D)), nullptr);
    EXPECT_TRUE(FAILED(E_FAIL));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
}

}  // namespace
