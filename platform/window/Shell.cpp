#include "platform/window/Shell.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <system_error>
#include <thread>

#include "platform/com/TextConversion.h"

extern char** environ;

namespace {

bool IsOpenVerb(LPCWSTR verb) { return !verb || std::u16string_view(verb) == u"open"; }

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, int) {
    if (!IsOpenVerb(verb)) return SE_ERR_NOASSOC;
    if (!file || !*file) return SE_ERR_FNF;
    std::string target = orvo::com::Utf16ToUtf8(file);
    char program[] = "xdg-open";
    char* argv[] = {program, target.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return SE_ERR_FNF;
    // Reaped off the caller's thread: the opener may wait for the application it starts.
    // Without a thread to spare, the caller waits rather than leave a zombie.
    try {
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    } catch (const std::system_error&) {
        waitpid(pid, nullptr, 0);
    }
    return SE_ERR_STARTED;
}
