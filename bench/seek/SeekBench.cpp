// Seek latency while playing: a 12 s 1920x1080 H.264 clip with key frames 10 s apart, and a
// 10 s 3840x2160 HEVC clip at 30 fps with key frames 250 frames apart, each in a window under Xvfb,
// beside mpv seeking exactly in the same clip through its JSON IPC, in the same run.
//
// One iteration is one seek, while playing, to a position seconds past the key frame before
// it. The manual time is from the request to the first frame at the new position: for the
// engine until its position leaves the target, which it reports until the first frame after
// it is shown; for mpv until its playback-restart event. call_ms (mean) and call_max_ms say
// how long the request blocked its caller: Lumex_ChannelSetPosition, or mpv's reply to its
// seek command.
//
//   bench_seek --benchmark_repetitions=3
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/support/Mpv.h"
#include "engine/api/Lumex.h"
#include "tests/media/MediaClip.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace {

using orvo::bench::SpawnMpv;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Case {
    const char* clip;
    int windowWidth, windowHeight;
    std::array<int, 4> targetsMs;  // each seconds past its key frame, and apart from the one before
};
constexpr Case kFullHd{"h264_1080p_gop10s.mkv", 1280, 720, {9000, 4000, 9600, 6000}};
constexpr Case kUhd{"hevc_2160p_gop250.mkv", 1920, 1080, {8000, 4000, 7000, 5000}};
const Case& CaseOf(const benchmark::State& state) { return state.range(0) == 2160 ? kUhd : kFullHd; }

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The blocking times of the seeks of one benchmark.
struct CallTimes {
    double sum = 0, worst = 0;
    int count = 0;
    void Add(Clock::duration d) {
        sum += Milliseconds(d);
        worst = std::max(worst, Milliseconds(d));
        ++count;
    }
    void Report(benchmark::State& state) const {
        if (!count) return;
        state.counters["call_ms"] = sum / count;
        state.counters["call_max_ms"] = worst;
    }
};

bool Prepare(benchmark::State& state, std::string& clip) {
    if (!orvo::test::XvfbServer::Shared()) return state.SkipWithError("Xvfb is not available"), false;
    clip = orvo::test::MediaClip(CaseOf(state).clip);
    if (clip.empty()) return state.SkipWithError("the clip could not be generated"), false;
    return true;
}

// Lets playback run on from the new position before the next seek.
constexpr auto kPlayBetweenSeeks = 300ms;
constexpr auto kGiveUp = 10s;

void BM_EngineSeek(benchmark::State& state) {
    std::string clip;
    if (!Prepare(state, clip) || Lumex_Init(0, 0) != 1) return;
    const Case& c = CaseOf(state);
    orvo::test::TestWindow window(0, 0, c.windowWidth, c.windowHeight, 0);
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    const uint32_t channel = Lumex_StreamCreateFile(clip.c_str(), 0, LUMEX_HWND(window.Handle()), 0);
    if (!channel || Lumex_ChannelPlay(channel) != 1) {
        state.SkipWithError("the engine cannot play the clip");
        Lumex_Free();
        return;
    }
    std::this_thread::sleep_for(500ms);
    CallTimes calls;
    size_t next = 0;
    for (auto _ : state) {
        const int targetMs = c.targetsMs[next++ % c.targetsMs.size()];
        const double target = double(targetMs) * 10'000;
        const auto start = Clock::now();
        Lumex_ChannelSetPosition(channel, targetMs, POS_MILLISECONDS);
        calls.Add(Clock::now() - start);
        while (Lumex_ChannelGetPosition(channel, POS_REFTIME) <= target && Clock::now() - start < kGiveUp)
            std::this_thread::sleep_for(1ms);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        std::this_thread::sleep_for(kPlayBetweenSeeks);
    }
    calls.Report(state);
    Lumex_StreamFree(channel);
    Lumex_Free();
}
BENCHMARK(BM_EngineSeek)->Arg(1080)->Arg(2160)->Iterations(8)->UseManualTime()->Unit(benchmark::kMillisecond);

