// Without a display the default video renderer still connects, but cannot leave Stopped:
// pausing or running the graph fails at once with the surface service's "no display" code.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "platform/surface/DirectDraw.h"
#include "tests/support/FrameSource.h"

namespace orvo::test {
namespace {

TEST(DefaultVideoRendererWithoutDisplay, PauseAndRunFailClearlyAndStopStillWorks) {
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
        ASSERT_EQ(graph->Render(out.Get()), S_OK);

        EXPECT_EQ(control->Pause(), DDERR_NODIRECTDRAWSUPPORT);
        EXPECT_EQ(control->Run(), DDERR_NODIRECTDRAWSUPPORT);
        OAFilterState state = -1;
        EXPECT_EQ(control->GetState(0, &state), S_OK);
        EXPECT_EQ(state, State_Stopped);
        EXPECT_EQ(control->Stop(), S_OK);
    }
    CoUninitialize();
}

}  // namespace
}  // namespace orvo::test
