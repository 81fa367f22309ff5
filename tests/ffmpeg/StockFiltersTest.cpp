// The platform's own filters through the graph's RenderFile: the system codec set plays, a
// codec only the plug-ins know is reported as not rendered. A recording sink stands in for the
// renderers so that only the filters under test decide.
#include <gtest/gtest.h>

#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/filters/ffmpeg/Demuxer.h"
#include "platform/filters/ffmpeg/VideoOutputFormat.h"
#include "platform/graph/ClassIds.h"
#include "platform/graph/FilterRegistry.h"
#include "tests/ffmpeg/SinkFilter.h"
#include "tests/media/MediaClip.h"

namespace orvo::ffmpeg {
namespace {

const CLSID kSinkRenderer = MakeGuid("{7D4E2B90-1C3A-4E5F-8B6D-0A9C8E7F6D51}");

HRESULT CreateSinkRenderer(REFIID riid, void** object) {
    return CreateComObject<test::CSinkFilter>(riid, object, [](const graph::MediaType& t) {
        return (t.majortype == MEDIATYPE_Video && IsOutputSubtype(t.subtype)) ||
               (t.majortype == MEDIATYPE_Audio && (t.subtype == MEDIASUBTYPE_PCM || t.subtype == MEDIASUBTYPE_IEEE_FLOAT));
    });
}

class StockFilters : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   m_graph.PutVoid()),
                  S_OK);
    }
    void TearDown() override {
        m_graph.Reset();
        CoUninitialize();
    }
    HRESULT RenderClip(const std::string& path) { return m_graph->RenderFile(com::Utf8ToUtf16(path).c_str(), nullptr); }
    std::vector<std::u16string> FilterNames() {
        std::vector<std::u16string> names;
        ComPtr<IEnumFilters> filters;
        m_graph->EnumFilters(filters.Put());
        for (ComPtr<IBaseFilter> filter; filters->Next(1, filter.Put(), nullptr) == S_OK;) {
            FILTER_INFO info{};
            filter->QueryFilterInfo(&info);
            if (info.pGraph) info.pGraph->Release();
            names.push_back(info.achName);
        }
        return names;
    }

    com::ClassRegistration m_sinkClass{kSinkRenderer, &CreateSinkRenderer};
    graph::FilterRegistrationScope m_sinkEntry{graph::FilterRegistration{
        kSinkRenderer, u"Sink", MERIT_NORMAL, {{MEDIATYPE_Video, GUID_NULL}, {MEDIATYPE_Audio, GUID_NULL}}, true}};
    ComPtr<IGraphBuilder> m_graph;
};

TEST_F(StockFilters, SystemCodecsRenderThroughTheOwnDecoders) {
    // PCM needs no decoder; MPEG audio does.
    for (auto [clip, audioDecoded] : {std::pair{"mpeg2.mkv", true}, std::pair{"mjpeg.avi", false}}) {
        ComPtr<IGraphBuilder> fresh;
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, fresh.PutVoid());
        m_graph = fresh;
        EXPECT_EQ(RenderClip(test::MediaClip(clip)), S_OK) << clip;
        const auto names = FilterNames();
        auto has = [&](const char16_t* name) { return std::find(names.begin(), names.end(), name) != names.end(); };
        EXPECT_TRUE(has(u"Video Decoder")) << clip;
        if (audioDecoded) {
            EXPECT_TRUE(has(u"Audio Decoder")) << clip;
        }
    }
}

TEST_F(StockFilters, CodecOnlyThePlugInsKnowIsNotRendered) {
    EXPECT_EQ(RenderClip(test::MediaClip("h264.mkv")), VFW_S_VIDEO_NOT_RENDERED);
}

TEST_F(StockFilters, WhatIsNoMediumFailsToLoad) {
    EXPECT_EQ(RenderClip(test::MediaClip("random.mkv")), VFW_E_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(RenderClip(testing::TempDir() + "absent.mkv"), kFileNotFound);
}

}  // namespace
}  // namespace orvo::ffmpeg
