#include "InstallTools.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/ProgramWindows.h"
#include "tests/support/TestWindow.h"

namespace orvo::test {

using namespace std::chrono_literals;

Result RunShell(const std::string& command) {
    Result result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::vector<std::string> Hidden(const std::string& command) {
    std::vector<std::string> folders = {ORVO_BUILD_DIR, ORVO_SOURCE_DIR};
    // The deeper folder first: once its parent is covered it can no longer be reached.
    std::sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    std::string script;
    for (const std::string& folder : folders) script += "mount -t tmpfs orvo-hidden " + Quoted(folder) + " && ";
    script += "cd / && " + command;
    std::vector<std::string> args = {"unshare", "--mount"};
    // Without root, a user namespace grants the right to mount in it.
    if (geteuid() != 0) args.push_back("--map-root-user");
    args.insert(args.end(), {"sh", "-c", script});
    return args;
}

std::string ShellWords(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty()) line += ' ';
        line += Quoted(arg);
    }
    return line;
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool CanHideFolders(std::string& why) {
    const Result probe = RunShell(ShellWords(Hidden("true")));
    why = probe.output;
    return probe.status == 0;
}

LauncherRun RunLauncherOnDemo(const std::filesystem::path& launcher, const std::filesystem::path& clip) {
    LauncherRun run;
    const pid_t pid = StartProgram(Hidden("exec " + Quoted(launcher.string()) + " --left-right " + Quoted(clip.string())));
    if (pid <= 0) return run;
    XClient x;
    xcb_window_t window = XCB_NONE;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!window && std::chrono::steady_clock::now() < deadline) {
        window = x.FindTitled("Orvo-Player");
        std::this_thread::sleep_for(20ms);
    }
    run.window = window != XCB_NONE;

    // Panel1 lies above the strip of 41 pixels at the bottom, 288 rows high. While nothing
    // plays it shows the dark logo; the clip brings a bright sky into its top quarter.
    while (window && !run.shown && std::chrono::steady_clock::now() < deadline) {
        const auto [width, height] = x.Size(window);
        const std::vector<uint32_t> pixels = WindowPixels(HWND(window), width, height);
        const int top = height - 41 - 288;
        if (top < 0 || pixels.size() < size_t(width) * height) {
            std::this_thread::sleep_for(50ms);  // not mapped yet
            continue;
        }
        long sum = 0;
        for (int y = top; y < top + 72; ++y)
            for (int x0 = 0; x0 < width; ++x0) {
                const uint32_t p = pixels[size_t(y) * width + x0];
                sum += (p >> 16 & 255) + (p >> 8 & 255) + (p & 255);
            }
        run.shown = sum / (72L * width) > 400;
        if (!run.shown) std::this_thread::sleep_for(50ms);
    }

    if (window) x.SendDeleteWindow(window);
    run.status = WaitForExit(pid, 30s);
    if (run.status < 0) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    return run;
}

}  // namespace orvo::test
