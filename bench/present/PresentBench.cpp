// Presenting a 1920x1080 frame into windows of 1280x720 and 1920x1080 under Xvfb: the whole
// presentation of a frame as the own renderer's band path does it (BM_PresentRows: the
// window's size asked of the server, the picture's rows made and stretched band by band
// into the shared-memory frame surface of the window's size, the window's place asked
// again, and one put of the surface); the whole-frame path (copy into the frame surface,
// stretched blit); and the stretched blit of a frame surface already filled at the picture's
// size; the stretch alone in memory; beside a bare MIT-SHM put of an image of the window's
// size as the yardstick. Every iteration that draws ends when the server has drawn.
//   build/bin/bench_present --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/stereo/FramePresentation.h"
#include "platform/surface/PictureScaler.h"
#include "platform/surface/WindowPresenter.h"
#include "tests/support/XvfbServer.h"
#include "tests/support/TestWindow.h"

namespace {

constexpr int kSourceWidth = 1920, kSourceHeight = 1080;

std::vector<uint32_t> TestPicture() {
    return orvo::test::MakePicture(kSourceWidth, kSourceHeight,
                                   [](int x, int y) { return uint32_t((x * 7) ^ (y * 13)) & 0xFFFFFF; });
}

bool HaveDisplay(benchmark::State& state) {
    if (orvo::test::XvfbServer::Shared()) return true;
    state.SkipWithError("Xvfb is not available");
    return false;
}

// Runs present(descriptor, picture, store) per iteration: a top-down 1920x1080 picture shown
// in a window of the benchmark's size.
template <typename Present>
void PresentIntoWindow(benchmark::State& state, Present present) {
    if (!HaveDisplay(state)) return;
    orvo::test::TestWindow window(0, 0, int(state.range(0)), int(state.range(1)), 0);
    orvo::stereo::FrameDescriptor d;
    d.window = window.Handle();
    d.topDown = 1;
    d.sourceWidth = d.width = kSourceWidth;
    d.sourceHeight = d.height = kSourceHeight;
    if (!orvo::stereo::SetupSurfaces(d)) return state.SkipWithError("no surfaces");
    std::vector<uint32_t> frame = TestPicture();
    orvo::stereo::PictureStore store;
    for (auto _ : state) present(d, reinterpret_cast<uint8_t*>(frame.data()), store);
}

void BM_PresentFrame(benchmark::State& state) {
    PresentIntoWindow(state, [](orvo::stereo::FrameDescriptor& d, uint8_t* picture, orvo::stereo::PictureStore& store) {
        orvo::stereo::PresentFrame(d, picture, store);
    });
}
BENCHMARK(BM_PresentFrame)->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PresentRows(benchmark::State& state) {
    PresentIntoWindow(state, [](orvo::stereo::FrameDescriptor& d, uint8_t* picture, orvo::stereo::PictureStore& store) {
        orvo::stereo::PixelRows rows(picture, kSourceWidth);
        orvo::stereo::PresentRows(d, rows, store);
    });
}
BENCHMARK(BM_PresentRows)->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BlitFilledSurface(benchmark::State& state) {
    if (!HaveDisplay(state)) return;
    orvo::test::TestWindow window(0, 0, int(state.range(0)), int(state.range(1)), 0);
    orvo::surface::WindowPresenter presenter;
    if (FAILED(presenter.Open(window.Handle(), kSourceWidth, kSourceHeight))) return state.SkipWithError("no surfaces");
    const std::vector<uint32_t> picture = TestPicture();
    presenter.Draw([&](const orvo::surface::Canvas& c) {
        for (int y = 0; y < c.height; ++y)
            std::memcpy(c.pixels + ptrdiff_t(y) * c.pitch, picture.data() + size_t(y) * kSourceWidth, size_t(c.width) * 4);
        return true;
    });
    for (auto _ : state) presenter.Blit();
}
BENCHMARK(BM_BlitFilledSurface)->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond)->UseRealTime();

// The bilinear stretch alone, in memory: the part of BM_PresentRows that a bare put does not do.
void BM_StretchInMemory(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    const std::vector<uint32_t> picture = TestPicture();
    std::vector<uint32_t> window(size_t(width) * height);
    const orvo::surface::PixelRect source{reinterpret_cast<const uint8_t*>(picture.data()), kSourceWidth * 4,
                                          kSourceWidth, kSourceHeight};
    for (auto _ : state) {
        orvo::surface::ScalePicture(source, reinterpret_cast<uint8_t*>(window.data()), width * 4, width, height,
                                    {0, 0, width, height});
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StretchInMemory)->Args({1280, 720})->Unit(benchmark::kMillisecond)->UseRealTime();

// args: image width, height
void BM_BareShmPutImage(benchmark::State& state) {
    if (!HaveDisplay(state)) return;
    const int width = int(state.range(0)), height = int(state.range(1));
    orvo::test::TestWindow window(0, 0, width, height, 0);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const size_t bytes = size_t(width) * height * 4;
    int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    auto* memory = static_cast<uint32_t*>(shmat(id, nullptr, 0));
    std::vector<uint32_t> picture = orvo::test::MakePicture(width, height,
                                                            [](int x, int y) { return uint32_t((x * 7) ^ (y * 13)) & 0xFFFFFF; });
    std::copy(picture.begin(), picture.end(), memory);
    xcb_shm_seg_t segment = xcb_generate_id(c);
    std::free(xcb_request_check(c, xcb_shm_attach_checked(c, segment, id, 0)));
    shmctl(id, IPC_RMID, nullptr);
    xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, xcb_window_t(window.Handle()), 0, nullptr);
    for (auto _ : state) {
        xcb_void_cookie_t put = xcb_shm_put_image_checked(c, xcb_window_t(window.Handle()), gc, uint16_t(width),
                                                          uint16_t(height), 0, 0, uint16_t(width), uint16_t(height), 0,
                                                          0, 24, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment, 0);
        std::free(xcb_request_check(c, put));
    }
    xcb_shm_detach(c, segment);
    xcb_disconnect(c);
    shmdt(memory);
}
BENCHMARK(BM_BareShmPutImage)->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
