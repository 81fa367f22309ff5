// Without a display the default video renderer takes no video, so the rest of a graph plays.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "tests/support/FrameSource.h"

namespace orvo::test {
namespace {

TEST(DefaultVideoRendererWithoutDisplay, RefusesVideoSoTheGraphStillRuns) {
    unsetenv("DISPLAY");
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);
    {
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()),
            S_OK);
        ComPtr<IMediaControl> control;
        ASSERT_EQ(graph.As(control), S_OK);
        ComPtr<FrameSource> source(FrameSource::Rgb32(Quadrants(64, 32, 1, 2, 3, 4)));
        ASSERT_GE(graph->AddFilter(source.Get(), u"Source"), 0);
        ComPtr<IPin> out;
        ASSERT_EQ(source->FindPin(u"Video", out.Put()), S_OK);
        EXPECT_LT(graph->Render(out.Get()), 0);
        ComPtr<IBaseFilter> renderer;
        EXPECT_NE(graph->FindFilterByName(u"Video Renderer", renderer.Put()), S_OK) << "nothing was left behind";

        EXPECT_GE(control->Run(), 0);
        EXPECT_EQ(control->Stop(), S_OK);
    }
    CoUninitialize();
}

}  // namespace
}  // namespace orvo::test
