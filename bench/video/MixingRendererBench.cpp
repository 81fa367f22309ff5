// One 1920x1080 RGB32 frame through the mixing renderer 9 (renderer kind 4) into a
// 1280x720 window under Xvfb: conversion, mixing, letterbox and the blit, plain and with an
// alpha bitmap and procamp on top; beside it the own renderer's presentation (kind 7) of
// the same frame into the same window. Every iteration ends when the server has drawn.
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/stereo/FramePresentation.h"
#include "platform/graph/MediaFormats.h"
#include "platform/graph/MediaGuids.h"
#include "platform/graph/MemAllocator.h"
#include "platform/video/VideoMixingRenderer.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace {

using orvo::video::CVideoMixingRenderer9;

constexpr int kWidth = 1920, kHeight = 1080, kWindowWidth = 1280, kWindowHeight = 720;

std::vector<uint32_t> TestPicture() {
    return orvo::test::MakePicture(kWidth, kHeight, [](int x, int y) { return uint32_t((x * 7) ^ (y * 13)) & 0xFFFFFF; });
}

bool HaveDisplay(benchmark::State& state) {
    if (orvo::test::XvfbServer::Shared()) return true;
    state.SkipWithError("Xvfb is not available");
    return false;
}

orvo::graph::MediaType Rgb32Type() {
    orvo::graph::MediaType mt(MEDIATYPE_Video, MEDIASUBTYPE_RGB32, FORMAT_VideoInfo);
    VIDEOINFOHEADER info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetMediaTypeFormat(mt, FORMAT_VideoInfo, &info, sizeof info);
    return mt;
}

// A 256x128 logo with a colour-keyed half, selected into a memory device context.
struct Logo {
    Logo() : dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 256, 128, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        auto* p = static_cast<uint32_t*>(bits);
        for (int i = 0; i < 256 * 128; ++i) p[i] = (i % 256) < 128 ? 0xFF00FF : 0x20C040;
        old = SelectObject(dc, bitmap);
    }
    ~Logo() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

void BM_MixingRenderer9Frame(benchmark::State& state) {
    if (!HaveDisplay(state)) return;
    const bool withExtras = state.range(0) != 0;
    orvo::test::TestWindow window(0, 0, kWindowWidth, kWindowHeight, 0);
    ComPtr<IVMRFilterConfig9> config;
    if (FAILED(CVideoMixingRenderer9::Create(IVMRFilterConfig9::kIid, config.PutVoid())))
        return state.SkipWithError("no renderer");
    auto* renderer = static_cast<CVideoMixingRenderer9*>(config.Get());
    ComPtr<IVMRWindowlessControl9> windowless;
    ComPtr<IVMRMixerControl9> mixer;
    ComPtr<IVMRMixerBitmap9> bitmap;
    config.As(windowless);
    config.As(mixer);
    config.As(bitmap);
    renderer->SetMediaType(Rgb32Type());
    windowless->SetVideoClippingWindow(window.Handle());
    windowless->SetAspectRatioMode(VMR9ARMode_LetterBox);
    const RECT client{0, 0, kWindowWidth, kWindowHeight};
    windowless->SetVideoPosition(nullptr, &client);
    Logo logo;
    if (withExtras) {
        VMR9AlphaBitmap params{VMR9AlphaBitmap_hDC | VMR9AlphaBitmap_SrcColorKey, logo.dc, nullptr, {0, 0, 256, 128},
                               {0.7f, 0.05f, 0.95f, 0.25f}, 0.8f, 0x00FF00FF, 0};
        bitmap->SetAlphaBitmap(&params);
        VMR9ProcAmpControl procamp{sizeof procamp, ProcAmpControl9_Mask, 10.0f, 1.2f, 5.0f, 1.1f};
        mixer->SetProcAmpControl(0, &procamp);
    }

    ComPtr<IMemAllocator> allocator;
    CMemAllocator::Create(allocator.Put());
    ALLOCATOR_PROPERTIES wanted{1, kWidth * kHeight * 4, 16, 0}, actual{};
    allocator->SetProperties(&wanted, &actual);
    allocator->Commit();
    ComPtr<IMediaSample> sample;
    allocator->GetBuffer(sample.Put(), nullptr, nullptr, 0);
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    const std::vector<uint32_t> picture = TestPicture();
    std::memcpy(data, picture.data(), picture.size() * 4);
    sample->SetActualDataLength(LONG(picture.size() * 4));

    for (auto _ : state) renderer->DoRenderSample(sample.Get());
    sample.Reset();
    allocator->Decommit();
}
BENCHMARK(BM_MixingRenderer9Frame)->ArgName("bitmap_and_procamp")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The own renderer's presentation of the same frame into the same window.
void BM_OwnRendererFrame(benchmark::State& state) {
    if (!HaveDisplay(state)) return;
    orvo::test::TestWindow window(0, 0, kWindowWidth, kWindowHeight, 0);
    orvo::stereo::FrameDescriptor d;
    d.window = window.Handle();
    d.topDown = 1;
    d.sourceWidth = d.width = kWidth;
    d.sourceHeight = d.height = kHeight;
    if (!orvo::stereo::SetupSurfaces(d)) return state.SkipWithError("no surfaces");
    std::vector<uint32_t> frame = TestPicture();
    orvo::stereo::PictureStore store;
    for (auto _ : state) orvo::stereo::PresentFrame(d, reinterpret_cast<uint8_t*>(frame.data()), store);
}
BENCHMARK(BM_OwnRendererFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
