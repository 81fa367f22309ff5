// channel_probe CLIP...: opens each clip in turn into a channel with the engine's own renderer,
// from whatever folder the program was copied to (the plug-ins are looked for there), and
// prints one line per clip: "<handle> <frames> <filter>|<filter>|...", where frames counts
// the frames presented in the first second of play. Freed before the next clip opens.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "Lumex.h"

namespace {

std::string g_filters;
std::atomic<int> g_frames{0};  // counted on the streaming thread

void RecordFilter(int32_t, const char* name, int32_t, int32_t) { g_filters += std::string(name) + "|"; }
void CountFrame(void*, uint32_t, intptr_t, intptr_t, intptr_t) { ++g_frames; }

}  // namespace

int main(int argc, char** argv) {
    if (Lumex_Init(0, 0) != 1) return 1;
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
    for (int i = 1; i < argc; ++i) {
        const uint32_t channel = Lumex_StreamCreateFile(argv[i], 0, 0, 0);
        g_filters.clear();
        g_frames = 0;
        if (channel) {
            Lumex_ChannelGetConnectedFilters(channel, RecordFilter, 0);
            Lumex_ChannelSetDDrawCallback(channel, CountFrame, 0);
            Lumex_ChannelPlay(channel);
            std::this_thread::sleep_for(std::chrono::seconds(1));
            Lumex_StreamFree(channel);
        }
        std::printf("%u %d %s\n", channel, g_frames.load(), g_filters.c_str());
    }
    Lumex_Free();
    return 0;
}
