#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/channel/ChannelRenderer.h"
#include "engine/channel/LibraryState.h"
#include "engine/renderers/RendererFactory.h"
#include "tests/support/StubRenderer.h"

namespace orvo::engine {
namespace {

// What each test kind's AddToGraph answers, and what the factory asked of them.
struct Script {
    HRESULT result[8] = {};
    std::vector<std::pair<int, std::u16string>> added;
    int destroyed = 0;
    std::vector<RendererConfig> configs;  // what each maker was given
} g_script;

template <int Kind>
class ScriptedRenderer final : public test::StubRenderer {
public:
    ~ScriptedRenderer() override { ++g_script.destroyed; }
    HRESULT AddToGraph(IGraphBuilder*, HWND window, IPin* pin, LPCWSTR name) override {
        EXPECT_EQ(window, HWND(0x77));
        EXPECT_EQ(pin, nullptr);
        g_script.added.emplace_back(Kind, name);
        return g_script.result[Kind];
    }
};

template <int Kind>
std::unique_ptr<CVideoRenderer> MakeScripted(const RendererConfig& config) {
    g_script.configs.push_back(config);
    return std::make_unique<ScriptedRenderer<Kind>>();
}

class RendererFactory : public ::testing::Test {
protected:
    void SetUp() override {
        g_script = Script{};
        RendererMaker makers[] = {MakeScripted<3>, MakeScripted<4>, MakeScripted<5>, MakeScripted<6>, MakeScripted<7>};
        for (int kind = 3; kind <= 7; ++kind) m_saved[kind] = RegisterRendererKind(kind, makers[kind - 3]);
        m_savedKind = Library().rendererKind;
        m_channel.window = 0x77;
    }
    void TearDown() override {
        for (int kind = 3; kind <= 7; ++kind) RegisterRendererKind(kind, m_saved[kind]);
        Library().rendererKind = m_savedKind;
    }
    CChannel m_channel;

private:
    RendererMaker m_saved[8] = {};
    int32_t m_savedKind = 1;
};

TEST_F(RendererFactory, WindowModeKindsMakeNoObject) {
    for (int32_t kind : {1, 2}) {
        Library().rendererKind = kind;
        EXPECT_EQ(CreateRenderer(m_channel), 0);
        EXPECT_EQ(m_channel.renderer, nullptr);
    }
    EXPECT_TRUE(g_script.added.empty());
    EXPECT_EQ(std::u16string(RendererNameOfKind(1)), u"VMR7 Window Mode");
    EXPECT_EQ(std::u16string(RendererName()), u"VMR9 Window Mode");
}

TEST_F(RendererFactory, EachKindJoinsUnderItsName) {
    const char16_t* names[] = {u"VMR7 Windowless", u"VMR9 Windowless", u"EVR", u"NULL Video Renderer",
                               u"User Video Renderer"};
    for (int32_t kind = 3; kind <= 7; ++kind) {
        Library().rendererKind = kind;
        EXPECT_EQ(CreateRenderer(m_channel), 1);
        ASSERT_NE(m_channel.renderer, nullptr);
        ASSERT_EQ(g_script.added.back(), (std::pair<int, std::u16string>{kind, names[kind - 3]}));
    }
}

TEST_F(RendererFactory, FailedSetUpFallsBackToKindThreeForGood) {
    Library().rendererKind = 5;
    g_script.result[5] = E_FAIL;
    g_script.result[3] = S_OK;
    EXPECT_EQ(CreateRenderer(m_channel), 1);
    EXPECT_EQ(g_script.destroyed, 1) << "the failed object is destroyed";
    EXPECT_EQ(Library().rendererKind, 3);
    EXPECT_EQ(std::u16string(RendererName()), u"VMR7 Windowless");
    ASSERT_EQ(g_script.added.size(), 2u);
    EXPECT_EQ(g_script.added[1].first, 3);

    CChannel later;
    later.window = 0x77;
    EXPECT_EQ(CreateRenderer(later), 1);
    EXPECT_EQ(g_script.added.back().first, 3) << "later channels are kind 3";
}

TEST_F(RendererFactory, NotSetUpKeepsTheEmptyObject) {
    Library().rendererKind = 4;
    g_script.result[4] = S_FALSE;
    EXPECT_EQ(CreateRenderer(m_channel), 1);
    EXPECT_NE(m_channel.renderer, nullptr);
    EXPECT_EQ(Library().rendererKind, 4);
}

TEST_F(RendererFactory, KindThreeFailingLeavesNoRenderer) {
    Library().rendererKind = 3;
    g_script.result[3] = E_FAIL;
    EXPECT_EQ(CreateRenderer(m_channel), 0);
    EXPECT_EQ(m_channel.renderer, nullptr);
    EXPECT_EQ(Library().rendererKind, 3);
    Library().rendererKind = 7;
    g_script.result[7] = E_OUTOFMEMORY;
    EXPECT_EQ(CreateRenderer(m_channel), 0) << "fallback to 3 fails too";
    EXPECT_EQ(Library().rendererKind, 3);
    EXPECT_EQ(g_script.destroyed, 3);
}

// The kinds read no library state: the channel hands them the configured kind and stream count.
TEST_F(RendererFactory, MakersReceiveTheConfiguredKindAndStreamCount) {
    const uint32_t savedStreams = Library().mixerStreamCount;
    Library().mixerStreamCount = 9;
    Library().rendererKind = 5;
    g_script.result[5] = E_FAIL;
    EXPECT_EQ(CreateRenderer(m_channel), 1);
    ASSERT_EQ(g_script.configs.size(), 2u);
    EXPECT_EQ(g_script.configs[0].kind, 5);
    EXPECT_EQ(g_script.configs[1].kind, 3) << "the fallback is made as kind 3";
    for (const RendererConfig& c : g_script.configs) EXPECT_EQ(c.mixerStreams, 9u);
    Library().mixerStreamCount = savedStreams;
}

TEST_F(RendererFactory, KindWithoutAMakerGivesNoRenderer) {
    RendererMaker saved = RegisterRendererKind(6, nullptr);
    Library().rendererKind = 6;
    EXPECT_EQ(CreateRenderer(m_channel), 0);
    RegisterRendererKind(6, saved);
}

}  // namespace
}  // namespace orvo::engine
