// CPU time of decoding a 1920x1080 H.264 clip, and a 3840x2160 side-by-side HEVC clip at 30 fps,
// through the splitter and the video decoder into a sink that discards, beside FFmpeg's own
// command line decoding the same clip to its null output, both with FFmpeg's automatic thread
// count. Time is CPU seconds (all threads); wall_s is the elapsed time, which with all frames
// decoded as fast as they can be shows whether decoding alone keeps up with the frame rate.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/com/TextConversion.h"
#include "platform/filters/ffmpeg/FFmpegFilters.h"
#include "platform/graph/BaseFilter.h"
#include "platform/graph/BasePin.h"
#include "tests/ffmpeg/SinkFilter.h"
#include "tests/media/MediaClip.h"

extern char** environ;

namespace {

using namespace orvo;

const CLSID kBench = MakeGuid("{9B1D3F5A-7C2E-4A6B-8D0F-1E3C5A7B9D21}");
const CLSID kNull = MakeGuid("{9B1D3F5A-7C2E-4A6B-8D0F-1E3C5A7B9D22}");

class CNullSink;

class CNullPin final : public CBaseInputPin {
public:
    CNullPin(CBaseFilter* filter, CNullSink* sink) : CBaseInputPin(filter, u"In"), m_sink(sink) {}
    HRESULT CheckMediaType(const graph::MediaType& type) override {
        return type.subtype == MEDIASUBTYPE_IYUV ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;

private:
    CNullSink* m_sink;
};

// Takes every picture and drops it.
class CNullSink final : public CBaseFilter {
public:
    CNullSink() : CBaseFilter(kNull), m_pin(this, this) {}
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override { return index == 0 ? &m_pin : nullptr; }
    void End() {
        std::lock_guard lock(m_lock);
        m_ended = true;
        m_changed.notify_all();
    }
    void WaitForEnd() {
        std::unique_lock lock(m_lock);
        m_changed.wait(lock, [&] { return m_ended; });
    }
    std::atomic<int> frames{0};

private:
    CNullPin m_pin;
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_ended = false;
};

HRESULT CNullPin::Receive(IMediaSample* sample) {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr == S_OK) ++m_sink->frames;
    return hr;
}

HRESULT CNullPin::EndOfStream() {
    m_sink->End();
    return S_OK;
}

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// Arg 1080: the 1920x1080 H.264 clip; 2160: the 3840x2160 side-by-side HEVC clip at 30 fps.
const std::string& Clip(const benchmark::State& state) {
    static const std::string fullHd = test::MediaClip("h264_1080p.mkv");
    static const std::string uhd = test::MediaClip("hevc_2160p_sbs_30fps.mkv");
    return state.range(0) == 2160 ? uhd : fullHd;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void BM_SplitterAndVideoDecoder(benchmark::State& state) {
    if (Clip(state).empty()) return state.SkipWithError("clip not generated");
    for (auto _ : state) {
        ComPtr<IBaseFilter> splitter, decoder, sink;
        ffmpeg::CreateSplitterFilter(kBench, IID_IBaseFilter, splitter.PutVoid());
        ffmpeg::CreateVideoDecoderFilter(kBench, ffmpeg::CodecSet::All, IID_IBaseFilter, decoder.PutVoid());
        CreateComObject<CNullSink>(IID_IBaseFilter, sink.PutVoid());
        ComPtr<IFileSourceFilter> source;
        splitter->QueryInterface(IID_IFileSourceFilter, source.PutVoid());
        if (FAILED(source->Load(com::Utf8ToUtf16(Clip(state)).c_str(), nullptr)) ||
            test::PinAt(splitter.Get(), 0)->Connect(test::PinAt(decoder.Get(), 0).Get(), nullptr) != S_OK ||
            test::PinAt(decoder.Get(), 1)->Connect(test::PinAt(sink.Get(), 0).Get(), nullptr) != S_OK)
            return state.SkipWithError("graph not built");
        const double before = CpuSeconds(RUSAGE_SELF), wallBefore = WallSeconds();
        for (IBaseFilter* f : {sink.Get(), decoder.Get(), splitter.Get()}) f->Pause();
        for (IBaseFilter* f : {sink.Get(), decoder.Get(), splitter.Get()}) f->Run(0);
        static_cast<CNullSink*>(sink.Get())->WaitForEnd();
        const double cpu = CpuSeconds(RUSAGE_SELF) - before;
        const int frames = static_cast<CNullSink*>(sink.Get())->frames.load();
        state.SetIterationTime(cpu);
        state.counters["frames"] = frames;
        state.counters["wall_s"] = WallSeconds() - wallBefore;
        if (frames > 0) state.counters["cpu_ms_per_frame"] = cpu * 1000 / frames;
        for (IBaseFilter* f : {sink.Get(), decoder.Get(), splitter.Get()}) f->Stop();
        // Connected pins hold each other's filters.
        test::PinAt(splitter.Get(), 0)->Disconnect(), test::PinAt(decoder.Get(), 0)->Disconnect();
        test::PinAt(decoder.Get(), 1)->Disconnect(), test::PinAt(sink.Get(), 0)->Disconnect();
    }
}

void BM_FfmpegCommandLine(benchmark::State& state) {
    if (Clip(state).empty()) return state.SkipWithError("clip not generated");
    for (auto _ : state) {
        std::string clip = Clip(state);
        const char* argv[] = {"ffmpeg", "-v", "error", "-nostdin", "-threads", "0", "-i", clip.c_str(), "-f", "null", "-",
                              nullptr};
        const double wallBefore = WallSeconds();
        pid_t child = 0;
        if (posix_spawnp(&child, "ffmpeg", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            return state.SkipWithError("ffmpeg not found");
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        state.counters["wall_s"] = WallSeconds() - wallBefore;
        state.SetIterationTime(double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6);
    }
}

BENCHMARK(BM_SplitterAndVideoDecoder)->Arg(1080)->Arg(2160)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FfmpegCommandLine)->Arg(1080)->Arg(2160)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
