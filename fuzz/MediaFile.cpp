#include "fuzz/MediaFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/com/Runtime.h"
#include "platform/filters/AudioOutput.h"

namespace orvo::fuzz {
namespace {

std::string Folder() {
    if (std::filesystem::is_directory("/dev/shm") && access("/dev/shm", W_OK) == 0) return "/dev/shm";
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size) {
        const ssize_t n = write(fd, data, size);
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

}  // namespace

MediaFile::MediaFile(const uint8_t* data, size_t size) {
    static const std::string folder = Folder();
    std::string path = folder + "/orvo-fuzz-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) return;
    const bool written = WriteAll(fd, data, size);
    close(fd);
    if (written)
        m_path = path;
    else
        unlink(path.c_str());
}

MediaFile::~MediaFile() {
    if (!m_path.empty()) unlink(m_path.c_str());
}

void PrepareProcess() {
    unsetenv("DISPLAY");
    filters::SetAudioDeviceName("orvo-fuzz-no-device");
}

void PrepareApartmentProcess() {
    PrepareProcess();
    if (CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) < 0) std::abort();
}

}  // namespace orvo::fuzz
