// soak [--cycles N] [--play-ms MS] [--clip NAME]... [--max-width PIXELS] [--dynamic-mmap-threshold]: opens the clips of the test-media
// catalogue (or the named ones) in turn, one per cycle, into a window on a private Xvfb with the engine's own renderer, with sound through
// ALSA's file plug-in, and in each cycle plays, seeks, changes the stereo and view modes,
// switches a stream, resizes the window and frees the channel. Resident memory, threads and
// file descriptors are taken after a warm-up pass over the whole catalogue and again at the
// end. Exits 1 when memory grew by 5 MB or more (not judged under a sanitizer, whose
// quarantine holds freed memory on purpose), when threads, descriptors or shared memory
// segments are not back to their start, or when a clip that opens in the warm-up fails to open later.
#include <dirent.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "Lumex.h"
#include "tests/media/ClipCatalog.h"
#include "tests/media/MediaClip.h"
#include "tests/support/AlsaCapture.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

namespace {

using namespace std::chrono_literals;
using namespace orvo::test;

constexpr long kMaxGrowthKb = 5 * 1024;

struct Usage {
    long rssKb = 0;
    int threads = 0;
    int fds = 0;
    int segments = 0;  // shared memory segments attached
};

long StatusField(const char* name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(name);
    while (std::getline(status, line))
        if (line.compare(0, length, name) == 0 && line.size() > length && line[length] == ':')
            return std::strtol(line.c_str() + length + 1, nullptr, 10);
    return -1;
}

int OpenDescriptors() {
    DIR* folder = opendir("/proc/self/fd");
    if (!folder) return -1;
    int count = 0;
    while (const dirent* entry = readdir(folder))
        if (entry->d_name[0] != '.') ++count;
    closedir(folder);
    return count - 1;  // the listing's own descriptor
}

int AttachedSegments() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    int count = 0;
    while (std::getline(maps, line))
        if (line.find("/SYSV") != std::string::npos) ++count;
    return count;
}

// Memory the allocator keeps for reuse is handed back first, so that what is left is what the
// process holds.
Usage Measure() {
    malloc_trim(0);
    return {StatusField("VmRSS"), int(StatusField("Threads")), OpenDescriptors(), AttachedSegments()};
}

void Print(const char* when, int cycle, const Usage& usage) {
    std::printf("%s cycle %d: rss %ld kB, threads %d, fds %d, shared memory segments %d\n", when, cycle, usage.rssKb,
                usage.threads, usage.fds, usage.segments);
    std::fflush(stdout);
}

std::atomic<int> g_frames{0};
void CountFrame(void*, uint32_t, intptr_t, intptr_t, intptr_t) { ++g_frames; }

class Soak {
public:
    // maxWidth > 0 leaves out clips with a wider video track: making the large benchmark
    // clips costs minutes of encoding that a short soak should not pay.
    Soak(int playMs, const std::vector<std::string>& only, int maxWidth)
        : m_play(playMs), m_window(0, 0, 640, 360, 0x101010) {
        for (const ClipSpec& clip : ClipCatalog()) {
            if (!only.empty() && std::find(only.begin(), only.end(), clip.name) == only.end()) continue;
            if (maxWidth > 0 && std::any_of(clip.video.begin(), clip.video.end(),
                                            [&](const VideoTrack& v) { return v.width > maxWidth; }))
                continue;
            const std::string path = MediaClip(clip.name);
            if (!path.empty()) m_clips.push_back({path, std::u16string(path.begin(), path.end()), false});
        }
    }
    size_t ClipCount() const { return m_clips.size(); }

