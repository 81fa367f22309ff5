// The graph manager: names, enumeration and the engine's teardown, intelligent connect and
// render with its partial-success codes, and error texts.
#include <gtest/gtest.h>

#include "platform/graph/ErrorText.h"
#include "tests/graph/GraphFixture.h"

namespace orvo::test {
namespace {

using GraphManager = GraphFixture;

TEST_F(GraphManager, TakenNameGetsAUniqueNameAndTheDuplicateCode) {
    ComPtr<TestVideoSink> first(new TestVideoSink), second(new TestVideoSink), third(new TestVideoSink);
    EXPECT_EQ(m_graph->AddFilter(first.Get(), u"Sink"), S_OK);
    EXPECT_EQ(m_graph->AddFilter(second.Get(), u"Sink"), VFW_S_DUPLICATE_NAME);
    EXPECT_EQ(m_graph->AddFilter(third.Get(), u"Sink"), VFW_S_DUPLICATE_NAME);
    EXPECT_EQ(m_graph->AddFilter(first.Get(), u"Again"), E_INVALIDARG);

    ComPtr<IBaseFilter> found;
    ASSERT_EQ(m_graph->FindFilterByName(u"Sink 0001", found.Put()), S_OK);
    EXPECT_EQ(found.Get(), static_cast<IBaseFilter*>(second.Get()));
    EXPECT_EQ(m_graph->FindFilterByName(u"Nobody", found.Put()), VFW_E_NOT_FOUND);
    EXPECT_EQ(found.Get(), nullptr);
    EXPECT_EQ(FilterNames(), (std::vector<std::u16string>{u"Sink 0002", u"Sink 0001", u"Sink"}));
}

TEST_F(GraphManager, EnumerationIsNewestFirstAndNoticesChanges) {
    ComPtr<TestVideoSink> a(new TestVideoSink), b(new TestVideoSink);
    m_graph->AddFilter(a.Get(), u"A");
    ComPtr<IEnumFilters> e;
    ASSERT_EQ(m_graph->EnumFilters(e.Put()), S_OK);
    m_graph->AddFilter(b.Get(), u"B");
    IBaseFilter* f = nullptr;
    EXPECT_EQ(e->Next(1, &f, nullptr), VFW_E_ENUM_OUT_OF_SYNC);
    ASSERT_EQ(e->Reset(), S_OK);
    IBaseFilter* both[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(3, both, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(both[0], static_cast<IBaseFilter*>(b.Get()));
    EXPECT_EQ(both[1], static_cast<IBaseFilter*>(a.Get()));
    both[0]->Release();
    both[1]->Release();
}

// The engine's teardown: take the first filter, remove it, restart the enumeration.
TEST_F(GraphManager, RemovingTheFirstFilterAndRestartingEmptiesAConnectedGraph) {
    auto source = Add(new TestSource({StreamSpec{.sub = kCompressedVideo}}), u"Source");
    Add(new TestDecoder, u"Decoder");
    Add(new TestVideoSink, u"Sink");
    ASSERT_EQ(m_graph->Render(PinOf(source.Get(), 0).Get()), S_OK);
    ASSERT_EQ(m_control->Run(), S_OK);
    ASSERT_EQ(m_control->Stop(), S_OK);

    ComPtr<IEnumFilters> e;
    ASSERT_EQ(m_graph->EnumFilters(e.Put()), S_OK);
    IBaseFilter* f = nullptr;
    int removed = 0;
    while (e->Next(1, &f, nullptr) == S_OK) {
        EXPECT_EQ(m_graph->RemoveFilter(f), S_OK);
        f->Release();
        ++removed;
        e->Reset();
    }
    EXPECT_EQ(removed, 3);
    EXPECT_TRUE(FilterNames().empty());
    EXPECT_FALSE(IsConnected(PinOf(source.Get(), 0).Get()));
    FILTER_INFO info{};
    source->QueryFilterInfo(&info);
    EXPECT_EQ(info.pGraph, nullptr);
    EXPECT_EQ(m_graph->RemoveFilter(source.Get()), VFW_E_NOT_FOUND);
}

TEST_F(GraphManager, RenderUsesTheDecoderAlreadyInTheGraphBeforeARegisteredOne) {
    auto source = Add(new TestSource({StreamSpec{.sub = kCompressedVideo}}), u"Source");
    // Same media types as the registered (preferred-merit) decoder, another class.
    auto inGraph = Add(new TestDecoder(CLSID_TestOtherDecoder), u"Present Decoder");
    auto sink = Add(new TestVideoSink, u"Sink");
    ASSERT_EQ(m_graph->Render(PinOf(source.Get(), 0).Get()), S_OK);
    EXPECT_TRUE(IsConnected(inGraph->InputPin()));
    EXPECT_TRUE(IsConnected(sink->InputPin()));
    EXPECT_EQ(FilterNames().size(), 3u);
    EXPECT_EQ(m_graph->Render(PinOf(source.Get(), 0).Get()), VFW_E_ALREADY_CONNECTED);
}

TEST_F(GraphManager, RenderInsertsRegisteredFiltersWhenTheGraphHasNone) {
    auto source = Add(new TestSource({StreamSpec{.sub = kCompressedVideo}}), u"Source");
    ASSERT_EQ(m_graph->Render(PinOf(source.Get(), 0).Get()), S_OK);
    EXPECT_EQ(FilterNames(), (std::vector<std::u16string>{u"Test Video Sink", u"Test Decoder", u"Source"}));
}

TEST_F(GraphManager, APinNothingRendersLeavesTheGraphAsItWas) {
    auto source = Add(new TestSource({StreamSpec{.sub = kUnknownSubtype}}), u"Source");
    auto sink = Add(new TestVideoSink, u"Sink");
    auto before = FilterNames();
    EXPECT_EQ(m_graph->Render(PinOf(source.Get(), 0).Get()), VFW_E_CANNOT_RENDER);
    EXPECT_EQ(FilterNames(), before);
    EXPECT_FALSE(IsConnected(sink->InputPin()));
    EXPECT_EQ(m_graph->Connect(PinOf(source.Get(), 0).Get(), sink->InputPin()), VFW_E_CANNOT_CONNECT);
    EXPECT_EQ(FilterNames(), before);
}

TEST_F(GraphManager, ConnectGoesThroughAnIntermediateFilter) {
    auto source = Add(new TestSource({StreamSpec{.sub = kCompressedVideo}}), u"Source");
    auto sink = Add(new TestVideoSink, u"Sink");
    ASSERT_EQ(m_graph->Connect(PinOf(source.Get(), 0).Get(), sink->InputPin()), S_OK);
    EXPECT_EQ(FilterNames().size(), 3u);
    EXPECT_EQ(m_graph->Connect(sink->InputPin(), PinOf(source.Get(), 0).Get()), VFW_E_INVALID_DIRECTION);
}

struct RenderFileCase {
    const char16_t* file;  // the streams, as TestFileSource reads them
    HRESULT expected;
    size_t filters;  // in the graph afterwards
};

class RenderFileCodes : public GraphFixture, public ::testing::WithParamInterface<RenderFileCase> {};

TEST_P(RenderFileCodes, GiveThePartialCodeAndKeepTheRenderedStreams) {
    const RenderFileCase& c = GetParam();
    EXPECT_EQ(m_graph->RenderFile(c.file, nullptr), c.expected);
    EXPECT_EQ(FilterNames().size(), c.filters);
}

INSTANTIATE_TEST_SUITE_P(Streams, RenderFileCodes,
                         ::testing::Values(RenderFileCase{u"CA", S_OK, 4},
                                           RenderFileCase{u"Va", VFW_S_AUDIO_NOT_RENDERED, 2},
                                           RenderFileCase{u"vA", VFW_S_VIDEO_NOT_RENDERED, 2},
                                           RenderFileCase{u"VAs", VFW_S_PARTIAL_RENDER, 3},
                                           RenderFileCase{u"vAs", VFW_S_VIDEO_NOT_RENDERED, 2},
                                           RenderFileCase{u"Vas", VFW_S_AUDIO_NOT_RENDERED, 2},
                                           RenderFileCase{u"Vav", VFW_S_PARTIAL_RENDER, 2},
                                           RenderFileCase{u"vas", VFW_E_CANNOT_RENDER, 0},
                                           RenderFileCase{u"x", VFW_E_UNKNOWN_FILE_TYPE, 0}));

TEST(ErrorText, EveryCodeTheGraphReturnsHasAText) {
    WCHAR text[MAX_ERROR_TEXT_LEN];
    for (HRESULT hr : {S_OK, VFW_E_NOT_CONNECTED, VFW_E_NOT_FOUND, VFW_E_WRONG_STATE, VFW_S_DUPLICATE_NAME,
                       VFW_S_PARTIAL_RENDER, VFW_S_VIDEO_NOT_RENDERED, VFW_S_AUDIO_NOT_RENDERED, VFW_E_CANNOT_RENDER,
                       VFW_E_CANNOT_CONNECT, VFW_E_ENUM_OUT_OF_SYNC, VFW_E_TYPE_NOT_ACCEPTED})
        EXPECT_GT(AMGetErrorTextW(hr, text, MAX_ERROR_TEXT_LEN), 10u) << HResultName(hr);
    EXPECT_EQ(AMGetErrorTextW(MakeHResult(0x80041234), text, MAX_ERROR_TEXT_LEN), 0u);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(AMGetErrorTextW(VFW_E_NOT_FOUND, text, 4), 3u);
    EXPECT_EQ(std::u16string(text).size(), 3u);
}

}  // namespace
}  // namespace orvo::test
