// Paths that name no regular file: a FIFO with no writer, device nodes and a directory. Opening
// one as a channel or checking it fails at once; nothing waits for a writer or reads forever.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "Lumex.h"
#include "tests/media/MediaClip.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

// Generous: a guard against a call that hangs, not a measure of speed.
constexpr auto kHangGuard = 2s;

class BlockingPath : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Lumex_Init(0, 0), 1);
        Lumex_SetConfig(CONFIG_RENDERER, RENDERER_NULL);
        m_folder = std::filesystem::path(testing::TempDir()) / ("orvo-blocking-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_folder);
        m_fifo = (m_folder / "clip.mkv").string();
        ASSERT_EQ(mkfifo(m_fifo.c_str(), 0600), 0);
    }
    void TearDown() override {
        std::filesystem::remove_all(m_folder);
        Lumex_Free();
    }

    // Runs call on a thread of its own and gives its result, or nullopt when it is still
    // running after the hang guard; a call stuck opening the FIFO is then released by a writer
    // that opens and closes it, so that the test ends.
    template <class Result>
    std::optional<Result> WithinGuard(const std::function<Result()>& call) {
        auto result = std::async(std::launch::async, call);
        if (result.wait_for(kHangGuard) == std::future_status::ready) return result.get();
        const int writer = open(m_fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) close(writer);
        result.wait();
        return std::nullopt;
    }

    std::filesystem::path m_folder;
    std::string m_fifo;
};

TEST_F(BlockingPath, NoRegularFileOpensOrChecks) {
    const std::string paths[] = {m_fifo, "/dev/zero", "/dev/null", "/dev/urandom", m_folder.string()};
    for (const std::string& path : paths) {
        const auto channel =
            WithinGuard<uint32_t>([&] { return Lumex_StreamCreateFile(path.c_str(), 0, 0, 0); });
        ASSERT_TRUE(channel.has_value()) << path << ": Lumex_StreamCreateFile blocked";
        EXPECT_EQ(*channel, 0u) << path;

        const std::u16string wide(path.begin(), path.end());
        const auto wideChannel = WithinGuard<uint32_t>(
            [&] { return Lumex_StreamCreateFile(wide.c_str(), 0, 0, STREAM_UNICODE); });
        ASSERT_TRUE(wideChannel.has_value()) << path << ": Lumex_StreamCreateFile (UTF-16) blocked";
        EXPECT_EQ(*wideChannel, 0u) << path;

        const auto check = WithinGuard<int32_t>([&] { return Lumex_CheckVideo(path.c_str(), nullptr, nullptr, 0); });
        ASSERT_TRUE(check.has_value()) << path << ": Lumex_CheckVideo blocked";
        EXPECT_NE(*check, CHECK_PLAYABLE) << path;
    }
}

// The FIFO stays what it was: nothing was read from it, and a regular file still opens after.
TEST_F(BlockingPath, ARefusedFifoKeepsItsDataAndFilesStillOpen) {
    const int reader = open(m_fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const int writer = open(m_fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const char data[] = "queued";
    ASSERT_EQ(write(writer, data, sizeof data), ssize_t(sizeof data));

    const auto channel = WithinGuard<uint32_t>([&] { return Lumex_StreamCreateFile(m_fifo.c_str(), 0, 0, 0); });
    ASSERT_TRUE(channel.has_value());
    EXPECT_EQ(*channel, 0u);
    char back[sizeof data] = {};
    EXPECT_EQ(read(reader, back, sizeof back), ssize_t(sizeof data));
    EXPECT_STREQ(back, data);
    close(writer);
    close(reader);

    const uint32_t clip = Lumex_StreamCreateFile(MediaClip("flat.mkv").c_str(), 0, 0, 0);
    EXPECT_NE(clip, 0u);
    EXPECT_EQ(Lumex_StreamFree(clip), 1);
}

}  // namespace
}  // namespace orvo::test
