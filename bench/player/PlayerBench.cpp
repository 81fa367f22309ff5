// OrvoPlayer as a user starts it, on a private 1920x1080 Xvfb:
// - first frame: from starting `OrvoPlayer --left-right CLIP` to the clip's picture on the
//   screen, beside `mpv` showing the same clip (as it stands) in an X11 window at the same place;
// - the player's CPU (percent of one core) and resident memory while idle and while playing
//   a 1920x1080 25 fps H.264 clip, beside the engine alone playing that clip into a window of
//   the same size with the same modes (this process, no Qt).
//
//   bench_player
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "Lumex.h"
#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using orvo::test::Rgb;

constexpr const char* kStereoClip = "sbs_solid.mkv";
constexpr const char* kFullHdClip = "h264_1080p_30s.mkv";
constexpr auto kSettle = 3s, kMeasure = 10s;

pid_t Spawn(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

bool Near(uint32_t pixel, Rgb c) {
    const int r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
    return std::abs(r - c.r) <= 6 && std::abs(g - c.g) <= 6 && std::abs(b - c.b) <= 6;
}

// Polls a block at the centre of the screen, where both players' windows sit, until one of
// the clip's colours shows; the seconds that took, or -1 after 20 s.
double SecondsToPicture(std::chrono::steady_clock::time_point start) {
    constexpr Rgb left = orvo::test::SolidViewPixel(0), right = orvo::test::SolidViewPixel(1);
    constexpr Rgb blueYellow{left.r, left.g, right.b};
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const int16_t x = int16_t(screen->width_in_pixels / 2 - 32), y = int16_t(screen->height_in_pixels / 2 - 32);
    double seconds = -1;
    while (seconds < 0 && std::chrono::steady_clock::now() - start < 20s) {
        xcb_get_image_reply_t* image = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, x, y, 64, 64, ~0u), nullptr);
        if (image) {
            const auto* pixels = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image));
            for (int i = 0; i < 64 * 64 && seconds < 0; ++i)
                if (Near(pixels[i], blueYellow) || Near(pixels[i], left) || Near(pixels[i], right))
                    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::free(image);
        }
        std::this_thread::sleep_for(2ms);
    }
    xcb_disconnect(c);
    return seconds;
}

bool Prepare(benchmark::State& state, const char* clipName, std::string& clip) {
    if (!orvo::test::XvfbServer::Shared()) return state.SkipWithError("Xvfb is not available"), false;
    clip = orvo::test::MediaClip(clipName);
    if (clip.empty()) return state.SkipWithError("the clip could not be generated"), false;
    return true;
}

void FirstFrame(benchmark::State& state, const std::vector<std::string>& command) {
    std::string clip;
    if (!Prepare(state, kStereoClip, clip)) return;
    for (auto _ : state) {
        std::vector<std::string> args = command;
        args.push_back(clip);
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = Spawn(args);
        if (pid < 0) return state.SkipWithError((args[0] + " cannot be started").c_str());
        const double seconds = SecondsToPicture(start);
        Stop(pid);
        if (seconds < 0) return state.SkipWithError("no picture within 20 s");
        state.SetIterationTime(seconds);
    }
}

void BM_FirstFrameOrvoPlayer(benchmark::State& state) { FirstFrame(state, {ORVO_PLAYER_PROGRAM, "--left-right"}); }
BENCHMARK(BM_FirstFrameOrvoPlayer)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FirstFrameMpv(benchmark::State& state) {
    FirstFrame(state, {"mpv", "--no-config", "--really-quiet", "--vo=x11", "--geometry=505x288+707+396"});
}
BENCHMARK(BM_FirstFrameMpv)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// CPU seconds (user + system) of a process, from /proc.
double ProcessCpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string skip;
    for (int i = 3; i < 14; ++i) fields >> skip;
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) / double(sysconf(_SC_CLK_TCK));
}

double ResidentMegabytes(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void Usage(benchmark::State& state, std::vector<std::string> args) {
    if (!orvo::test::XvfbServer::Shared()) return state.SkipWithError("Xvfb is not available");
    for (auto _ : state) {
        const pid_t pid = Spawn(args);
        if (pid < 0) return state.SkipWithError("the player cannot be started");
        std::this_thread::sleep_for(kSettle);
        const double before = ProcessCpuSeconds(pid);
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(kMeasure);
        const double cpu = ProcessCpuSeconds(pid) - before;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["cpu_percent"] = 100.0 * cpu / wall;
        state.counters["rss_mb"] = ResidentMegabytes(pid);
        Stop(pid);
        state.SetIterationTime(wall);
    }
}

void BM_PlayerIdle(benchmark::State& state) { Usage(state, {ORVO_PLAYER_PROGRAM}); }
BENCHMARK(BM_PlayerIdle)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_PlayerPlayingFullHd(benchmark::State& state) {
    std::string clip;
    if (!Prepare(state, kFullHdClip, clip)) return;
    Usage(state, {ORVO_PLAYER_PROGRAM, "--2d", clip});
}
BENCHMARK(BM_PlayerPlayingFullHd)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

double SelfCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// What the player asks of the engine for a 2D file, into a window of Panel1's size.
void BM_EngineAlonePlayingFullHd(benchmark::State& state) {
    std::string clip;
    if (!Prepare(state, kFullHdClip, clip) || Lumex_Init(0, 0) != 1) return;
    orvo::test::TestWindow window(0, 0, 505, 288, 0);
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    for (auto _ : state) {
        const uint32_t channel = Lumex_StreamCreateFile(clip.c_str(), 0, LUMEX_HWND(window.Handle()), 0);
        if (!channel) return state.SkipWithError("the clip does not open");
        Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, STEREO_FLAT);
        Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, VIEW_BLUE_YELLOW);
        Lumex_ChannelSetAttribute(channel, ATTRIB_VOLUME, 100);
        Lumex_ChannelPlay(channel);
        std::this_thread::sleep_for(kSettle);
        const double before = SelfCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(kMeasure);
        const double cpu = SelfCpuSeconds() - before;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["cpu_percent"] = 100.0 * cpu / wall;
        state.counters["rss_mb"] = ResidentMegabytes(getpid());
        Lumex_StreamFree(channel);
        state.SetIterationTime(wall);
    }
    Lumex_Free();
}
BENCHMARK(BM_EngineAlonePlayingFullHd)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
