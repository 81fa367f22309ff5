#pragma once
// Recording doubles of the graph interfaces, for tests of the engine's calling order and
// arithmetic where a real graph would hide them. Each logs what it is asked.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/com/HResult.h"
#include "platform/graph/Interfaces.h"

namespace orvo::test {

using Log = std::vector<std::string>;

// Counts references and logs its own final release.
template <class Interface>
class Recorder : public Interface {
public:
    Recorder(Log& log, std::string name) : m_log(log), m_name(std::move(name)) {}
    virtual ~Recorder() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --m_refs;
        if (left == 0) {
            m_log.push_back("release " + m_name);
            delete this;
        }
        return left;
    }
    const std::string& name() const { return m_name; }

protected:
    Log& m_log;

private:
    std::string m_name;
    ULONG m_refs = 1;
};

class FakeFilter final : public Recorder<IBaseFilter> {
public:
    using Recorder::Recorder;
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph*, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }
};

// Lists a snapshot of the graph's filters; a graph change does not affect it.
class FakeEnum final : public Recorder<IEnumFilters> {
public:
    FakeEnum(Log& log, std::vector<IBaseFilter*> filters) : Recorder(log, "enum"), m_filters(std::move(filters)) {}
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IBaseFilter** out, ULONG* fetched) override {
        ULONG n = 0;
        for (; n < count && m_next < m_filters.size(); ++n) {
            out[n] = m_filters[m_next++];
            out[n]->AddRef();
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFilters**) override { return E_NOTIMPL; }

private:
    std::vector<IBaseFilter*> m_filters;
    size_t m_next = 0;
};

class FakeGraph final : public Recorder<IGraphBuilder> {
public:
    FakeGraph(Log& log, std::vector<std::string> names, bool refuseRemoval = false)
        : Recorder(log, "graph"), m_refuseRemoval(refuseRemoval) {
        for (auto& n : names) m_filters.push_back(new FakeFilter(log, n));
    }
    ~FakeGraph() override {
        for (auto* f : m_filters) f->Release();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IBasicAudio && audio) return GetInterface(audio, object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    IBasicAudio* audio = nullptr;  // offered when set; the test owns it
    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter*, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter* filter) override {
        auto it = std::find(m_filters.begin(), m_filters.end(), filter);
        if (it == m_filters.end() || m_refuseRemoval) return E_FAIL;
        m_log.push_back("remove " + (*it)->name());
        (*it)->Release();
        m_filters.erase(it);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters** out) override {
        m_log.push_back("enumerate");
        *out = new FakeEnum(m_log, {m_filters.begin(), m_filters.end()});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reconnect(IPin*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Disconnect(IPin*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Connect(IPin*, IPin*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Render(IPin*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Abort() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ShouldOperationContinue() override { return E_NOTIMPL; }

private:
    std::vector<FakeFilter*> m_filters;
    bool m_refuseRemoval;
};

// Logs run, pause and stop and answers each with its scripted result.
class FakeControl final : public Recorder<IMediaControl> {
public:
    FakeControl(Log& log, HRESULT stopResult) : Recorder(log, "control"), stopResult(stopResult) {}
    HRESULT STDMETHODCALLTYPE Run() override {
        m_log.push_back("run");
        return runResult;
    }
    HRESULT STDMETHODCALLTYPE Pause() override {
        m_log.push_back("pause");
        return pauseResult;
    }
    HRESULT STDMETHODCALLTYPE Stop() override {
        m_log.push_back("stop");
        return stopResult;
    }
    HRESULT STDMETHODCALLTYPE GetState(LONG, OAFilterState*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RenderFile(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StopWhenReady() override { return E_NOTIMPL; }

    HRESULT runResult = S_OK;
    HRESULT pauseResult = S_OK;
    HRESULT stopResult;
};

// Answers with its duration and position and logs seeks and rate changes.
class FakeSeeking final : public Recorder<IMediaSeeking> {
public:
    explicit FakeSeeking(Log& log) : Recorder(log, "seeking") {}
    LONGLONG duration = 0;
    LONGLONG position = 0;
    HRESULT result = S_OK;
    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* d) override {
        *d = duration;
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                           DWORD stopFlags) override {
        m_log.push_back("seek " + std::to_string(*current) +
                        (currentFlags == AM_SEEKING_AbsolutePositioning ? "" : " ?") +
                        (stop || stopFlags != AM_SEEKING_NoPositioning ? " stop?" : ""));
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) override {
        if (!current || stop) return E_POINTER;
        *current = position;
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetRate(double rate) override {
        m_log.push_back("rate " + std::to_string(rate));
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetRate(double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG*) override { return E_NOTIMPL; }
};

// Logs volume and balance.
class FakeAudio final : public Recorder<IBasicAudio> {
public:
    explicit FakeAudio(Log& log) : Recorder(log, "audio") {}
    HRESULT STDMETHODCALLTYPE put_Volume(LONG v) override {
        m_log.push_back("volume " + std::to_string(v));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Volume(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Balance(LONG b) override {
        m_log.push_back("balance " + std::to_string(b));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Balance(LONG*) override { return E_NOTIMPL; }
};

}  // namespace orvo::test