    // One cycle over clip cycle % count; false when a clip that opened before does not.
    bool Cycle(int cycle, bool warmUp) {
        Clip& clip = m_clips[size_t(cycle) % m_clips.size()];
        // Every other open goes through the UTF-16 form of the path.
        const uint32_t channel = cycle % 2 ? Lumex_StreamCreateFile(clip.wide.c_str(), 0, m_window.Handle(), STREAM_UNICODE)
                                           : Lumex_StreamCreateFile(clip.path.c_str(), 0, m_window.Handle(), 0);
        if (!channel) {
            if (!warmUp && clip.opens) std::fprintf(stderr, "cycle %d: %s no longer opens\n", cycle, clip.path.c_str());
            return warmUp || !clip.opens;
        }
        if (warmUp) clip.opens = true;
        if (cycle % 4 == 3) Lumex_ChannelSetDDrawCallback(channel, CountFrame, 0);
        Lumex_ChannelSetAttribute(channel, ATTRIB_VOLUME, float(cycle % 101));
        Lumex_ChannelPlay(channel);
        std::this_thread::sleep_for(m_play);

        const double length = Lumex_ChannelGetLength(channel, POS_SECONDS);
        Lumex_ChannelSetPosition(channel, length * double(cycle % 7) / 7.0, POS_SECONDS);
        Lumex_ChannelSetAttribute(channel, ATTRIB_STEREO_MODE, float(cycle % 6));
        Lumex_ChannelSetAttribute(channel, ATTRIB_VIEW_MODE, float(cycle / 6 % 6));
        std::this_thread::sleep_for(m_play / 2);

        const int streams = Lumex_ChannelStreamsCount(channel);
        if (streams > 0) Lumex_ChannelEnableStream(channel, cycle % streams);
        const int width = 160 + cycle % 5 * 120, height = 90 + cycle % 3 * 135;
        Lumex_ChannelResizeWindow(channel, 0, 0, 0, width, height);
        Lumex_ChannelPause(channel);
        Lumex_ChannelRepaint(channel, 0, nullptr);
        CHANNELINFO info;
        Lumex_ChannelGetInfo(channel, &info);
        Lumex_ChannelPlay(channel);
        std::this_thread::sleep_for(m_play / 2);
        Lumex_ChannelStop(channel);
        Lumex_ChannelGetPosition(channel, POS_MILLISECONDS);
        if (Lumex_StreamFree(channel) != 1) {
            std::fprintf(stderr, "cycle %d: %s did not free\n", cycle, clip.path.c_str());
            return false;
        }
        return true;
    }

private:
    struct Clip {
        std::string path;
        std::u16string wide;  // the catalogue's names and the build folder are ASCII
        bool opens;
    };
    std::chrono::milliseconds m_play;
    TestWindow m_window;
    std::vector<Clip> m_clips;
};

// Threads and descriptors may take a moment to be handed back by what ends them.
Usage Settle(const Usage& start) {
    Usage now = Measure();
    for (int i = 0; i < 40 && (now.threads != start.threads || now.fds != start.fds || now.segments != start.segments);
         ++i) {
        std::this_thread::sleep_for(50ms);
        now = Measure();
    }
    return now;
}

}  // namespace

int main(int argc, char** argv) {
    int cycles = 1000;
    int playMs = 60;
    std::vector<std::string> only;
    int maxWidth = 0;
    bool dynamicThreshold = false;
    bool usage = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dynamic-mmap-threshold") == 0) {
            dynamicThreshold = true;
            continue;
        }
        if (i + 1 == argc) {
            usage = true;
            break;
        }
        if (std::strcmp(argv[i], "--cycles") == 0)
            cycles = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--play-ms") == 0)
            playMs = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--max-width") == 0)
            maxWidth = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--clip") == 0)
            only.push_back(argv[i + 1]);
        else
            usage = true;
        ++i;
    }
    if (usage || cycles < 1 || playMs < 1) {
        std::fprintf(stderr, "usage: soak [--cycles N] [--play-ms MS] [--clip NAME]... [--dynamic-mmap-threshold]\n");
        return 2;
    }
    // glibc raises its mmap threshold to the size of each large block freed, up to 32 MB, so
    // that after the first large frames, frames come from the per-thread arenas, which keep
    // the memory once the threads end. A fixed threshold keeps frames in mappings of their
    // own and leaves growth that is the program's.
    if (!dynamicThreshold) mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    if (!XvfbServer::Shared()) {
        std::fprintf(stderr, "Xvfb is not available; the soak needs a display\n");
        return 2;
    }
    AlsaCapture sound;
    sound.SetUp();
    int failures = 0;
    {
        if (Lumex_Init(1, 0) != 1) return 1;
        Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);
        AudioDevice device("capture");
        Soak soak(playMs, only, maxWidth);
        if (soak.ClipCount() == 0) {
            std::fprintf(stderr, "no clip to play\n");
            return 2;
        }
        std::printf("%zu clips, %d cycles, %d ms of play per cycle\n", soak.ClipCount(), cycles, playMs);
        for (int i = 0; i < int(soak.ClipCount()); ++i) soak.Cycle(i, true);
        const Usage start = Settle(Measure());
        Print("start", 0, start);
        for (int cycle = 0; cycle < cycles; ++cycle) {
            if (!soak.Cycle(cycle, false)) ++failures;
            if ((cycle + 1) % int(soak.ClipCount()) == 0) Print("at", cycle + 1, Measure());
        }
        const Usage end = Settle(start);
        Print("end", cycles, end);
        const long growth = end.rssKb - start.rssKb;
        std::printf("rss growth %ld kB%s, threads %+d, fds %+d, segments %+d, %d failed cycles, %d frames to the "
                    "callback\n",
                    growth, kSanitized ? " (not judged under a sanitizer)" : "", end.threads - start.threads,
                    end.fds - start.fds, end.segments - start.segments, failures, g_frames.load());
        if (!kSanitized && growth >= kMaxGrowthKb) ++failures;
        if (end.threads != start.threads || end.fds != start.fds || end.segments != start.segments) ++failures;
        Lumex_Free();
    }
    sound.TearDown();
    std::puts(failures ? "FAILED" : "PASSED");
    return failures ? 1 : 0;
}
