#include <gtest/gtest.h>

#include "engine/renderers/GraphHelpers.h"
#include "platform/window/DialogPresenter.h"
#include "tests/graph/GraphFixture.h"

namespace orvo::engine {
namespace {

TEST(NormalizeRect, WholeHundredthsTruncated) {
    NormalizedRect r = NormalizeRect(RECT{10, 20, 330, 260}, 640, 480);
    EXPECT_FLOAT_EQ(r.left, 0.01f);
    EXPECT_FLOAT_EQ(r.top, 0.04f);
    EXPECT_FLOAT_EQ(r.right, 0.51f);
    EXPECT_FLOAT_EQ(r.bottom, 0.54f);
    NormalizedRect third = NormalizeRect(RECT{0, 0, 213, 160}, 640, 480);
    EXPECT_FLOAT_EQ(third.right, 0.33f);
    NormalizedRect empty = NormalizeRect(RECT{10, 10, 20, 20}, 0, 0);
    EXPECT_FLOAT_EQ(empty.right, 0.0f) << "a zero video size divides nothing";
}

TEST(GraphHelpers, NullArgumentsAreAnsweredWithoutTouchingAnything) {
    IBaseFilter* filter = reinterpret_cast<IBaseFilter*>(1);
    EXPECT_EQ(AddFilterByClsid(GUID_NULL, &filter, nullptr, u"x"), E_POINTER);
    EXPECT_EQ(AddFilterByClsid(GUID_NULL, nullptr, nullptr, u"x"), E_POINTER);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(FindSourceInterface(nullptr, IID_IUnknown, &object), E_POINTER);
    EXPECT_EQ(ConnectToFilter(nullptr, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(RemoveIfUnconnected(nullptr, nullptr), 1);
    IUnknown* none = nullptr;
    SafeRelease(&none);
    SafeRelease<IUnknown>(nullptr);
}

}  // namespace
}  // namespace orvo::engine

namespace orvo::engine {
namespace {

using test::GraphFixture;

class GraphHelpersInAGraph : public GraphFixture {
protected:
    void SetUp() override {
        GraphFixture::SetUp();
        source = Add(new test::TestSource, u"Source");
        sink = Add(new test::TestVideoSink, u"Sink");
        spare = Add(new test::TestVideoSink, u"Spare");
    }
    ComPtr<test::TestSource> source;
    ComPtr<test::TestVideoSink> sink, spare;
};

TEST_F(GraphHelpersInAGraph, FindPinConnectAndRemove) {
    ComPtr<IPin> out;
    ASSERT_EQ(FindPin(source.Get(), PINDIR_OUTPUT, out.Put(), 0), S_OK);
    ComPtr<IPin> none;
    EXPECT_EQ(FindPin(source.Get(), PINDIR_INPUT, none.Put(), 0), VFW_E_NOT_FOUND) << "a source has no input";
    EXPECT_EQ(ConnectToFilter(sink.Get(), m_graph.Get(), nullptr), S_FALSE);
    EXPECT_FALSE(IsConnected(out.Get())) << "a null pin leaves the graph as it was";
    ASSERT_GE(ConnectToFilter(sink.Get(), m_graph.Get(), out.Get()), 0);
    EXPECT_EQ(FindPin(sink.Get(), PINDIR_INPUT, none.Put(), 0), VFW_E_NOT_FOUND) << "its only input is connected";
    ComPtr<IPin> connected;
    EXPECT_EQ(FindPin(sink.Get(), PINDIR_INPUT, connected.Put(), 1), S_OK);

    EXPECT_EQ(RemoveIfUnconnected(sink.Get(), m_graph.Get()), 0);
    EXPECT_EQ(RemoveIfUnconnected(spare.Get(), nullptr), 1);
    EXPECT_EQ(FilterNames().size(), 3u);
    EXPECT_EQ(RemoveIfUnconnected(spare.Get(), m_graph.Get()), 1);
    EXPECT_EQ(FilterNames().size(), 2u);
}

TEST_F(GraphHelpersInAGraph, SourceInterfaceComesFromTheHeadOfTheGraph) {
    ComPtr<IPin> out;
    ASSERT_EQ(FindPin(source.Get(), PINDIR_OUTPUT, out.Put(), 0), S_OK);
    ASSERT_GE(ConnectToFilter(sink.Get(), m_graph.Get(), out.Get()), 0);
    m_graph->RemoveFilter(spare.Get());
    ComPtr<IBaseFilter> head;
    ASSERT_GE(FindSourceInterface(m_graph.Get(), head), 0);
    EXPECT_EQ(head.Get(), static_cast<IBaseFilter*>(source.Get())) << "the connected sink is passed over";
    ComPtr<IFileSourceFilter> fileSource;
    EXPECT_LT(FindSourceInterface(m_graph.Get(), fileSource), 0);
    EXPECT_FALSE(fileSource);
}

TEST_F(GraphHelpersInAGraph, AddFilterByClsidHandsOutTheAddedFilter) {
    ComPtr<IBaseFilter> added;
    EXPECT_EQ(AddFilterByClsid(test::CLSID_TestVideoSink, added.Put(), m_graph.Get(), u"Sink"), VFW_S_DUPLICATE_NAME);
    EXPECT_TRUE(added);
    ComPtr<IBaseFilter> missing;
    EXPECT_EQ(AddFilterByClsid(GUID_NULL, missing.Put(), m_graph.Get(), u"Nothing"), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(missing);
}

class RecordingPresenter final : public window::DialogPresenter {
public:
    int ShowMessage(HWND, const std::u16string& text, const std::u16string& caption, UINT type) override {
        shown.push_back({text, caption, type});
        return IDOK;
    }
    HRESULT ShowPropertyFrame(const window::PropertyFrameRequest&) override { return S_OK; }
    struct Shown {
        std::u16string text, caption;
        UINT type;
    };
    std::vector<Shown> shown;
};

TEST(ShowErrorMessage, FailuresOnlyWithThePlatformText) {
    RecordingPresenter presenter;
    window::InstallDialogPresenter(&presenter);
    ShowErrorMessage(S_OK);
    ShowErrorMessage(S_FALSE);
    ShowErrorMessage(E_POINTER);
    window::InstallDialogPresenter(nullptr);
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].caption, u"Error!");
    EXPECT_FALSE(presenter.shown[0].text.empty());
    EXPECT_EQ(presenter.shown[0].type & MB_ICONERROR, MB_ICONERROR);
}

TEST(BitmapFromDib, CopiesThePixels) {
    BITMAPINFOHEADER header{};
    header.biWidth = 4;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = 32;
    uint32_t pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    HBITMAP bitmap = BitmapFromDib(header, pixels, 4, 2);
    ASSERT_NE(bitmap, nullptr);
    uint32_t back[8] = {};
    EXPECT_EQ(GetBitmapBits(bitmap, sizeof back, back), LONG(sizeof back));
    EXPECT_EQ(std::vector<uint32_t>(back, back + 8), std::vector<uint32_t>(pixels, pixels + 8));
    DeleteObject(bitmap);
    header.biWidth = 0;
    EXPECT_EQ(BitmapFromDib(header, pixels, 0, 2), nullptr);
}

}  // namespace
}  // namespace orvo::engine
