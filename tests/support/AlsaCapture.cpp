#include "tests/support/AlsaCapture.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/filters/AudioOutput.h"

namespace orvo::test {

namespace fs = std::filesystem;

fs::path AlsaCapture::File() {
    static const fs::path folder = fs::temp_directory_path() / ("orvo-alsa-" + std::to_string(getpid()));
    return folder / "out.raw";
}

void AlsaCapture::SetUp() {
    fs::create_directories(File().parent_path());
    const fs::path conf = File().parent_path() / "asound.conf";
    std::ofstream(conf) << "pcm.capture {\n  type file\n  slave { pcm { type null } }\n  file \""
                        << File().string() << "\"\n  format \"raw\"\n}\n"
                        << "pcm.missing {\n  type hw\n  card 99\n}\n";
    setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
}

void AlsaCapture::TearDown() { fs::remove_all(File().parent_path()); }

std::vector<char> AlsaCapture::Captured() {
    std::ifstream in(File(), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

AudioDevice::AudioDevice(const std::string& name) {
    std::error_code error;
    if (name == "capture") fs::remove(AlsaCapture::File(), error);
    filters::SetAudioDeviceName(name);
}

AudioDevice::~AudioDevice() { filters::SetAudioDeviceName("default"); }

}  // namespace orvo::test
