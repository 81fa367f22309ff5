// Teardown order, checked with recording doubles of the graph interfaces: the channel
// stops the graph, removes every filter, destroys the renderer, then releases control,
// seeking and the graph.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/api/Channel.h"
#include "tests/support/StubRenderer.h"

namespace orvo::engine {
namespace {

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

class FakeControl final : public Recorder<IMediaControl> {
public:
    FakeControl(Log& log, HRESULT stopResult) : Recorder(log, "control"), m_stopResult(stopResult) {}
    HRESULT STDMETHODCALLTYPE Run() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop() override {
        m_log.push_back("stop");
        return m_stopResult;
    }
    HRESULT STDMETHODCALLTYPE GetState(LONG, OAFilterState*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RenderFile(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StopWhenReady() override { return E_NOTIMPL; }

private:
    HRESULT m_stopResult;
};

class FakeSeeking final : public Recorder<IMediaSeeking> {
public:
    explicit FakeSeeking(Log& log) : Recorder(log, "seeking") {}
    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG*, DWORD, LONGLONG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetRate(double) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRate(double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG*) override { return E_NOTIMPL; }
};

class FakeRenderer final : public test::StubRenderer {
public:
    explicit FakeRenderer(Log& log) : m_log(log) {}
    ~FakeRenderer() override { m_log.push_back("destroy renderer"); }

private:
    Log& m_log;
};

struct TeardownCase {
    int32_t state;
    HRESULT stopResult;
    bool stopExpected;
    int32_t stateAfter;
};

class Teardown : public ::testing::TestWithParam<TeardownCase> {};

TEST_P(Teardown, StopsRemovesEveryFilterThenDestroysAndReleases) {
    const auto c = GetParam();
    Log log;
    CChannel channel;
    channel.graph = ComPtr<IGraphBuilder>::Attach(new FakeGraph(log, {"renderer", "DECODER 1", "SourceFilter"}));
    channel.mediaControl = ComPtr<IMediaControl>::Attach(new FakeControl(log, c.stopResult));
    channel.mediaSeeking = ComPtr<IMediaSeeking>::Attach(new FakeSeeking(log));
    channel.renderer = std::make_unique<FakeRenderer>(log);
    channel.state = c.state;

    TeardownChannel(channel);

    Log expected;
    if (c.stopExpected) expected.push_back("stop");
    for (const char* name : {"renderer", "DECODER 1", "SourceFilter"}) {
        expected.insert(expected.end(),
                        {"enumerate", "remove " + std::string(name), "release " + std::string(name), "release enum"});
    }
    expected.insert(expected.end(), {"enumerate", "release enum", "destroy renderer", "release control",
                                     "release seeking", "release graph"});
    EXPECT_EQ(log, expected);
    EXPECT_EQ(channel.state, c.stateAfter);
    EXPECT_FALSE(channel.graph || channel.mediaControl || channel.mediaSeeking || channel.renderer);

    log.clear();
    TeardownChannel(channel);
    EXPECT_TRUE(log.empty()) << "a second teardown does nothing";
}

std::string TeardownCaseName(const ::testing::TestParamInfo<TeardownCase>& info) {
    static const char* const kStates[] = {"None", "Playing", "Paused", "Stopped"};
    return std::string(kStates[info.param.state]) + (FAILED(info.param.stopResult) ? "_StopFails" : "");
}

INSTANTIATE_TEST_SUITE_P(States, Teardown,
                         ::testing::Values(TeardownCase{CHANNEL_PLAYING, S_OK, true, CHANNEL_STOPPED},
                                           TeardownCase{CHANNEL_PAUSED, S_FALSE, true, CHANNEL_STOPPED},
                                           TeardownCase{CHANNEL_PLAYING, E_FAIL, true, CHANNEL_PLAYING},
                                           TeardownCase{CHANNEL_STOPPED, S_OK, false, CHANNEL_STOPPED},
                                           TeardownCase{CHANNEL_NONE, S_OK, false, CHANNEL_NONE}),
                         TeardownCaseName);

TEST(TeardownEdges, PartlyBuiltRecord) {
    Log log;
    CChannel channel;
    channel.state = CHANNEL_PLAYING;  // no control: nothing to stop
    channel.renderer = std::make_unique<FakeRenderer>(log);
    TeardownChannel(channel);
    EXPECT_EQ(log, Log{"destroy renderer"});
    EXPECT_EQ(channel.state, CHANNEL_PLAYING);
}

TEST(TeardownEdges, FilterTheGraphRefusesToRemoveDoesNotHang) {
    Log log;
    CChannel channel;
    channel.graph = ComPtr<IGraphBuilder>::Attach(new FakeGraph(log, {"stuck"}, /*refuseRemoval=*/true));
    TeardownChannel(channel);
    EXPECT_EQ(log, (Log{"enumerate", "release enum", "release graph", "release stuck"}));
}

}  // namespace
}  // namespace orvo::engine
