#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "engine/api/Lumex.h"
#include "engine/channel/ChannelRegistry.h"
#include "engine/channel/LibraryState.h"
#include "platform/com/Runtime.h"
#include "platform/window/WindowSystem.h"
#include "tests/support/XvfbServer.h"

namespace orvo::engine {
namespace {

// Each test leaves the library uninitialised, as it found it.
class LibraryFrame : public ::testing::Test {
protected:
    void TearDown() override {
        while (Lumex_Free()) {
        }
    }
};

TEST_F(LibraryFrame, SetConfigReturnsTheValueAndStoresItClamped) {
    struct Case {
        int32_t option;
        intptr_t value;
        intptr_t result;
        int32_t kind;
        uint32_t streams;
    } cases[] = {
        {CONFIG_RENDERER, 7, 7, 7, 1},
        {CONFIG_RENDERER, 0, 0, 1, 1},
        {CONFIG_RENDERER, 8, 8, 1, 1},
        {CONFIG_RENDERER, -1, -1, 1, 1},
        {CONFIG_RENDERER, 9, 9, 1, 1},
        {CONFIG_RENDERER, 3, 3, 3, 1},
        {CONFIG_MIXER_STREAMS, 0, 0, 3, 1},
        {CONFIG_MIXER_STREAMS, 16, 16, 3, 15},
        {CONFIG_MIXER_STREAMS, -1, -1, 3, 15},
        {CONFIG_MIXER_STREAMS, 15, 15, 3, 15},
        {CONFIG_MIXER_STREAMS, 4, 4, 3, 4},
        {5, 123, 5, 3, 4},
        {-7, 1, -7, 3, 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Lumex_SetConfig(c.option, c.value), c.result) << c.option << "=" << c.value;
        EXPECT_EQ(Library().rendererKind, c.kind) << c.option << "=" << c.value;
        EXPECT_EQ(Library().mixerStreamCount, c.streams) << c.option << "=" << c.value;
    }
    EXPECT_EQ(Lumex_SetConfig(CONFIG_WINDOW, 0x1234), 0x1234);
    EXPECT_EQ(Library().defaultWindow, HWND(0x1234));
    EXPECT_EQ(Lumex_SetConfig(CONFIG_WINDOW, 0), 0);
    EXPECT_EQ(Library().defaultWindow, HWND(0));
}

TEST_F(LibraryFrame, InitAndFreeCount) {
    EXPECT_EQ(Lumex_Free(), 0);
    EXPECT_EQ(Lumex_Init(0x500, 0), 1);
    EXPECT_EQ(Library().defaultWindow, HWND(0x500));
    EXPECT_EQ(Lumex_Init(0x600, 0), 1);
    EXPECT_EQ(Library().defaultWindow, HWND(0x500)) << "a second init changes nothing";
    EXPECT_EQ(Lumex_Free(), 1);
    EXPECT_FALSE(com::IsThreadInitialized()) << "Free balances the runtime's initialisation";
    EXPECT_EQ(Lumex_Free(), 0);
}

TEST_F(LibraryFrame, InitFailsOnAThreadInTheOtherModelButTakesTheWindow) {
    std::thread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_EQ(Lumex_Init(0x700, 0), 0);
        EXPECT_FALSE(Library().initialized);
        EXPECT_EQ(Library().defaultWindow, HWND(0x700));
        CoUninitialize();
    }).join();
}

// A mapped top-level window, focused, that names `pid` as its process.
xcb_window_t FocusedWindow(xcb_connection_t* c, uint32_t pid) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_window_t w = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 64, 64, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, 0, nullptr);
    auto atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 11, "_NET_WM_PID"), nullptr);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom->atom, XCB_ATOM_CARDINAL, 32, 1, &pid);
    free(atom);
    xcb_map_window(c, w);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return w;
}

