// The Debian package as a user gets it: cpack -G DEB from the build, its control fields and
// files, Debian's validators (desktop entry, AppStream metainfo, lintian), the dependencies
// it declares checked against the packages this system has, and then the package unpacked
// into a clean root made by the test, whose launcher starts the player with the source and
// build folders out of sight. (dpkg -i --root would need a whole system in the root to
// satisfy the dependencies; unpacking with dpkg-deb and checking the list is what dpkg
// would do with them.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "InstallTools.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

namespace fs = std::filesystem;

std::string Field(const fs::path& deb, const char* name) {
    Result field = RunShell("dpkg-deb -f " + Quoted(deb.string()) + " " + name);
    while (!field.output.empty() && field.output.back() == '\n') field.output.pop_back();
    return field.output;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        part.erase(0, part.find_first_not_of(' '));
        part.erase(part.find_last_not_of(' ') + 1);
        if (!part.empty()) parts.push_back(part);
    }
    return parts;
}

// "name (>= version)" holds when the package is installed at that version or later.
bool Satisfied(const std::string& dependency, std::string& why) {
    const size_t open = dependency.find('(');
    const std::string name = dependency.substr(0, dependency.find(' '));
    const Result installed = RunShell("dpkg-query -W -f='${Status} ${Version}' " + Quoted(name));
    if (installed.status != 0 || installed.output.rfind("install ok installed ", 0) != 0) {
        why = name + " is not installed";
        return false;
    }
    if (open == std::string::npos) return true;
    const std::string version = installed.output.substr(std::string("install ok installed ").size());
    const std::vector<std::string> relation = Split(dependency.substr(open + 1, dependency.find(')') - open - 1), ' ');
    if (relation.size() != 2) return why = "cannot read " + dependency, false;
    const std::string op = relation[0] == ">=" ? "ge" : relation[0] == "<=" ? "le" : relation[0] == "=" ? "eq"
                           : relation[0] == ">>" ? "gt" : "lt";
    if (RunShell("dpkg --compare-versions " + Quoted(version) + " " + op + " " + Quoted(relation[1])).status == 0)
        return true;
    why = name + " " + version + " does not satisfy " + dependency;
    return false;
}

