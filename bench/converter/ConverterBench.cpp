// Colour conversion of one frame to 32-bit B,G,R,X pixels: the converter's table path and each
// vector path this CPU runs, beside libyuv and libswscale converting the same frames. The
// classic formats convert with the BT.601 studio-range row; "-709" ones with BT.709's, beside
// libyuv's BT.709 functions.
// Run (interleaved repetitions keep a shared machine's load from favouring one side):
//   build/bin/bench_converter --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//       --benchmark_report_aggregates_only=true --benchmark_min_time=0.2
#include <benchmark/benchmark.h>
#include <libyuv.h>

#include <random>
#include <string>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

#include "engine/stereo/ColorSpaceConverter.h"
#include "platform/graph/MediaGuids.h"

namespace {

using orvo::engine::CColorSpaceConverter;
using orvo::engine::ConversionPath;

struct Size {
    int width, height;
    std::string Name() const { return std::to_string(width) + "x" + std::to_string(height); }
};
constexpr Size kSizes[] = {{1920, 1080}, {3840, 2160}};

std::vector<uint8_t> RandomFrame(size_t bytes) {
    std::mt19937 random(1);
    std::vector<uint8_t> frame(bytes);
    for (uint8_t& b : frame) b = uint8_t(random());
    return frame;
}

// Times convertFrame once per iteration; items are pixels.
template <class ConvertFrame>
void Measure(benchmark::State& state, Size size, ConvertFrame convertFrame) {
    for (auto _ : state) {
        convertFrame();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(size.width) * size.height);
}

void ConvertFrames(benchmark::State& state, GUID subtype, orvo::graph::VideoColorInfo color, Size size,
                   ConversionPath path) {
    CColorSpaceConverter converter(subtype, size.width, size.height, color, path);
    const std::vector<uint8_t> frame = RandomFrame(converter.SourceSize());
    Measure(state, size, [&] { benchmark::DoNotOptimize(converter.Convert(frame.data(), frame.size())); });
}

// Source planes laid out as the converter reads them (packed rows), for the peers.
struct PeerFrame {
    Size size;
    std::vector<uint8_t> source, out;
    const uint8_t* At(size_t offset) const { return source.data() + offset; }
    size_t Plane() const { return size_t(size.width) * size.height; }
    int Stride() const { return size.width * 4; }
};

PeerFrame MakePeerFrame(Size size, size_t sourceBytes) {
    return {size, RandomFrame(sourceBytes), std::vector<uint8_t>(size_t(size.width) * size.height * 4)};
}

void LibyuvI420(benchmark::State& state, Size size) {
    PeerFrame f = MakePeerFrame(size, size_t(size.width) * size.height * 3 / 2);
    const int w = size.width, h = size.height;
    Measure(state, size, [&] {
        libyuv::I420ToARGB(f.At(0), w, f.At(f.Plane()), w / 2, f.At(f.Plane() * 5 / 4), w / 2, f.out.data(), f.Stride(),
                           w, h);
    });
}

void LibyuvNV12(benchmark::State& state, Size size) {
    PeerFrame f = MakePeerFrame(size, size_t(size.width) * size.height * 3 / 2);
    const int w = size.width, h = size.height;
    Measure(state, size, [&] { libyuv::NV12ToARGB(f.At(0), w, f.At(f.Plane()), w, f.out.data(), f.Stride(), w, h); });
}

// BT.709 studio range, as the converter's BT.709 rows.
void LibyuvNV12Bt709(benchmark::State& state, Size size) {
    PeerFrame f = MakePeerFrame(size, size_t(size.width) * size.height * 3 / 2);
    const int w = size.width, h = size.height;
    Measure(state, size, [&] {
        libyuv::NV12ToARGBMatrix(f.At(0), w, f.At(f.Plane()), w, f.out.data(), f.Stride(), &libyuv::kYuvH709Constants,
                                 w, h);
    });
}

void LibyuvP010Bt709(benchmark::State& state, Size size) {
    PeerFrame f = MakePeerFrame(size, size_t(size.width) * size.height * 3);
    const int w = size.width, h = size.height;
    const auto* words = reinterpret_cast<const uint16_t*>(f.source.data());
    Measure(state, size, [&] {
        libyuv::P010ToARGBMatrix(words, w, words + f.Plane(), w, f.out.data(), f.Stride(), &libyuv::kYuvH709Constants,
                                 w, h);
    });
}

void LibyuvH010(benchmark::State& state, Size size) {
    PeerFrame f = MakePeerFrame(size, size_t(size.width) * size.height * 3);
    const int w = size.width, h = size.height;
    const auto* words = reinterpret_cast<const uint16_t*>(f.source.data());
    for (size_t i = 0; i < f.source.size() / 2; ++i) const_cast<uint16_t*>(words)[i] &= 0x3FF;
    Measure(state, size, [&] {
        libyuv::H010ToARGB(words, w, words + f.Plane(), w / 2, words + f.Plane() * 5 / 4, w / 2, f.out.data(),
                           f.Stride(), w, h);
    });
}

void LibyuvH444(benchmark::State& state, Size size) {
    PeerFrame f = MakePeerFrame(size, size_t(size.width) * size.height * 3);
    const int w = size.width, h = size.height;
    Measure(state, size, [&] {
        libyuv::H444ToARGB(f.At(0), w, f.At(f.Plane()), w, f.At(f.Plane() * 2), w, f.out.data(), f.Stride(), w, h);
    });
}

void LibyuvYUY2(benchmark::State& state, Size size) {
    PeerFrame f = MakePeerFrame(size, size_t(size.width) * size.height * 2);
    const int w = size.width, h = size.height;
    Measure(state, size, [&] { libyuv::YUY2ToARGB(f.At(0), w * 2, f.out.data(), f.Stride(), w, h); });
}

void LibyuvRGB24(benchmark::State& state, Size size) {
    PeerFrame f = MakePeerFrame(size, size_t(size.width) * size.height * 3);
    const int w = size.width, h = size.height;
    Measure(state, size, [&] { libyuv::RGB24ToARGB(f.At(0), w * 3, f.out.data(), f.Stride(), w, h); });
}

// libswscale at the same size, BGRA out, with its default scaler flags (bicubic).
void Swscale(benchmark::State& state, AVPixelFormat format, Size size) {
    const int w = size.width, h = size.height;
    const size_t plane = size_t(w) * h;
    std::vector<uint8_t> source;
    const uint8_t* planes[4] = {};
    int strides[4] = {};
    switch (format) {
    case AV_PIX_FMT_YUV420P:
        source = RandomFrame(plane * 3 / 2);
        planes[0] = source.data(), planes[1] = planes[0] + plane, planes[2] = planes[1] + plane / 4;
        strides[0] = w, strides[1] = strides[2] = w / 2;
        break;
    case AV_PIX_FMT_NV12:
        source = RandomFrame(plane * 3 / 2);
        planes[0] = source.data(), planes[1] = planes[0] + plane;
        strides[0] = strides[1] = w;
        break;
    case AV_PIX_FMT_YUYV422:
        source = RandomFrame(plane * 2);
        planes[0] = source.data(), strides[0] = 2 * w;
        break;
    default:
        source = RandomFrame(plane * 3);
        planes[0] = source.data(), strides[0] = 3 * w;
        break;
    }
    std::vector<uint8_t> out(plane * 4);
    uint8_t* outPlanes[4] = {out.data()};
    const int outStrides[4] = {4 * w};
    SwsContext* context = sws_getContext(w, h, format, w, h, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!context) {
        state.SkipWithError("sws_getContext failed");
        return;
    }
    Measure(state, size, [&] { sws_scale(context, planes, strides, 0, h, outPlanes, outStrides); });
    sws_freeContext(context);
}

const char* PathName(ConversionPath path) {
    switch (path) {
    case ConversionPath::Table: return "table";
    case ConversionPath::Sse2: return "sse2";
    case ConversionPath::Avx2: return "avx2";
    case ConversionPath::Avx512: return "avx512";
    }
    return "?";
}

void RegisterAll() {
    using orvo::graph::ColorMatrix, orvo::graph::ColorRange;
    struct Format {
        const char* name;
        GUID subtype;
        bool vectorised;
        orvo::graph::VideoColorInfo color{ColorMatrix::Bt601, ColorRange::Limited};
    };
    const orvo::graph::VideoColorInfo bt709{ColorMatrix::Bt709, ColorRange::Limited};
    const Format formats[] = {
        {"YV12", MEDIASUBTYPE_YV12, true},
        {"IYUV", MEDIASUBTYPE_IYUV, true},
        {"NV12", MEDIASUBTYPE_NV12, true},
        {"YUY2", MEDIASUBTYPE_YUY2, true},
        {"RGB24", MEDIASUBTYPE_RGB24, true},
        {"RGB555", MEDIASUBTYPE_RGB555, false},
        {"RGB565", MEDIASUBTYPE_RGB565, false},
        {"NV12-709", MEDIASUBTYPE_NV12, true, bt709},
        {"P010-709", MEDIASUBTYPE_P010, true, bt709},
        {"yuv420p10-709", MEDIASUBTYPE_YUV420P10, true, bt709},
        {"444P-709", MEDIASUBTYPE_444P, true, bt709},
        {"yuv444p10-709", MEDIASUBTYPE_YUV444P10, true, bt709},
    };
    for (const Size& size : kSizes) {
        for (const Format& format : formats)
            for (ConversionPath path :
                 {ConversionPath::Table, ConversionPath::Sse2, ConversionPath::Avx2, ConversionPath::Avx512}) {
                if (!CColorSpaceConverter::IsSupported(path) || (path != ConversionPath::Table && !format.vectorised))
                    continue;
                const std::string name = std::string("convert/") + format.name + "/" + PathName(path) + "/" + size.Name();
                benchmark::RegisterBenchmark(name.c_str(), ConvertFrames, format.subtype, format.color, size, path)
                    ->Unit(benchmark::kMillisecond);
            }
        const std::pair<const char*, void (*)(benchmark::State&, Size)> libyuv[] = {
            {"I420ToARGB", LibyuvI420},          {"NV12ToARGB", LibyuvNV12},          {"YUY2ToARGB", LibyuvYUY2},
            {"RGB24ToARGB", LibyuvRGB24},        {"NV12ToARGBMatrix-709", LibyuvNV12Bt709},
            {"P010ToARGBMatrix-709", LibyuvP010Bt709}, {"H010ToARGB", LibyuvH010}, {"H444ToARGB", LibyuvH444}};
        for (const auto& [name, function] : libyuv)
            benchmark::RegisterBenchmark(("libyuv/" + std::string(name) + "/" + size.Name()).c_str(), function, size)
                ->Unit(benchmark::kMillisecond);
        const std::pair<const char*, AVPixelFormat> swscale[] = {{"yuv420p", AV_PIX_FMT_YUV420P},
                                                                 {"nv12", AV_PIX_FMT_NV12},
                                                                 {"yuyv422", AV_PIX_FMT_YUYV422},
                                                                 {"bgr24", AV_PIX_FMT_BGR24}};
        for (const auto& [name, format] : swscale)
            benchmark::RegisterBenchmark(("swscale/" + std::string(name) + "/" + size.Name()).c_str(), Swscale, format,
                                         size)
                ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
