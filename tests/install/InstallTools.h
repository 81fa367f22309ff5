#pragma once
// What the install tests share: shell commands run and read back, a private mount namespace
// that hides the source and build folders, and an installed launcher started on the demo
// clip and watched on the test's X server.
#include <filesystem>
#include <string>
#include <vector>

namespace orvo::test {

struct Result {
    int status = -1;
    std::string output;  // standard output and errors together
};

Result RunShell(const std::string& command);

// One word for sh, whatever it holds.
std::string Quoted(const std::string& text);

// The arguments that run the sh command in a mount namespace of its own, where the source
// and build folders are empty.
std::vector<std::string> Hidden(const std::string& command);

// Whether this system allows a private mount namespace; why not, when it does not.
bool CanHideFolders(std::string& why);

std::string ShellWords(const std::vector<std::string>& args);
std::string ReadText(const std::filesystem::path& path);

struct LauncherRun {
    bool window = false;  // the main window appeared
    bool shown = false;   // the demo clip's picture showed in Panel1
    int status = -1;      // the exit status after a close through the window manager
};

// Starts the launcher with the source and build folders hidden, on the left/right clip,
// watches the main window show the clip's sky, then closes it as a window manager would.
LauncherRun RunLauncherOnDemo(const std::filesystem::path& launcher, const std::filesystem::path& clip);

}  // namespace orvo::test

#define ORVO_REQUIRE_HIDING()                                                                      \
    do {                                                                                           \
        std::string why;                                                                           \
        if (!::orvo::test::CanHideFolders(why)) GTEST_SKIP() << "no private mount namespace (unshare): " << why; \
    } while (0)
