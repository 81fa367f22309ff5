// A file's bytes through a whole channel: open with the own renderer kind and a frame callback
// (no window), a short play, a seek into the middle, a stereo and view change, more play, free.
// Every frame the callback gets is read whole, so a frame shorter than the channel's picture
// size shows as a read outside its buffer.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "engine/api/Lumex.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/MediaFile.h"

namespace {

using namespace std::chrono_literals;

// The picture size of the channel being played; set before play, read by the streaming thread.
std::atomic<size_t> g_frameBytes{0};
std::atomic<uint32_t> g_checksum{0};

void LUMEX_CALL OnFrame(void* frame, uint32_t, intptr_t, intptr_t, intptr_t) {
    const auto* bytes = static_cast<const uint8_t*>(frame);
    uint32_t sum = 0;
    for (size_t i = 0, n = g_frameBytes; i < n; ++i) sum += bytes[i];
    g_checksum += sum;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orvo::fuzz::PrepareProcess();
    if (Lumex_Init(0, 0) != 1) std::abort();
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orvo::fuzz::MediaFile file(data, size);
    if (file.Path().empty()) return 0;
    const uint32_t channel = Lumex_StreamCreateFile(file.Path().c_str(), 0, 0, 0);
    if (!channel) return 0;
    // The modes come from the file's last bytes, so that one input always does the same.
    orvo::fuzz::FuzzInput tail(data + (size >= 2 ? size - 2 : 0), size >= 2 ? 2 : 0);
    const int32_t stereo = int32_t(tail.Below(7));
    const int32_t view = int32_t(tail.Below(7));

    CHANNELINFO info{};
    Lumex_ChannelGetInfo(channel, &info);
    g_frameBytes = info.width > 0 && info.height > 0 ? size_t(info.width) * size_t(info.height) * 4 : 0;
    Lumex_ChannelSetDDrawCallback(channel, &OnFrame, 0);
    Lumex_ChannelPlay(channel);
    std::this_thread::sleep_for(30ms);
    const double length = Lumex_ChannelGetLength(channel, POS_SECONDS);
    Lumex_ChannelSetPosition(channel, length / 2, POS_SECONDS);
    Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, float(stereo));
    Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, float(view));
    Lumex_ChannelGetPosition(channel, POS_MILLISECONDS);
    std::this_thread::sleep_for(30ms);
    Lumex_ChannelStop(channel);
    if (Lumex_StreamFree(channel) != 1) std::abort();
    return 0;
}
