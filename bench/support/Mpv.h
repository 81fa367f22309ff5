#pragma once
// The peer player of the benchmarks: mpv, started from PATH with the options every benchmark
// gives it (no configuration, no sound, an X11 window of the case's size) and its own.
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace orvo::bench {

// mpv playing clip in a width x height window with options added; its standard output goes
// to /dev/null and its errors to errors. The process id, or -1 when mpv cannot start.
inline pid_t SpawnMpv(const std::string& clip, int width, int height, const std::vector<std::string>& options,
                      const std::string& errors = "/dev/null") {
    std::vector<std::string> args = {"mpv", "--no-config", "--really-quiet", "--no-audio", "--vo=x11",
                                     "--geometry=" + std::to_string(width) + "x" + std::to_string(height)};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(clip);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "mpv", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

}  // namespace orvo::bench