// mpv with its JSON IPC on a socket: commands out, replies and events back, a line each.
class MpvSession {
public:
    MpvSession(const std::string& clip, const Case& c, const fs::path& folder) : m_socketPath(folder / "mpv.sock") {
        m_pid = SpawnMpv(clip, c.windowWidth, c.windowHeight,
                         {"--keep-open=always", "--hr-seek=yes", "--input-ipc-server=" + m_socketPath.string()});
        if (m_pid > 0) Connect();
    }
    ~MpvSession() {
        if (m_socket >= 0) {
            Send(R"({"command":["quit"]})");
            close(m_socket);
        }
        if (m_pid <= 0) return;
        int status = 0;
        const auto deadline = Clock::now() + 5s;
        while (waitpid(m_pid, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) kill(m_pid, SIGKILL);
            std::this_thread::sleep_for(10ms);
        }
    }
    bool Started() const { return m_socket >= 0; }

    bool Send(const std::string& line) {
        const std::string out = line + "\n";
        return write(m_socket, out.data(), out.size()) == ssize_t(out.size());
    }
    // The next line that came; false once the deadline has passed.
    bool NextLine(Clock::time_point deadline, std::string& line) {
        for (;;) {
            if (const size_t end = m_pending.find('\n'); end != std::string::npos) {
                line = m_pending.substr(0, end);
                m_pending.erase(0, end + 1);
                return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return false;
            pollfd p{m_socket, POLLIN, 0};
            if (poll(&p, 1, int(left.count())) <= 0) continue;
            char buffer[4096];
            const ssize_t got = read(m_socket, buffer, sizeof buffer);
            if (got <= 0) return false;
            m_pending.append(buffer, size_t(got));
        }
    }
    bool WaitFor(const std::string& text, Clock::duration timeout) {
        const auto deadline = Clock::now() + timeout;
        for (std::string line; NextLine(deadline, line);)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }

private:
    void Connect() {
        const auto deadline = Clock::now() + 10s;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        m_socketPath.string().copy(address.sun_path, sizeof address.sun_path - 1);
        while (Clock::now() < deadline) {
            const int s = socket(AF_UNIX, SOCK_STREAM, 0);
            if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                m_socket = s;
                return;
            }
            close(s);
            std::this_thread::sleep_for(20ms);
        }
    }

    fs::path m_socketPath;
    pid_t m_pid = -1;
    int m_socket = -1;
    std::string m_pending;
};

void BM_MpvSeek(benchmark::State& state) {
    std::string clip;
    if (!Prepare(state, clip)) return;
    const Case& c = CaseOf(state);
    const fs::path folder = fs::temp_directory_path() / ("orvo-bench-seek-" + std::to_string(getpid()));
    fs::create_directories(folder);
    {
        MpvSession mpv(clip, c, folder);
        if (!mpv.Started() || !mpv.WaitFor(R"("event":"playback-restart")", kGiveUp)) {
            state.SkipWithError("mpv is not installed or does not play the clip");
        } else {
            std::this_thread::sleep_for(500ms);
            CallTimes calls;
            size_t next = 0;
            int request = 0;
            for (auto _ : state) {
                const int targetMs = c.targetsMs[next++ % c.targetsMs.size()];
                const std::string id = std::to_string(++request);
                const auto start = Clock::now();
                mpv.Send(R"({"command":["seek",")" + std::to_string(targetMs / 1000.0) +
                         R"(","absolute+exact"],"request_id":)" + id + "}");
                // The reply and the restart, in whichever order they come.
                bool replied = false, restarted = false;
                const auto deadline = start + kGiveUp;
                for (std::string line; !(replied && restarted) && mpv.NextLine(deadline, line);) {
                    if (!replied && line.find(R"("request_id":)" + id) != std::string::npos) {
                        replied = true;
                        calls.Add(Clock::now() - start);
                    }
                    if (line.find(R"("event":"playback-restart")") != std::string::npos) restarted = true;
                }
                state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
                std::this_thread::sleep_for(kPlayBetweenSeeks);
            }
            calls.Report(state);
        }
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_MpvSeek)->Arg(1080)->Arg(2160)->Iterations(8)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
