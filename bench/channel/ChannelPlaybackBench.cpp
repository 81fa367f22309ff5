// A 30 s 1920x1080 25 fps H.264 clip played in real time as a side-by-side pair, in red/cyan,
// into a 1280x720 window under Xvfb, beside mpv playing the same clip through its stereo3d
// filter into an X11 window of the same size. One iteration is one whole playback; the
// counters are the frames the renderer dropped and the CPU seconds the player used (the
// X server's own work is counted for neither).
//
//   bench_channel --benchmark_repetitions=5
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include "engine/api/ChannelRegistry.h"
#include "engine/api/Lumex.h"
#include "tests/media/MediaClip.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kWindowWidth = 1280, kWindowHeight = 720;
// The clip's picture is a coding pattern, not two eye views; what the players do with it
// (decode, split, mix the halves, scale, present) costs the same.
constexpr const char* kClip = "h264_1080p_30s.mkv";

double CpuSeconds(const rusage& u) {
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Playback {
    double wallSeconds = 0, cpuSeconds = 0;
    int dropped = -1, drawn = -1;
};

void Report(benchmark::State& state, const Playback& p) {
    state.SetIterationTime(p.wallSeconds);
    state.counters["cpu_s"] = p.cpuSeconds;
    state.counters["dropped"] = p.dropped;
    if (p.drawn >= 0) state.counters["drawn"] = p.drawn;
}

bool Prepare(benchmark::State& state, std::string& clip) {
    if (!orvo::test::XvfbServer::Shared()) return state.SkipWithError("Xvfb is not available"), false;
    clip = orvo::test::MediaClip(kClip);
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
    const auto start = std::chrono::steady_clock::now();
    Lumex_ChannelPlay(channel);
    while (Lumex_ChannelGetPosition(channel, POS_REFTIME) < end && std::chrono::steady_clock::now() - start < 90s)
        std::this_thread::sleep_for(20ms);
    p.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    getrusage(RUSAGE_SELF, &after);
    p.cpuSeconds = CpuSeconds(after) - CpuSeconds(before);
    ReadRendererStatistics(channel, p);
    Lumex_StreamFree(channel);
    return p;
}

void BM_EngineRedCyan(benchmark::State& state) {
    std::string clip;
    if (!Prepare(state, clip) || Lumex_Init(0, 0) != 1) return;
    orvo::test::TestWindow window(0, 0, kWindowWidth, kWindowHeight, 0);
    for (auto _ : state) Report(state, PlayWithEngine(clip, window.Handle()));
    Lumex_Free();
}
BENCHMARK(BM_EngineRedCyan)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// mpv reports its drop counts from a script when the file unloads.
constexpr const char* kDropScript =
    "mp.add_hook('on_unload', 50, function()\n"
    "  io.stderr:write(string.format('dropped %d %d\\n', mp.get_property_number('frame-drop-count', -1),\n"
    "                                mp.get_property_number('decoder-frame-drop-count', -1)))\n"
    "end)\n";

Playback PlayWithMpv(const std::string& clip, const fs::path& folder) {
    Playback p;
    const fs::path script = folder / "drops.lua", log = folder / "mpv.log";
    std::ofstream(script) << kDropScript;
    std::vector<std::string> args = {"mpv",
                                     "--no-config",
                                     "--really-quiet",
                                     "--no-audio",
                                     "--vo=x11",
                                     "--vf=stereo3d=sbsl:arcc",
                                     "--geometry=" + std::to_string(kWindowWidth) + "x" + std::to_string(kWindowHeight),
                                     "--script=" + script.string(),
                                     clip};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "mpv", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return p;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    p.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
        const Playback p = PlayWithMpv(clip, folder);
        if (p.wallSeconds == 0) {
            state.SkipWithError("mpv is not installed");
            break;
        }
        Report(state, p);
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_MpvStereo3dRedCyan)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
