// Throughput of a source -> transform -> null renderer graph with no clock (no waits), and the
// wake-up lateness of a renderer waiting for each sample's time on the system clock.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "tests/graph/TestFilters.h"

namespace orvo::bench {
namespace {

using test::kMs;

inline constexpr GUID CLSID_CountingSink = MakeGuid("{5E1D0020-0000-4000-8000-00000000A020}");

// Counts samples and notes how late each was rendered against its presentation time.
class CountingSink final : public CBaseRenderer {
public:
    explicit CountingSink(size_t expected) : CBaseRenderer(CLSID_CountingSink), m_expected(expected) {
        m_lateness.reserve(expected);
    }
    HRESULT CheckMediaType(const graph::MediaType&) override { return S_OK; }
    HRESULT DoRenderSample(IMediaSample* sample) override {
        REFERENCE_TIME start = 0, end = 0;
        sample->GetTime(&start, &end);
        REFERENCE_TIME late = StreamTime() - start;
        std::lock_guard lock(m_lock);
        m_lateness.push_back(late);
        if (m_lateness.size() >= m_expected) m_done.notify_all();
        return S_OK;
    }
    std::vector<REFERENCE_TIME> WaitForAll() {
        std::unique_lock lock(m_lock);
        m_done.wait(lock, [&] { return m_lateness.size() >= m_expected; });
        return m_lateness;
    }

private:
    size_t m_expected;
    std::mutex m_lock;
    std::condition_variable m_done;
    std::vector<REFERENCE_TIME> m_lateness;
};

struct Graph {
    ComPtr<IGraphBuilder> builder;
    ComPtr<IMediaControl> control;
    ComPtr<CountingSink> sink;
};

Graph BuildGraph(size_t samples, REFERENCE_TIME interval, bool withClock) {
    Graph g;
    CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, g.builder.PutVoid());
    g.builder.As(g.control);
    test::StreamSpec plan{.sub = test::kCompressedVideo, .interval = interval,
                          .duration = REFERENCE_TIME(samples) * interval};
    ComPtr<IBaseFilter> source(new test::TestSource({plan}));
    ComPtr<IBaseFilter> decoder(new test::TestDecoder);
    g.sink = ComPtr<CountingSink>(new CountingSink(samples));
    g.builder->AddFilter(source.Get(), u"Source");
    g.builder->AddFilter(decoder.Get(), u"Decoder");
    g.builder->AddFilter(g.sink.Get(), u"Sink");
    ComPtr<IEnumPins> pins;
    source->EnumPins(pins.Put());
    IPin* out = nullptr;
    pins->Next(1, &out, nullptr);
    g.builder->Render(out);
    out->Release();
    if (!withClock) {
        ComPtr<IMediaFilter> filter;
        g.builder.As(filter);
        filter->SetSyncSource(nullptr);
    }
    return g;
}

void SamplesThroughTransformWithoutClock(benchmark::State& state) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    constexpr size_t kSamples = 20000;
    size_t rendered = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Graph g = BuildGraph(kSamples, kMs, false);
        state.ResumeTiming();
        g.control->Run();
        rendered += g.sink->WaitForAll().size();
        state.PauseTiming();
        g.control->Stop();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(rendered));
    CoUninitialize();
}
BENCHMARK(SamplesThroughTransformWithoutClock)->Unit(benchmark::kMillisecond)->UseRealTime();

void RendererWakeUpLateness(benchmark::State& state) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    constexpr size_t kSamples = 100;
    std::vector<double> all;
    for (auto _ : state) {
        Graph g = BuildGraph(kSamples, 10 * kMs, true);
        g.control->Run();
        for (REFERENCE_TIME late : g.sink->WaitForAll()) all.push_back(double(late) / 10.0);  // microseconds
        g.control->Stop();
    }
    std::sort(all.begin(), all.end());
    state.counters["median_us"] = all[all.size() / 2];
    state.counters["p95_us"] = all[all.size() * 95 / 100];
    state.counters["max_us"] = all.back();
    CoUninitialize();
}
BENCHMARK(RendererWakeUpLateness)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace orvo::bench

BENCHMARK_MAIN();
