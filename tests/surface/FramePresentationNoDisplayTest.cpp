// Without a display a descriptor gets no surfaces, and its frames are dropped at once.
#include <cstdlib>

#include <gtest/gtest.h>

#include "engine/stereo/FramePresentation.h"

namespace {

TEST(FramePresentationNoDisplayTest, SetupFailsCleanlyAndFramesAreDropped) {
    unsetenv("DISPLAY");
    orvo::stereo::FrameDescriptor d;
    d.window = 0x400001;
    d.sourceWidth = d.width = 16;
    d.sourceHeight = d.height = 16;
    EXPECT_EQ(orvo::stereo::SetupSurfaces(d), 0);
    EXPECT_FALSE(d.surfaces.DirectDraw());
    EXPECT_FALSE(d.surfaces.PrimarySurface());
    EXPECT_FALSE(d.surfaces.FrameSurface());
    std::vector<uint32_t> frame(16 * 16, 0x11223344);
    orvo::stereo::PictureStore store;
    EXPECT_EQ(orvo::stereo::PresentFrame(d, reinterpret_cast<uint8_t*>(frame.data()), store), 0);
    EXPECT_EQ(frame, std::vector<uint32_t>(16 * 16, 0x11223344));
}

}  // namespace