TEST_F(LibraryFrame, InitWithoutAWindowTakesThisProcessesActiveWindow) {
    ORVO_REQUIRE_DISPLAY();
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    xcb_window_t mine = FocusedWindow(c, uint32_t(getpid()));
    EXPECT_EQ(GetActiveWindow(), HWND(mine));
    EXPECT_EQ(Lumex_Init(0, 0), 1);
    EXPECT_EQ(Library().defaultWindow, HWND(mine));
    Lumex_Free();

    FocusedWindow(c, uint32_t(getpid()) + 1);
    EXPECT_EQ(GetActiveWindow(), HWND(0)) << "another program's window is never adopted";
    xcb_disconnect(c);
}

TEST(ChannelRegistry, HandlesAdvanceAndAreNeverReused) {
    ChannelRegistry registry;
    ASSERT_EQ(Lumex_Init(1, 0), 1);
    uint32_t first = registry.Register(CreateChannelRecord(0));
    uint32_t second = registry.Register(CreateChannelRecord(0));
    EXPECT_EQ(first, 132457u);
    EXPECT_EQ(second, 132458u);
    EXPECT_EQ(registry.Lookup(first)->handle, first);
    EXPECT_EQ(registry.Unregister(first)->handle, first);
    EXPECT_EQ(registry.Lookup(first), nullptr);
    EXPECT_EQ(registry.Unregister(first), nullptr);
    EXPECT_EQ(registry.Register(CreateChannelRecord(0)), 132459u);
    EXPECT_EQ(registry.Lookup(0), nullptr);

    Lumex_Free();
    EXPECT_EQ(registry.Lookup(second), nullptr) << "nothing is found while uninitialised";
    ASSERT_EQ(Lumex_Init(1, 0), 1);
    EXPECT_NE(registry.Lookup(second), nullptr) << "and found again after a new init";
    registry.Unregister(second);
    registry.Unregister(132459);
    Lumex_Free();
}

TEST(ChannelRegistry, StreamFreeUnregistersOnce) {
    ASSERT_EQ(Lumex_Init(1, 0), 1);
    EXPECT_EQ(Lumex_StreamFree(0), 0);
    uint32_t h = Channels().Register(CreateChannelRecord(0x42));
    EXPECT_EQ(Channels().Lookup(h)->window, HWND(0x42));
    Lumex_Free();
    EXPECT_EQ(Lumex_StreamFree(h), 0) << "not found while uninitialised";
    ASSERT_EQ(Lumex_Init(1, 0), 1);
    EXPECT_EQ(Lumex_StreamFree(h), 1);
    EXPECT_EQ(Lumex_StreamFree(h), 0);
    EXPECT_EQ(Lumex_StreamFree(h + 1000), 0);
    Lumex_Free();
}

int g_hookCalls = 0;

TEST(ChannelRegistry, EveryRecordCreationRunsTheHook) {
    SetRecordCreationHook([] { ++g_hookCalls; });
    auto a = CreateChannelRecord(0);
    auto b = CreateChannelRecord(7);
    SetRecordCreationHook(nullptr);
    EXPECT_EQ(g_hookCalls, 2);
    EXPECT_EQ(b->window, HWND(7));
    EXPECT_EQ(b->state, CHANNEL_NONE);
    EXPECT_EQ(b->handle, 0u);
}

}  // namespace
}  // namespace orvo::engine

namespace orvo::engine {
namespace {

TEST(ChannelRegistry, ConcurrentRegistrationGivesDistinctHandles) {
    ChannelRegistry registry;
    ASSERT_EQ(Lumex_Init(1, 0), 1);
    constexpr int kThreads = 4, kEach = 200;
    std::vector<std::vector<uint32_t>> handles(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                uint32_t h = registry.Register(CreateChannelRecord(0));
                EXPECT_NE(registry.Lookup(h), nullptr);
                handles[t].push_back(h);
            }
            for (uint32_t h : handles[t]) EXPECT_NE(registry.Unregister(h), nullptr);
        });
    for (auto& th : threads) th.join();
    std::vector<uint32_t> all;
    for (auto& v : handles) all.insert(all.end(), v.begin(), v.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    EXPECT_EQ(all.front(), 132457u);
    EXPECT_EQ(all.back(), 132456u + kThreads * kEach);
    Lumex_Free();
}

}  // namespace
}  // namespace orvo::engine
