// A 640x480 YUY2 virtual camera at 25 fps shown live through libCore.so in a window of the
// same size under Xvfb.
//
// Latency: from the moment a frame leaves the camera to the moment its pixels are in the
// window, over 250 frames, 2D material shown as it is. The window is polled every millisecond
// for the bar at its left edge, which names the frame shown modulo 8; the counters are the
// median and 95th percentile in milliseconds (so they include up to one polling interval).
//
// CPU: the process's CPU seconds (user and system; the X server's work is not counted) for
// 30 s of capture shown as a red/cyan pseudo-stereo anaglyph.
//
//   bench_capture
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/api/Lumex.h"
#include "platform/filters/capture/CapturePattern.h"
#include "platform/filters/capture/VirtualCamera.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using orvo::capture::VirtualCamera;

constexpr int kWidth = 640, kHeight = 480;
constexpr size_t kLatencyFrames = 250;

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The pattern frame number modulo 8 that a colour at the left edge belongs to; -1 for none.
int BarOf(uint32_t colour) {
    const uint32_t* bars = orvo::capture::PatternBarColours();
    for (int n = 0; n < orvo::capture::kPatternBars; ++n) {
        bool near = true;
        for (int shift : {0, 8, 16})
            near = near && std::abs(int(colour >> shift & 0xFF) - int(bars[n] >> shift & 0xFF)) <= 8;
        if (near) return n;
    }
    return -1;
}

// A channel on the camera (the last video device) in the window, playing.
uint32_t OpenCamera(const orvo::test::TestWindow& window, int view) {
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    Lumex_SetConfig(CONFIG_WINDOW, intptr_t(window.Handle()));
    const uint32_t channel = Lumex_CaptureCreate(0, Lumex_CaptureGetDevices(DEVICE_VIDEO, nullptr, 0), 0, 0, 0);
    if (!channel) return 0;
    Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, STEREO_FLAT);
    Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, float(view));
    Lumex_ChannelPlay(channel);
    return channel;
}

void BM_CaptureToWindowLatency(benchmark::State& state) {
    if (!orvo::test::XvfbServer::Shared()) return state.SkipWithError("Xvfb is not available");
    // Departure times by frame number, written on the capture thread.
    std::vector<std::atomic<int64_t>> sent(100'000);
    std::atomic<uint64_t> lastSent{0};
    VirtualCamera camera({.name = "Bench Camera", .width = kWidth, .height = kHeight, .onFrameSent = [&](uint64_t n) {
                              sent[n % sent.size()] = Clock::now().time_since_epoch().count();
                              lastSent = n;
                          }});
    Lumex_Init(1, 0);
    orvo::test::TestWindow window(0, 0, kWidth, kHeight, 0x000000);
    for (auto _ : state) {
        const uint32_t channel = OpenCamera(window, VIEW_FIRST);
        if (!channel) return state.SkipWithError("the camera did not open");
        std::vector<double> latencies;
        int shown = -1;
        const auto deadline = Clock::now() + 30s;
        while (latencies.size() < kLatencyFrames && Clock::now() < deadline) {
            const int bar = BarOf(window.Pixel(kWidth / 16, kHeight / 2));
            const auto seen = Clock::now().time_since_epoch().count();
            if (bar >= 0 && bar != shown) {
                // The newest frame sent that shows this bar.
                uint64_t n = lastSent.load();
                while (n > 0 && int(n % orvo::capture::kPatternBars) != bar) --n;
                if (shown >= 0 && int(n % orvo::capture::kPatternBars) == bar)
                    latencies.push_back(double(seen - sent[n % sent.size()].load()) / 1e6);
                shown = bar;
            }
            std::this_thread::sleep_for(1ms);
        }
        Lumex_StreamFree(channel);
        if (latencies.size() < kLatencyFrames) return state.SkipWithError("too few frames were shown");
        std::sort(latencies.begin(), latencies.end());
        state.SetIterationTime(double(latencies.size()) / 25.0);
        state.counters["median_ms"] = latencies[latencies.size() / 2];
        state.counters["p95_ms"] = latencies[latencies.size() * 95 / 100];
        state.counters["frames"] = double(latencies.size());
    }
    Lumex_Free();
}
BENCHMARK(BM_CaptureToWindowLatency)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_CaptureRedCyanCpu(benchmark::State& state) {
    if (!orvo::test::XvfbServer::Shared()) return state.SkipWithError("Xvfb is not available");
    VirtualCamera camera({.name = "Bench Camera", .width = kWidth, .height = kHeight});
    Lumex_Init(1, 0);
    orvo::test::TestWindow window(0, 0, kWidth, kHeight, 0x000000);
    for (auto _ : state) {
        const double cpuBefore = CpuSeconds();
        const auto start = Clock::now();
        const uint32_t channel = OpenCamera(window, VIEW_RED_CYAN);
        if (!channel) return state.SkipWithError("the camera did not open");
        std::this_thread::sleep_for(30s);
        Lumex_StreamFree(channel);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        state.counters["cpu_s"] = CpuSeconds() - cpuBefore;
    }
    Lumex_Free();
}
BENCHMARK(BM_CaptureRedCyanCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
