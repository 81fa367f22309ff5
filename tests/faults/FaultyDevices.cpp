#include "tests/faults/FaultyDevices.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

namespace orvo::test {

namespace fs = std::filesystem;

namespace {
const auto* const g_devices = testing::AddGlobalTestEnvironment(new FaultyDevices);
}  // namespace

fs::path FaultyDevices::Folder() {
    static const fs::path folder = fs::temp_directory_path() / ("orvo-faulty-devices-" + std::to_string(getpid()));
    return folder;
}

fs::path FaultyDevices::CutFifo() { return Folder() / "sound.fifo"; }

void FaultyDevices::SetUp() {
    fs::create_directories(Folder());
    ASSERT_EQ(mkfifo(CutFifo().c_str(), 0600), 0);
    // A write into a FIFO whose reader left then fails with EPIPE instead of ending the process.
    signal(SIGPIPE, SIG_IGN);
    const fs::path conf = Folder() / "asound.conf";
    std::ofstream(conf) << "pcm.refusing {\n  type hw\n  card 99\n}\n"
                        << "pcm.full {\n  type file\n  slave { pcm { type null } }\n  file \"/dev/full\"\n"
                        << "  format \"raw\"\n}\n"
                        << "pcm.cut {\n  type file\n  slave { pcm { type null } }\n  file \"" << CutFifo().string()
                        << "\"\n  format \"raw\"\n}\n";
    setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
}

void FaultyDevices::TearDown() { fs::remove_all(Folder()); }

FifoReader::FifoReader() : m_fd(open(FaultyDevices::CutFifo().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
    m_thread = std::thread([this] {
        char buffer[4096];
        while (!m_leave) {
            const ssize_t n = read(m_fd, buffer, sizeof buffer);
            if (n > 0)
                m_read += size_t(n);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (m_fd >= 0) close(m_fd);
    });
}

FifoReader::~FifoReader() { Leave(); }

void FifoReader::Leave() {
    m_leave = true;
    if (m_thread.joinable()) m_thread.join();
}

}  // namespace orvo::test
