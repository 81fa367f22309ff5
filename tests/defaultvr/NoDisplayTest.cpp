// Without a display the default video renderer connects as it does with one, and a running
// graph takes its frames on time without showing them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "Lumex.h"
#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "tests/media/MediaClip.h"
#include "tests/support/FrameSource.h"

namespace orvo::test {
namespace {

TEST(DefaultVideoRendererWithoutDisplay, ConnectsAndRunsShowingNothing) {
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
        EXPECT_EQ(graph->Render(out.Get()), S_OK);
        ComPtr<IBaseFilter> renderer;
        EXPECT_EQ(graph->FindFilterByName(u"Video Renderer", renderer.Put()), S_OK);

        EXPECT_GE(control->Run(), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ComPtr<IQualProp> quality;
        ASSERT_EQ(renderer.As(quality), S_OK);
        int drawn = 0;
        EXPECT_EQ(quality->get_FramesDrawn(&drawn), S_OK);
        EXPECT_GT(drawn, 0) << "the frames are taken";
        EXPECT_EQ(control->Stop(), S_OK);
    }
    CoUninitialize();
}

// The media check answers as it does with a display: a file the platform's own filters play
// is playable, one whose video only the plug-ins decode has its video not rendered.
TEST(DefaultVideoRendererWithoutDisplay, TheMediaCheckAnswersAsWithADisplay) {
    unsetenv("DISPLAY");
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);
    const std::pair<const char*, int32_t> cases[] = {{"mpeg2.mkv", CHECK_PLAYABLE}, {"mjpeg.avi", CHECK_PLAYABLE}, {"h264_mp2.mkv", CHECK_VIDEO_NOT_RENDERED}};
    for (auto [clip, result] : cases) {
        VideoCheckInfo video{};
        AudioCheckInfo audio{};
        EXPECT_EQ(Lumex_CheckVideo(MediaClip(clip).c_str(), &audio, &video, 0), result) << clip;
    }
    CoUninitialize();
}

}  // namespace
}  // namespace orvo::test
