// One sample through the own renderer filter: YV12 conversion, the stereo transform and
// presentation into a window under Xvfb, as the streaming thread does it for every frame.
// A 25 fps frame budget is 40 ms.
//   build/bin/bench_renderer --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstring>

#include "engine/stereo/OwnVideo.h"
#include "platform/graph/MediaFormats.h"
#include "platform/graph/MemAllocator.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace {

using orvo::stereo::STEREO_SIDE_BY_SIDE;
using orvo::stereo::VIEW_RED_CYAN;

orvo::graph::MediaType Yv12Type(int width, int height) {
    orvo::graph::MediaType mt(MEDIATYPE_Video, MEDIASUBTYPE_YV12, FORMAT_VideoInfo);
    VIDEOINFOHEADER info{};
    info.AvgTimePerFrame = 400000;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    SetMediaTypeFormat(mt, FORMAT_VideoInfo, &info, sizeof info);
    return mt;
}

// A sample from a real allocator, filled with a YV12 pattern.
ComPtr<IMediaSample> Yv12Sample(ComPtr<IMemAllocator>& allocator, int width, int height) {
    const LONG bytes = LONG(size_t(width) * height * 3 / 2);
    ALLOCATOR_PROPERTIES wanted{1, bytes, 64, 0}, actual{};
    ComPtr<IMediaSample> sample;
    if (FAILED(CMemAllocator::Create(allocator.Put())) || FAILED(allocator->SetProperties(&wanted, &actual)) ||
        FAILED(allocator->Commit()) || FAILED(allocator->GetBuffer(sample.Put(), nullptr, nullptr, 0)))
        return nullptr;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    for (LONG i = 0; i < bytes; ++i) data[i] = BYTE(i * 7 + (i >> 11));
    sample->SetActualDataLength(bytes);
    return sample;
}

// args: source width, height, window width, height, stereo mode, view mode
void BM_OwnRendererSample(benchmark::State& state) {
    if (!orvo::test::XvfbServer::Shared()) return state.SkipWithError("Xvfb is not available");
    const int w = int(state.range(0)), h = int(state.range(1));
    orvo::test::TestWindow window(0, 0, int(state.range(2)), int(state.range(3)), 0);
    orvo::stereo::COwnVideo own;
    own.AddToGraph(nullptr, window.Handle(), nullptr, u"User Video Renderer");
    orvo::stereo::COwnVideoRenderer* filter = own.Filter();
    if (!filter || filter->SetMediaType(Yv12Type(w, h)) != S_OK) return state.SkipWithError("no media type");
    own.SetStereo(int32_t(state.range(4)), int32_t(state.range(5)));
    ComPtr<IMemAllocator> allocator;
    ComPtr<IMediaSample> sample = Yv12Sample(allocator, w, h);
    if (!sample) return state.SkipWithError("no sample");
    for (auto _ : state) filter->DoRenderSample(sample.Get());
    sample.Reset();
    allocator->Decommit();
}

BENCHMARK(BM_OwnRendererSample)
    ->ArgNames({"w", "h", "win_w", "win_h", "stereo", "view"})
    ->Args({3840, 1080, 1920, 1080, STEREO_SIDE_BY_SIDE, VIEW_RED_CYAN})
    ->Args({1920, 1080, 1280, 720, STEREO_SIDE_BY_SIDE, VIEW_RED_CYAN})
    ->Args({3840, 2160, 1920, 1080, STEREO_SIDE_BY_SIDE, VIEW_RED_CYAN})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
