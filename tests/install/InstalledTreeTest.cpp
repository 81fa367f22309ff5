// cmake --install into a temporary prefix, then the installed tree used as a user or an
// embedding program would, with the source and build folders out of sight: a private mount
// namespace lays empty folders over both, so anything that still reached back into either
// (a run path, a plug-in looked up by its build location, a header path) fails there.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "InstallTools.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/orvo-install-XXXXXX";
        if (!mkdtemp(pattern)) return;
        s_root = pattern;
        s_prefix = s_root / "prefix";
        s_install = RunShell(std::string(ORVO_CMAKE) + " --install " + Quoted(ORVO_BUILD_DIR) + " --prefix " +
                             Quoted(s_prefix.string()));
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        if (!s_root.empty()) fs::remove_all(s_root, ignored);
    }
    void SetUp() override {
        ASSERT_FALSE(s_root.empty()) << "no temporary folder";
        ASSERT_EQ(s_install.status, 0) << s_install.output;
    }

    static fs::path s_root, s_prefix;
    static Result s_install;
};
fs::path InstalledTree::s_root, InstalledTree::s_prefix;
Result InstalledTree::s_install;

TEST_F(InstalledTree, HoldsTheLayoutWithOnlyRelativeLinks) {
    struct Entry {
        const char* path;
        bool executable;
    };
    std::vector<Entry> entries = {
        {"bin/OrvoPlayer", true},
        {"lib/orvo-player/libCore.so", false},
        {"lib/orvo-player/libPlatform.so", false},
        {"lib/orvo-player/LAVSplitter.ax", false},
        {"lib/orvo-player/LAVVideo.ax", false},
        {"lib/orvo-player/LAVAudio.ax", false},
        {"share/applications/orvo-player.desktop", false},
        {"share/icons/hicolor/256x256/apps/orvo-player.png", false},
        {"share/orvo-player/demo/stereo-demo.mkv", false},
        {"include/orvo/Lumex.h", false},
        {"lib/pkgconfig/orvo-core.pc", false},
        {"share/doc/orvo-player/README.md", false},
        {"share/man/man1/OrvoPlayer.1.gz", false},
        {"share/metainfo/org.orvoplayer.OrvoPlayer.metainfo.xml", false},
    };
    if (ORVO_HAS_PLAYER) entries.push_back({"lib/orvo-player/OrvoPlayer", true});
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.path);
        const fs::path path = s_prefix / entry.path;
        ASSERT_TRUE(fs::is_regular_file(path));
        if (entry.executable) {
            EXPECT_NE(fs::status(path).permissions() & fs::perms::owner_exec, fs::perms::none);
        }
    }

    // The program, the libraries and the plug-ins find each other beside themselves.
    for (const auto& file : fs::directory_iterator(s_prefix / "lib/orvo-player")) {
        SCOPED_TRACE(file.path().string());
        const Result dynamic = RunShell("readelf -d " + Quoted(file.path().string()));
        ASSERT_EQ(dynamic.status, 0) << dynamic.output;
        EXPECT_NE(dynamic.output.find("(RUNPATH)            Library runpath: [$ORIGIN]"), std::string::npos)
            << dynamic.output;
    }

    // The text files name the installed tree, never the source or the build folder.
    for (const char* text :
         {"bin/OrvoPlayer", "share/applications/orvo-player.desktop", "lib/pkgconfig/orvo-core.pc"}) {
        SCOPED_TRACE(text);
        const std::string content = ReadText(s_prefix / text);
        EXPECT_EQ(content.find(ORVO_SOURCE_DIR), std::string::npos) << content;
        EXPECT_EQ(content.find(ORVO_BUILD_DIR), std::string::npos) << content;
    }

    // A valid desktop entry that opens video files with the installed launcher.
    const fs::path desktop = s_prefix / "share/applications/orvo-player.desktop";
    const Result valid = RunShell("desktop-file-validate " + Quoted(desktop.string()));
    EXPECT_EQ(valid.status, 0) << valid.output;
    EXPECT_EQ(valid.output, "");
    const std::string entry = ReadText(desktop);
    EXPECT_NE(entry.find("\nExec=" + (s_prefix / "bin/OrvoPlayer").string() + " %f\n"), std::string::npos) << entry;
    for (const char* type : {"video/mp4;", "video/x-matroska;", "video/webm;", "video/x-msvideo;", "video/quicktime;"})
        EXPECT_NE(entry.find(type), std::string::npos) << type;
}

// A C program built from nothing but the installed header and pkg-config file plays the
// installed demo clip into its window, with the plug-ins found beside libCore.so.
TEST_F(InstalledTree, EmbedderBuiltWithItsPkgConfigFilePlaysAClip) {
    ORVO_REQUIRE_DISPLAY();
    ORVO_REQUIRE_HIDING();
    const fs::path work = s_root / "embedder";
    fs::create_directories(work);
    fs::copy_file(ORVO_EMBEDDER_SOURCE, work / "play_installed.c", fs::copy_options::overwrite_existing);
    const std::string program = (work / "play_installed").string();
    const std::string command = "export PKG_CONFIG_PATH=" + Quoted((s_prefix / "lib/pkgconfig").string()) + " && " +
                                ORVO_C_COMPILER + " -std=c11 -Wall -Werror " + ORVO_EMBEDDER_FLAGS + " " +
                                Quoted((work / "play_installed.c").string()) + " -o " + Quoted(program) +
                                " $(pkg-config --cflags --libs orvo-core xcb) && " + Quoted(program) + " " +
                                Quoted((s_prefix / "share/orvo-player/demo/stereo-demo.mkv").string());
    const Result played = RunShell(ShellWords(Hidden(command)));
    EXPECT_EQ(played.status, 0) << played.output;
    EXPECT_NE(played.output.find("pixels lit"), std::string::npos) << played.output;
}

// The installed launcher starts the installed program on the installed demo clip: the sky of
// the clip shows in Panel1, and the program closes through the window manager's protocol with
// status 0 (under AddressSanitizer a leak would make it non-zero).
TEST_F(InstalledTree, LauncherStartsThePlayerOnTheDemoClip) {
    if (!ORVO_HAS_PLAYER) GTEST_SKIP() << "OrvoPlayer is not part of this build";
    ORVO_REQUIRE_DISPLAY();
    ORVO_REQUIRE_HIDING();
    const LauncherRun run = RunLauncherOnDemo(s_prefix / "bin/OrvoPlayer", s_prefix / "share/orvo-player/demo/stereo-demo.mkv");
    EXPECT_TRUE(run.window) << "the main window did not appear";
    EXPECT_TRUE(run.shown) << "the demo clip's picture in Panel1";
    EXPECT_EQ(run.status, 0);
}

}  // namespace
}  // namespace orvo::test
