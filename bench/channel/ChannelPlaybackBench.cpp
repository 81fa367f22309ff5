// A 30 s 1920x1080 25 fps H.264 clip played in real time as a side-by-side pair, in red/cyan,
// into a 1280x720 window under Xvfb, beside mpv playing the same clip through its stereo3d
// filter into an X11 window of the same size; and a 3840x2160 HEVC side-by-side clip at 30 fps
// into a 1920x1080 window the same two ways. One iteration is one whole playback (the
// engine's lasts until its renderer has drawn its last frame); the counters are the frames the
// renderer dropped and drew with their mean lateness in ms (late_ms), the CPU seconds of the
// player (cpu_s), of the X server during the playback (x_cpu_s), and both together
// (total_cpu_s), so that work moved to the server is not hidden.
//
//   bench_channel --benchmark_repetitions=3
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <sstream>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include "bench/support/Mpv.h"
#include "engine/channel/ChannelRegistry.h"
#include "engine/api/Lumex.h"
#include "tests/media/MediaClip.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The clips' pictures are coding patterns, not two eye views; what the players do with them
// (decode, split, mix the halves, scale, present) costs the same.
struct Case {
    const char* clip;
    int windowWidth, windowHeight;
};
constexpr Case kFullHd{"h264_1080p_30s.mkv", 1280, 720};
constexpr Case kUhd{"hevc_2160p_sbs_30fps.mkv", 1920, 1080};
const Case& CaseOf(const benchmark::State& state) { return state.range(0) == 2160 ? kUhd : kFullHd; }

double CpuSeconds(const rusage& u) {
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// User and system CPU seconds a process has used so far, from /proc; 0 when it cannot be read.
double ProcessCpuSeconds(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (pid <= 0 || !std::getline(in, line)) return 0;
    // Fields after the parenthesised command name; utime and stime are fields 14 and 15.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

double ServerCpuSeconds() { return ProcessCpuSeconds(orvo::test::XvfbServer::Shared()->pid()); }

struct Playback {
    double wallSeconds = 0, cpuSeconds = 0, serverCpuSeconds = 0;
    int dropped = -1, drawn = -1;
    int lateMs = INT_MIN;  // the renderer's mean lateness of the frames it drew, in ms (negative: early)
};

void Report(benchmark::State& state, const Playback& p) {
    state.SetIterationTime(p.wallSeconds);
    state.counters["cpu_s"] = p.cpuSeconds;
    state.counters["x_cpu_s"] = p.serverCpuSeconds;
    state.counters["total_cpu_s"] = p.cpuSeconds + p.serverCpuSeconds;
    state.counters["dropped"] = p.dropped;
    if (p.drawn >= 0) state.counters["drawn"] = p.drawn;
    if (p.lateMs != INT_MIN) state.counters["late_ms"] = p.lateMs;
}

bool Prepare(benchmark::State& state, std::string& clip) {
    if (!orvo::test::XvfbServer::Shared()) return state.SkipWithError("Xvfb is not available"), false;
    clip = orvo::test::MediaClip(CaseOf(state).clip);
    if (clip.empty()) return state.SkipWithError("the clip could not be generated"), false;
    return true;
}

// The delivery statistics of the channel's own renderer filter.
void ReadRendererStatistics(uint32_t channel, Playback& p) {
    const auto record = orvo::engine::Channels().Lookup(channel);
    ComPtr<IBaseFilter> renderer;
    if (!record || FAILED(record->graph->FindFilterByName(u"User Video Renderer", renderer.Put()))) return;
    if (ComPtr<IQualProp> quality = renderer.As<IQualProp>()) {
        quality->get_FramesDroppedInFilter(&p.dropped);
        quality->get_FramesDrawn(&p.drawn);
        quality->get_AvgSyncOffset(&p.lateMs);
    }
}

Playback PlayWithEngine(const std::string& clip, HWND window) {
    Playback p;
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    const uint32_t channel = Lumex_StreamCreateFile(clip.c_str(), 0, LUMEX_HWND(window), 0);
    if (!channel) return p;
    Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, STEREO_SIDE_BY_SIDE);
    Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, VIEW_RED_CYAN);
    const double end = Lumex_ChannelGetLength(channel, POS_REFTIME);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const double serverBefore = ServerCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    Lumex_ChannelPlay(channel);
    while (Lumex_ChannelGetPosition(channel, POS_REFTIME) < end && std::chrono::steady_clock::now() - start < 90s)
        std::this_thread::sleep_for(20ms);
    // Frames up to 100 ms late are still shown: the clock can reach the end while they are
    // on their way. Their work counts too, so wait until the renderer stops drawing.
    for (int drawn = -1;;) {
        ReadRendererStatistics(channel, p);
        if (p.drawn == drawn || std::chrono::steady_clock::now() - start > 120s) break;
        drawn = p.drawn;
        std::this_thread::sleep_for(500ms);
    }
    p.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    getrusage(RUSAGE_SELF, &after);
    p.serverCpuSeconds = ServerCpuSeconds() - serverBefore;
    p.cpuSeconds = CpuSeconds(after) - CpuSeconds(before);
    Lumex_StreamFree(channel);
    return p;
}

void BM_EngineRedCyan(benchmark::State& state) {
    std::string clip;
    if (!Prepare(state, clip) || Lumex_Init(0, 0) != 1) return;
    orvo::test::TestWindow window(0, 0, CaseOf(state).windowWidth, CaseOf(state).windowHeight, 0);
    for (auto _ : state) Report(state, PlayWithEngine(clip, window.Handle()));
    Lumex_Free();
}
BENCHMARK(BM_EngineRedCyan)->Arg(1080)->Arg(2160)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// mpv reports its drop counts from a script when the file unloads.
constexpr const char* kDropScript =
    "mp.add_hook('on_unload', 50, function()\n"
    "  io.stderr:write(string.format('dropped %d %d\\n', mp.get_property_number('frame-drop-count', -1),\n"
    "                                mp.get_property_number('decoder-frame-drop-count', -1)))\n"
    "end)\n";

Playback PlayWithMpv(const std::string& clip, const Case& c, const fs::path& folder) {
    Playback p;
    const fs::path script = folder / "drops.lua", log = folder / "mpv.log";
    std::ofstream(script) << kDropScript;
    const double serverBefore = ServerCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = orvo::bench::SpawnMpv(clip, c.windowWidth, c.windowHeight,
                                            {"--vf=stereo3d=sbsl:arcc", "--script=" + script.string()}, log.string());
    if (pid < 0) return p;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    p.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    p.serverCpuSeconds = ServerCpuSeconds() - serverBefore;
    p.cpuSeconds = CpuSeconds(usage);
    std::ifstream in(log);
    for (std::string word; in >> word;) {
        if (word != "dropped") continue;
        int decoder = 0;
        in >> p.dropped >> decoder;
        p.dropped += decoder;
    }
    return p;
}

void BM_MpvStereo3dRedCyan(benchmark::State& state) {
    std::string clip;
    if (!Prepare(state, clip)) return;
    const fs::path folder = fs::temp_directory_path() / ("orvo-bench-mpv-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (auto _ : state) {
        const Playback p = PlayWithMpv(clip, CaseOf(state), folder);
        if (p.wallSeconds == 0) {
            state.SkipWithError("mpv is not installed");
            break;
        }
        Report(state, p);
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_MpvStereo3dRedCyan)->Arg(1080)->Arg(2160)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
