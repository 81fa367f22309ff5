#include "tests/capture/CaptureAlsa.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <vector>

namespace orvo::test {

std::filesystem::path CaptureAlsa::ToneFile() { return File().parent_path() / "tone.raw"; }

void CaptureAlsa::SetUp() {
    AlsaCapture::SetUp();
    // Ten seconds of a stereo 16-bit tone at half scale.
    std::vector<int16_t> tone(size_t(kToneRate) * 10 * 2);
    for (size_t frame = 0; frame < tone.size() / 2; ++frame) {
        const double phase = 2 * std::numbers::pi * kToneHz * double(frame) / kToneRate;
        tone[2 * frame] = tone[2 * frame + 1] = int16_t(16384 * std::sin(phase));
    }
    std::ofstream(ToneFile(), std::ios::binary)
        .write(reinterpret_cast<const char*>(tone.data()), std::streamsize(tone.size() * sizeof(int16_t)));
    std::ofstream(File().parent_path() / "asound.conf", std::ios::app)
        << "pcm.mic {\n  type file\n  slave { pcm { type null } }\n  file \"/dev/null\"\n  infile \""
        << ToneFile().string() << "\"\n  format \"raw\"\n  hint { show on description \"" << kMicDescription
        << "\" }\n}\n";
}

}  // namespace orvo::test
