// Stereo transform per frame, beside a memcpy of the source frame (the yardstick) and
// FFmpeg's stereo3d filter doing the red/cyan job on its own RGB24 input, on one thread
// like the transform (the peer): the channel mix beside stereo3d's arcc, the colour-optimised
// anaglyph beside its arcd.
//   build/bin/bench_transform --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine/stereo/StereoTransform.h"
#include "tests/support/Stereo3dPeer.h"

namespace {

using orvo::stereo::FrameDescriptor;
using orvo::stereo::PictureStore;
using namespace orvo::stereo;  // the stereo and view mode names

std::vector<uint8_t> PatternFrame(int w, int h) {
    std::vector<uint8_t> frame(size_t(w) * h * 4);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(i * 31 + (i >> 12));
    return frame;
}

void Memcpy(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    std::vector<uint8_t> src = PatternFrame(w, h), dst(src.size(), 1);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()));
}

void Transform(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    FrameDescriptor d;
    d.stereoMode = int32_t(state.range(2));
    d.viewMode = uint32_t(state.range(3));
    d.options.optimisedAnaglyph = state.range(4) != 0;
    d.sourceWidth = w;
    d.sourceHeight = h;
    auto out = orvo::stereo::StereoOutputSize(d.stereoMode, d.viewMode, w, h);
    d.width = out.width;
    d.height = out.height;
    std::vector<uint8_t> frame = PatternFrame(w, h);
    PictureStore store;
    for (auto _ : state) {
        benchmark::DoNotOptimize(orvo::stereo::TransformFrame(d, frame.data(), store));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.size()));
}

void GreyMix(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    FrameDescriptor d;
    d.width = w;
    d.height = h;
    d.viewMode = VIEW_RED_CYAN;
    d.greyMix = 1;
    std::vector<uint8_t> frame = PatternFrame(w, h);
    for (auto _ : state) {
        orvo::stereo::GreyMix(d, frame.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.size()));
}

// buffer -> stereo3d=sbsl:arcc (or arcd) -> buffersink, fed the same RGB24 frame again and again.
void FfmpegStereo3d(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    orvo::test::Stereo3dPeer peer(w, h, state.range(2) ? "arcd" : "arcc");
    if (!peer.Ok()) {
        state.SkipWithError("stereo3d graph could not be built");
        return;
    }
    AVFrame* in = peer.Input();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; ++x) in->data[0][y * in->linesize[0] + x] = uint8_t(x * 7 + y);
    for (auto _ : state) {
        if (!peer.Run()) {
            state.SkipWithError("stereo3d refused a frame");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(w) * h * 4);
}

// Every stereo mode with the view modes that change its work.
void StereoModes(benchmark::internal::Benchmark* b) {
    const std::pair<int, int> modes[] = {
        {STEREO_FULL_FRAME, VIEW_BLUE_YELLOW},
        {STEREO_FULL_FRAME, VIEW_GREEN_MAGENTA},
        {STEREO_FULL_FRAME, VIEW_FIRST},
        {STEREO_SIDE_BY_SIDE, VIEW_BLUE_YELLOW},
        {STEREO_SIDE_BY_SIDE, VIEW_RED_CYAN},
        {STEREO_SIDE_BY_SIDE, VIEW_FIRST},
        {STEREO_SIDE_BY_SIDE, VIEW_SECOND},
        {STEREO_SIDE_BY_SIDE, VIEW_WHOLE_FRAME},
        {STEREO_TOP_BOTTOM, VIEW_RED_CYAN},
        {STEREO_TOP_BOTTOM, VIEW_SECOND},
        {STEREO_TOP_BOTTOM, VIEW_WHOLE_FRAME},
        {STEREO_TB_TO_SBS, 0},
        {STEREO_SBS_TO_TB, 0},
        {STEREO_FLAT, VIEW_RED_CYAN},
        {STEREO_FLAT, VIEW_SECOND},
    };
    b->ArgNames({"w", "h", "stereo", "view", "optimised"});
    for (auto [w, h] : {std::pair{3840, 1080}, std::pair{1920, 1080}}) {
        for (auto [stereo, view] : modes) b->Args({w, h, stereo, view, 0});
        for (int view : {VIEW_BLUE_YELLOW, VIEW_RED_CYAN, VIEW_GREEN_MAGENTA}) b->Args({w, h, STEREO_SIDE_BY_SIDE, view, 1});
        b->Args({w, h, STEREO_TOP_BOTTOM, VIEW_RED_CYAN, 1});
        b->Args({w, h, STEREO_FLAT, VIEW_RED_CYAN, 1});
    }
}

void FrameSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h"});
    b->Args({3840, 1080});
    b->Args({1920, 1080});
}

BENCHMARK(Memcpy)->Apply(FrameSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(Transform)->Apply(StereoModes)->Unit(benchmark::kMillisecond);
BENCHMARK(GreyMix)->Apply(FrameSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(FfmpegStereo3d)
    ->ArgNames({"w", "h", "dubois"})
    ->ArgsProduct({{3840, 1920}, {1080}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
