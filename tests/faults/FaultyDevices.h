#pragma once
// ALSA devices that fail, for the fault tests: "refusing" (a card that does not exist: the
// open fails), "full" (the file plug-in writing into /dev/full: every write after the start
// fails) and "cut" (the file plug-in writing into CutFifo(): it plays while someone reads the
// FIFO and fails once the reader goes away). ALSA reads its configuration once per process,
// so the configuration is a test environment that FaultyDevices.cpp installs in every program
// it is built into, before any test runs.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace orvo::test {

class FaultyDevices : public testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    static std::filesystem::path Folder();
    static std::filesystem::path CutFifo();
};

// Reads what the "cut" device writes until Leave, then closes its end of the FIFO.
class FifoReader {
public:
    FifoReader();
    ~FifoReader();
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;

    void Leave();
    size_t BytesRead() const { return m_read; }

private:
    int m_fd;
    std::atomic<bool> m_leave{false};
    std::atomic<size_t> m_read{0};
    std::thread m_thread;
};

}  // namespace orvo::test
