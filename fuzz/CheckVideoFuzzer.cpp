// A file's bytes through the media check: whatever the file holds, the check answers with one
// of its result codes and writes only the record of its own partial case.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/api/Lumex.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/MediaFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The check and the graph need the calling thread's apartment, not the library.
    orvo::fuzz::PrepareApartmentProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orvo::fuzz::MediaFile file(data, size);
    if (file.Path().empty()) return 0;
    AudioCheckInfo audio, audioBefore;
    VideoCheckInfo video, videoBefore;
    std::memset(&audio, 0xA5, sizeof audio);
    std::memset(&video, 0x5A, sizeof video);
    audioBefore = audio;
    videoBefore = video;
    const int32_t result = Lumex_CheckVideo(file.Path().c_str(), &audio, &video, 0);
    switch (result) {
        case CHECK_PLAYABLE:
        case CHECK_UNPLAYABLE:
        case CHECK_FAILED:
            if (std::memcmp(&audio, &audioBefore, sizeof audio) || std::memcmp(&video, &videoBefore, sizeof video))
                std::abort();
            break;
        case CHECK_VIDEO_NOT_RENDERED:
            if (std::memcmp(&audio, &audioBefore, sizeof audio)) std::abort();
            break;
        case CHECK_AUDIO_NOT_RENDERED:
            if (std::memcmp(&video, &videoBefore, sizeof video)) std::abort();
            break;
        default:
            std::abort();
    }
    return 0;
}
