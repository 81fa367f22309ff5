// The "open" verb. No desktop runs here, so a stand-in xdg-open early on PATH records
// what it was asked to open.
#include "platform/window/Shell.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("orvo-shell-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        m_record = m_dir / "opened";
        const fs::path opener = m_dir / "xdg-open";
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << m_record.string() << ".tmp'\nmv '"
                              << m_record.string() << ".tmp' '" << m_record.string() << "'\n";
        fs::permissions(opener, fs::perms::owner_all);
        m_path = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (m_dir.string() + ":" + m_path).c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", m_path.c_str(), 1);
        fs::remove_all(m_dir);
    }

    std::string Opened() {
        for (int i = 0; i < 500 && !fs::exists(m_record); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(m_record);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path m_dir, m_record;
    std::string m_path;
};

TEST_F(ShellTest, OpenHandsTheAddressToTheOpener) {
    EXPECT_GT(ShellExecuteW(0, u"open", u"https://example.org/orvo?x=1&y=ü", nullptr, nullptr, SW_SHOWNORMAL), 32);
    EXPECT_EQ(Opened(), "https://example.org/orvo?x=1&y=ü");
}

TEST_F(ShellTest, OtherVerbsAndMissingFilesAreRefused) {
    EXPECT_EQ(ShellExecuteW(0, u"print", u"/tmp/x", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_NOASSOC);
    EXPECT_EQ(ShellExecuteW(0, u"open", nullptr, nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_FNF);
    EXPECT_EQ(ShellExecuteW(0, nullptr, u"", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_FNF);
    setenv("PATH", "/nonexistent", 1);
    EXPECT_EQ(ShellExecuteW(0, u"open", u"/tmp/x", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_FNF);
    EXPECT_FALSE(fs::exists(m_record));
}

}  // namespace
