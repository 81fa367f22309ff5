#include "tests/media/MediaClip.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>

#include "tests/media/ClipCatalog.h"

extern char** environ;

namespace orvo::test {
namespace {

bool RunGenerator(const std::string& name, const std::string& output) {
    std::string program = ORVO_MEDIA_GENERATOR;
    char* argv[] = {program.data(), const_cast<char*>(name.c_str()), const_cast<char*>(output.c_str()), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::string MediaClip(std::string_view name) {
    if (!FindClip(name)) return {};
    static std::mutex generating;
    std::lock_guard lock(generating);
    const std::filesystem::path folder = ORVO_TEST_MEDIA_DIR;
    const std::filesystem::path clip = folder / name;
    std::error_code error;
    if (std::filesystem::exists(clip, error)) return clip.string();
    std::filesystem::create_directories(folder, error);
    // Test programs may run side by side: each writes its own part file and the rename is atomic.
    const std::filesystem::path part = folder / (std::string(name) + "." + std::to_string(getpid()) + ".part");
    if (!RunGenerator(std::string(name), part.string())) {
        std::filesystem::remove(part, error);
        return {};
    }
    std::filesystem::rename(part, clip, error);
    return error ? std::string() : clip.string();
}

}  // namespace orvo::test
