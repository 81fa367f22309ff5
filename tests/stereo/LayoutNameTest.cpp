// What file names say about how their views lie, and the order in which the sources of a
// layout are heard.
#include <gtest/gtest.h>

#include "engine/graph/StereoLayoutDetection.h"

namespace orvo::engine {
namespace {

using Packing = LayoutSignal::Packing;

TEST(LayoutName, MarkersAndWords) {
    struct Case {
        const char* name;
        bool said;
        Layout layout;
        bool rightFirst;
        Packing packing;
    } cases[] = {
        {"/films/Trip_LR.mkv", true, Layout::SideBySide, false, Packing::FromAspect},
        {"trip-rl.mp4", true, Layout::SideBySide, true, Packing::FromAspect},
        {"trip_lrh.mkv", true, Layout::SideBySide, false, Packing::Half},
        {"trip_RLQ.mkv", true, Layout::SideBySide, true, Packing::Half},
        {"trip-tb.mkv", true, Layout::TopBottom, false, Packing::FromAspect},
        {"trip_ab.mkv", true, Layout::TopBottom, false, Packing::FromAspect},
        {"trip_bt.mkv", true, Layout::TopBottom, true, Packing::FromAspect},
        {"trip_ba.mkv", true, Layout::TopBottom, true, Packing::FromAspect},
        {"trip_tbh.mkv", true, Layout::TopBottom, false, Packing::Half},
        {"trip_abq.mkv", true, Layout::TopBottom, false, Packing::Half},
        {"trip_bth.mkv", true, Layout::TopBottom, true, Packing::Half},
        {"trip_baq.mkv", true, Layout::TopBottom, true, Packing::Half},
        {"trip_2D.mkv", true, Layout::Flat, false, Packing::FromAspect},
        {"Trip.2019.SBS.mkv", true, Layout::SideBySide, false, Packing::FromAspect},
        {"Trip.2019.HSBS.x264.mkv", true, Layout::SideBySide, false, Packing::Half},
        {"Trip.2019.Half-SBS.mkv", true, Layout::SideBySide, false, Packing::Half},
        {"Trip 2019 fsbs.mkv", true, Layout::SideBySide, false, Packing::Full},
        {"Trip.TAB.mkv", true, Layout::TopBottom, false, Packing::FromAspect},
        {"Trip.htab.mkv", true, Layout::TopBottom, false, Packing::Half},
        {"Trip [OU].mkv", true, Layout::TopBottom, false, Packing::FromAspect},
        {"Trip.HOU.mkv", true, Layout::TopBottom, false, Packing::Half},
        {"Trip.half-ou.mkv", true, Layout::TopBottom, false, Packing::Half},
        // The suffix marker comes before the words.
        {"Trip.sbs_tb.mkv", true, Layout::TopBottom, false, Packing::FromAspect},
        // Neither: letters that only contain a marker, a marker as the extension, no name.
        {"sbsfilm.mkv", false, Layout::Unknown, false, Packing::FromAspect},
        {"flat.mkv", false, Layout::Unknown, false, Packing::FromAspect},
        {"Trip.tb", false, Layout::Unknown, false, Packing::FromAspect},
        {"tour_lrx.mkv", false, Layout::Unknown, false, Packing::FromAspect},
        {"/films_lr/trip.mkv", false, Layout::Unknown, false, Packing::FromAspect},
        {"", false, Layout::Unknown, false, Packing::FromAspect},
    };
    for (const Case& c : cases) {
        const LayoutSignal s = LayoutFromName(c.name);
        EXPECT_EQ(s.said, c.said) << c.name;
        EXPECT_EQ(s.layout, c.layout) << c.name;
        EXPECT_EQ(s.rightFirst, c.rightFirst) << c.name;
        EXPECT_EQ(s.packing, c.packing) << c.name;
    }
}

TEST(LayoutDecision, FirstSourceWinsAndPackingFollowsTheAspect) {
    const LayoutSignal tb{true, Layout::TopBottom}, sbs{true, Layout::SideBySide, true};
    const LayoutSignal halfName{true, Layout::SideBySide, false, Packing::Half};
    const LayoutSignal unshowable{true, Layout::Unknown};
    EXPECT_EQ(DecideLayout(tb, sbs, halfName, 16, 9),
              (StereoLayout{Layout::TopBottom, false, true, LayoutSource::Stream, 16, 9}));
    EXPECT_EQ(DecideLayout({}, sbs, halfName, 32, 9),
              (StereoLayout{Layout::SideBySide, true, false, LayoutSource::Container, 32, 9}));
    EXPECT_EQ(DecideLayout({}, {}, halfName, 32, 9),
              (StereoLayout{Layout::SideBySide, false, true, LayoutSource::Name, 32, 9}));
    EXPECT_EQ(DecideLayout(unshowable, sbs, halfName, 4, 3),
              (StereoLayout{Layout::Unknown, false, false, LayoutSource::Stream, 4, 3}));
    EXPECT_EQ(DecideLayout({}, {}, {}, 4, 3), (StereoLayout{Layout::Unknown, false, false, LayoutSource::Nothing, 4, 3}));
    // 1920 x 1080 is half packed either way; 3840 x 1080 side by side and 1920 x 2160 stacked are full.
    EXPECT_TRUE(HalfPackedByAspect(Layout::SideBySide, 16, 9));
    EXPECT_TRUE(HalfPackedByAspect(Layout::SideBySide, 249, 100));
    EXPECT_FALSE(HalfPackedByAspect(Layout::SideBySide, 5, 2));
    EXPECT_FALSE(HalfPackedByAspect(Layout::SideBySide, 32, 9));
    EXPECT_TRUE(HalfPackedByAspect(Layout::TopBottom, 16, 9));
    EXPECT_TRUE(HalfPackedByAspect(Layout::TopBottom, 6, 5));
    EXPECT_FALSE(HalfPackedByAspect(Layout::TopBottom, 119, 100));
    EXPECT_FALSE(HalfPackedByAspect(Layout::TopBottom, 8, 9));
    EXPECT_FALSE(HalfPackedByAspect(Layout::TopBottom, 0, 0));
}

}  // namespace
}  // namespace orvo::engine
