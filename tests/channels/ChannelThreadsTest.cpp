// The C interface called from many threads at once: eight threads call the exports on four
// channels while another frees them and opens new ones in their place. Handles that were
// freed must fail quietly; nothing may touch a freed record (run it under ASan and TSan).
// ORVO_CHANNEL_THREADS_SECONDS sets how long it runs (3 s unless set; 20 s for a soak).
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "Lumex.h"
#include "tests/media/MediaClip.h"

namespace orvo::test {
namespace {

using namespace std::chrono_literals;

int RunSeconds() {
    const char* text = std::getenv("ORVO_CHANNEL_THREADS_SECONDS");
    const int seconds = text ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 3;
}

void LUMEX_CALL CountStream(int32_t, const char*, int32_t, int32_t, intptr_t user) {
    ++*reinterpret_cast<std::atomic<int>*>(user);
}
void LUMEX_CALL CountFilter(int32_t, const char*, int32_t, int32_t) {}

// One call of the exports on a channel, picked by number.
void CallOne(uint32_t ch, int which, std::mt19937& random) {
    switch (which) {
        case 0: Lumex_ChannelPlay(ch); break;
        case 1: Lumex_ChannelPause(ch); break;
        case 2: Lumex_ChannelStop(ch); break;
        case 3: {
            const int32_t state = Lumex_ChannelGetState(ch);
            EXPECT_TRUE(state >= CHANNEL_NONE && state <= CHANNEL_STOPPED) << state;
            break;
        }
        case 4: Lumex_ChannelGetLength(ch, POS_SECONDS); break;
        case 5: Lumex_ChannelGetPosition(ch, POS_MILLISECONDS); break;
        case 6: Lumex_ChannelSetPosition(ch, double(random() % 2000), POS_MILLISECONDS); break;
        case 7: {
            CHANNELINFO info;
            Lumex_ChannelGetInfo(ch, &info);
            break;
        }
        case 8: Lumex_ChannelSetAttribute(ch, ATTRIB_VOLUME, float(random() % 100)); break;
        case 9: Lumex_ChannelSetAttribute(ch, ATTRIB_RATE, 0.5f + float(random() % 3) * 0.5f); break;
        case 10: Lumex_ChannelSetAttribute(ch, ATTRIB_STEREO_MODE, float(random() % 6)); break;
        case 11: Lumex_ChannelStreamsCount(ch); break;
        case 12: {
            StreamInfo info{};
            Lumex_ChannelGetStream(ch, int32_t(random() % 3), &info);
            break;
        }
        case 13: {
            std::atomic<int> streams{0};
            Lumex_ChannelEnumerateStreams(ch, CountStream, reinterpret_cast<intptr_t>(&streams));
            break;
        }
        case 14: Lumex_ChannelEnableStream(ch, 0); break;
        case 15: Lumex_ChannelGetConnectedFilters(ch, CountFilter, 0); break;
        case 16: Lumex_ChannelResizeWindow(ch, 0, 0, 0, 320, 240); break;
        case 17: Lumex_ChannelRepaint(ch, 0, nullptr); break;
        default: Lumex_ChannelSetAttribute(ch, ATTRIB_BALANCE, float(int(random() % 200) - 100)); break;
    }
}
constexpr int kCalls = 19;

TEST(ChannelThreads, ExportsOnChannelsBeingFreedAndReopened) {
    ASSERT_EQ(Lumex_Init(1, 0), 1);
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_NULL);
    const std::string clip = MediaClip("video_only.mkv");
    ASSERT_FALSE(clip.empty());
    std::array<std::atomic<uint32_t>, 4> channels;
    for (auto& slot : channels) {
        slot = Lumex_StreamCreateFile(clip.c_str(), 0, 0, 0);
        ASSERT_NE(slot.load(), 0u);
    }
    std::atomic<bool> done{false};
    std::atomic<long> calls{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < 8; ++t)
        callers.emplace_back([&, t] {
            std::mt19937 random{unsigned(t)};
            while (!done) {
                CallOne(channels[random() % channels.size()].load(), int(random() % kCalls), random);
                ++calls;
            }
        });
    // Opens are made on this thread, which never initialised the library itself.
    int reopened = 0, failed = 0;
    std::thread churn([&] {
        std::mt19937 random{99};
        while (!done) {
            auto& slot = channels[random() % channels.size()];
            const uint32_t fresh = Lumex_StreamCreateFile(clip.c_str(), 0, 0, 0);
            const uint32_t old = slot.exchange(fresh);
            EXPECT_EQ(Lumex_StreamFree(old), 1);
            EXPECT_EQ(Lumex_StreamFree(old), 0) << "a freed handle fails quietly";
            fresh ? ++reopened : ++failed;
            std::this_thread::sleep_for(20ms);
        }
    });
    std::this_thread::sleep_for(std::chrono::seconds(RunSeconds()));
    done = true;
    churn.join();
    for (auto& caller : callers) caller.join();
    EXPECT_GT(reopened, 0);
    EXPECT_EQ(failed, 0) << "opening from another thread works";
    EXPECT_GT(calls.load(), 0);
    for (auto& slot : channels) Lumex_StreamFree(slot.load());
    Lumex_Free();
}

}  // namespace
}  // namespace orvo::test
