// Each pass the own renderer makes over a YV12 side-by-side frame shown red/cyan, timed on
// its own, in plain memory (no display): the whole-frame path's conversion, transform, upright
// copy into the frame surface and the stretch to the window; the band-by-band path that
// replaces the first three; and the band-by-band path that also stretches, writing the
// window's picture (the only pass over the frame left before the put). Sizes: 1920x1080 into 1280x720, 3840x2160 into 1920x1080.
//   build/bin/bench_renderer --benchmark_filter=Pass --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <libyuv/scale_argb.h>

#include <cstring>
#include <vector>

#include "engine/stereo/ColorSpaceConverter.h"
#include "engine/stereo/StereoRows.h"
#include "engine/stereo/StereoTransform.h"
#include "platform/graph/MediaGuids.h"

namespace {

using orvo::engine::CColorSpaceConverter;
using orvo::stereo::FrameDescriptor;
using orvo::stereo::PictureStore;
using orvo::stereo::STEREO_SIDE_BY_SIDE;
using orvo::stereo::VIEW_RED_CYAN;

struct Pass {
    int w, h, windowWidth, windowHeight;
    CColorSpaceConverter converter;
    std::vector<uint8_t> source;
    FrameDescriptor d;
    std::vector<uint8_t> surface, window;
    PictureStore store;

    explicit Pass(const benchmark::State& state)
        : w(int(state.range(0))),
          h(int(state.range(1))),
          windowWidth(int(state.range(2))),
          windowHeight(int(state.range(3))),
          converter(MEDIASUBTYPE_YV12, w, h),
          source(converter.SourceSize()) {
        for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i * 7 + (i >> 11));
        d.stereoMode = STEREO_SIDE_BY_SIDE;
        d.viewMode = VIEW_RED_CYAN;
        d.topDown = 1;
        d.sourceWidth = w;
        d.sourceHeight = h;
        d.width = w / 2;
        d.height = h;
        surface.assign(size_t(d.width) * d.height * 4, 0);
        window.assign(size_t(windowWidth) * windowHeight * 4, 0);
    }
};

void PassConvert(benchmark::State& state) {
    Pass p(state);
    for (auto _ : state) benchmark::DoNotOptimize(p.converter.Convert(p.source.data(), p.source.size()));
}

void PassTransform(benchmark::State& state) {
    Pass p(state);
    uint8_t* frame = p.converter.Convert(p.source.data(), p.source.size());
    for (auto _ : state) benchmark::DoNotOptimize(orvo::stereo::TransformFrame(p.d, frame, p.store));
}

void PassCopyIntoSurface(benchmark::State& state) {
    Pass p(state);
    uint8_t* picture = orvo::stereo::TransformFrame(p.d, p.converter.Convert(p.source.data(), p.source.size()), p.store);
    for (auto _ : state) {
        std::memcpy(p.surface.data(), picture, p.surface.size());
        benchmark::ClobberMemory();
    }
}

// Conversion, red/cyan merge and the write into the surface, band by band.
void PassBandsIntoSurface(benchmark::State& state) {
    Pass p(state);
    orvo::stereo::ConvertedRows rows(p.converter, p.source.data(), p.source.size());
    for (auto _ : state) {
        orvo::stereo::TransformRows(p.d, rows, p.surface.data(), p.d.width * 4, p.store);
        benchmark::ClobberMemory();
    }
}

// The bilinear stretch the blit makes before the put.
void PassStretchToWindow(benchmark::State& state) {
    Pass p(state);
    for (auto _ : state) {
        libyuv::ARGBScale(p.surface.data(), p.d.width * 4, p.d.width, p.d.height, p.window.data(), p.windowWidth * 4,
                          p.windowWidth, p.windowHeight, libyuv::kFilterBilinear);
        benchmark::ClobberMemory();
    }
}

// Conversion, red/cyan merge and the stretch, band by band into a surface of the window's size.
void PassBandsStretchedIntoWindow(benchmark::State& state) {
    Pass p(state);
    orvo::stereo::ConvertedRows rows(p.converter, p.source.data(), p.source.size());
    const orvo::surface::Canvas window{p.window.data(), p.windowWidth * 4, p.windowWidth, p.windowHeight};
    for (auto _ : state) {
        orvo::stereo::TransformRowsScaled(p.d, rows, window, p.store);
        benchmark::ClobberMemory();
    }
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "win_w", "win_h"});
    b->Args({1920, 1080, 1280, 720});
    b->Args({3840, 2160, 1920, 1080});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(PassConvert)->Apply(Sizes);
BENCHMARK(PassTransform)->Apply(Sizes);
BENCHMARK(PassCopyIntoSurface)->Apply(Sizes);
BENCHMARK(PassBandsIntoSurface)->Apply(Sizes);
BENCHMARK(PassStretchToWindow)->Apply(Sizes);
BENCHMARK(PassBandsStretchedIntoWindow)->Apply(Sizes);

}  // namespace