TEST(DebianPackage, BuiltValidatedUnpackedIntoACleanRootAndStarted) {
    if (!ORVO_HAS_PLAYER) GTEST_SKIP() << "OrvoPlayer is not part of this build";
    for (const char* tool : {"cpack", "dpkg-deb", "dpkg-shlibdeps", "desktop-file-validate", "appstreamcli"})
        if (RunShell(std::string("command -v ") + tool).status != 0) GTEST_SKIP() << tool << " is missing";
    char pattern[] = "/tmp/orvo-deb-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    const fs::path work = pattern;

    const Result packed = RunShell("cd " + Quoted(ORVO_BUILD_DIR) + " && " + Quoted(ORVO_CPACK) + " -G DEB -B " +
                                   Quoted((work / "out").string()));
    ASSERT_EQ(packed.status, 0) << packed.output;
    const std::string version = ORVO_VERSION;
    std::string architecture = RunShell("dpkg --print-architecture").output;
    architecture.erase(architecture.find_last_not_of('\n') + 1);
    const fs::path deb = work / "out" / ("orvo-player_" + version + "_" + architecture + ".deb");
    ASSERT_TRUE(fs::is_regular_file(deb)) << packed.output;

    EXPECT_EQ(Field(deb, "Package"), "orvo-player");
    EXPECT_EQ(Field(deb, "Version"), version);
    EXPECT_EQ(Field(deb, "Architecture"), architecture);
    const std::vector<std::string> depends = Split(Field(deb, "Depends"), ',');
    std::string names;
    for (const std::string& dependency : depends) names += dependency.substr(0, dependency.find(' ')) + " ";
    for (const char* library : {"libc6", "libstdc++6", "libqt6widgets6", "libqt6dbus6", "libavformat", "libavcodec",
                                "libasound2", "libxcb1", "qt6-qpa-plugins"})
        EXPECT_NE(names.find(library), std::string::npos) << library << " in " << names;
    for (const std::string& dependency : depends) {
        std::string why;
        bool any = false;
        for (const std::string& alternative : Split(dependency, '|')) any = any || Satisfied(alternative, why);
        EXPECT_TRUE(any) << why;
    }

    // The clean root: an empty folder with nothing but the package's files.
    const fs::path root = work / "root";
    fs::create_directories(root);
    const Result unpacked = RunShell("dpkg-deb -x " + Quoted(deb.string()) + " " + Quoted(root.string()));
    ASSERT_EQ(unpacked.status, 0) << unpacked.output;
    for (const char* file : {"usr/bin/OrvoPlayer", "usr/lib/orvo-player/OrvoPlayer", "usr/lib/orvo-player/libCore.so",
                             "usr/lib/orvo-player/LAVVideo.ax", "usr/share/applications/orvo-player.desktop",
                             "usr/share/icons/hicolor/256x256/apps/orvo-player.png",
                             "usr/share/metainfo/org.orvoplayer.OrvoPlayer.metainfo.xml",
                             "usr/share/man/man1/OrvoPlayer.1.gz", "usr/share/doc/orvo-player/README.md",
                             "usr/share/doc/orvo-player/copyright", "usr/share/doc/orvo-player/changelog.gz",
                             "usr/share/orvo-player/demo/stereo-demo.mkv"})
        EXPECT_TRUE(fs::is_regular_file(root / file)) << file;
    const std::string entry = ReadText(root / "usr/share/applications/orvo-player.desktop");
    EXPECT_NE(entry.find("\nExec=/usr/bin/OrvoPlayer %f\n"), std::string::npos) << entry;
    const Result manual = RunShell("zcat " + Quoted((root / "usr/share/man/man1/OrvoPlayer.1.gz").string()));
    EXPECT_NE(manual.output.find(".SH SYNOPSIS"), std::string::npos) << manual.output;

    // The validators; their output goes to the test's log.
    const Result desktop = RunShell("desktop-file-validate " + Quoted((root / "usr/share/applications/orvo-player.desktop").string()));
    std::printf("desktop-file-validate: status %d\n%s", desktop.status, desktop.output.c_str());
    EXPECT_EQ(desktop.status, 0) << desktop.output;
    EXPECT_EQ(desktop.output, "");
    const Result appstream = RunShell(
        "appstreamcli validate --no-net " + Quoted((root / "usr/share/metainfo/org.orvoplayer.OrvoPlayer.metainfo.xml").string()));
    std::printf("appstreamcli validate: status %d\n%s", appstream.status, appstream.output.c_str());
    EXPECT_EQ(appstream.status, 0) << appstream.output;
    if (RunShell("command -v lintian").status == 0) {
        const Result lintian = RunShell("lintian --no-tag-display-limit " + Quoted(deb.string()));
        std::printf("lintian: status %d\n%s", lintian.status, lintian.output.c_str());
        EXPECT_EQ(lintian.output.find("\nE: "), std::string::npos) << lintian.output;
        EXPECT_NE(lintian.output.rfind("E: ", 0), 0u) << lintian.output;
    } else {
        std::printf("lintian is not installed: not run\n");
    }

    if (!XvfbServer::Shared()) GTEST_SKIP() << "Xvfb missing: the launcher was not started";
    ORVO_REQUIRE_HIDING();
    const LauncherRun run =
        RunLauncherOnDemo(root / "usr/bin/OrvoPlayer", root / "usr/share/orvo-player/demo/stereo-demo.mkv");
    EXPECT_TRUE(run.window) << "the main window did not appear";
    EXPECT_TRUE(run.shown) << "the demo clip's picture in Panel1";
    EXPECT_EQ(run.status, 0);
    std::error_code ignored;
    fs::remove_all(work, ignored);
}

}  // namespace
}  // namespace orvo::test
