#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/stereo/StereoTransform.h"

namespace orvo::stereo {
namespace {

struct Px {
    uint8_t b, g, r, x;
    bool operator==(const Px&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Px& p) {
    return os << "(b" << int(p.b) << " g" << int(p.g) << " r" << int(p.r) << " x" << int(p.x) << ")";
}

// A W x H frame whose every channel differs from pixel to pixel, X included.
struct Frame {
    int w, h;
    std::vector<Px> px;
    Frame(int w, int h) : w(w), h(h), px(size_t(w) * h) {
        for (size_t i = 0; i < px.size(); ++i)
            px[i] = {uint8_t(i * 7 + 1), uint8_t(i * 13 + 2), uint8_t(i * 29 + 3), uint8_t(i * 3 + 100)};
    }
    Px at(int x, int y) const { return px[size_t(y) * w + x]; }
    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(px.data()); }
};

void Describe(FrameDescriptor& d, int32_t stereo, uint32_t view, int w, int h, int32_t topDown = 0) {
    d.stereoMode = stereo;
    d.viewMode = view;
    d.sourceWidth = w;
    d.sourceHeight = h;
    d.topDown = topDown;
    FrameSize out = StereoOutputSize(stereo, view, w, h);
    d.width = out.width;
    d.height = out.height;
}

Px Merge(Px first, Px second, uint32_t view) {
    Px out = first;
    out.b = second.b;
    if (view == VIEW_RED_CYAN) out.g = second.g;
    if (view == VIEW_GREEN_MAGENTA) out.r = second.r;
    out.x = std::max(first.x, second.x);
    return out;
}

// Checks every pixel of the picture against expected(x, y).
template <class Expected>
void ExpectPicture(const uint8_t* picture, const FrameDescriptor& d, Expected expected) {
    ASSERT_NE(picture, nullptr);
    const Px* p = reinterpret_cast<const Px*>(picture);
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            ASSERT_EQ(p[size_t(y) * d.width + x], expected(x, y)) << "at " << x << "," << y;
}

TEST(StereoOutputSize, FollowsTheModes) {
    struct Case {
        int32_t stereo;
        uint32_t view;
        FrameSize out;
    } cases[] = {
        {STEREO_FULL_FRAME, 0, {1920, 1080}},
        {STEREO_SIDE_BY_SIDE, 0, {960, 1080}},
        {STEREO_SIDE_BY_SIDE, 5, {960, 1080}},
        {STEREO_TOP_BOTTOM, 0, {1920, 540}},
        {STEREO_TOP_BOTTOM, 5, {1920, 1080}},
        {STEREO_TOP_BOTTOM, 6, {1920, 540}},
        {STEREO_TB_TO_SBS, 0, {3840, 540}},
        {STEREO_SBS_TO_TB, 0, {960, 2160}},
        {STEREO_FLAT, 0, {1920, 1080}},
        {9, 0, {1920, 1080}},
        {-1, 0, {1920, 1080}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StereoOutputSize(c.stereo, c.view, 1920, 1080), c.out) << c.stereo << "/" << c.view;
    EXPECT_EQ(StereoOutputSize(STEREO_SIDE_BY_SIDE, 0, 9, 7), (FrameSize{4, 7}));
    EXPECT_EQ(StereoOutputSize(STEREO_TOP_BOTTOM, 0, 9, 7), (FrameSize{9, 3}));
    // A doubled side that does not fit in 32 bits gives no picture rather than a wrapped size.
    EXPECT_EQ(StereoOutputSize(STEREO_TB_TO_SBS, 0, 0x40000000, 4), (FrameSize{0, 0}));
    EXPECT_EQ(StereoOutputSize(STEREO_SBS_TO_TB, 0, 4, 0x40000000), (FrameSize{0, 0}));
}

// The two-view modes: every view mode, even and odd sizes, either row order.
struct TwoViewCase {
    int32_t stereo;
    uint32_t view;
    int w, h;
    int32_t topDown;
};

class TwoViewModes : public ::testing::TestWithParam<TwoViewCase> {};

TEST_P(TwoViewModes, BuildThePictureFromBothViews) {
    const auto c = GetParam();
    Frame src(c.w, c.h);
    const Frame original = src;
    FrameDescriptor d;
    Describe(d, c.stereo, c.view, c.w, c.h, c.topDown);
    PictureStore store;
    uint8_t* picture = TransformFrame(d, src.bytes(), store);
    const bool sbs = c.stereo == STEREO_SIDE_BY_SIDE;
    auto first = [&](int x, int y) { return original.at(x, y); };
    auto second = [&](int x, int y) { return sbs ? original.at(x + d.width, y) : original.at(x, y + d.height); };
    ExpectPicture(picture, d, [&](int x, int y) {
        if (c.view == VIEW_FIRST) return first(x, y);
        if (c.view == VIEW_SECOND) return second(x, y);
        return Merge(first(x, y), second(x, y), c.view);
    });
    EXPECT_EQ(src.px, original.px) << "the source frame is left as it was";
}

std::vector<TwoViewCase> TwoViewCases() {
    std::vector<TwoViewCase> cases;
    for (int32_t stereo : {STEREO_SIDE_BY_SIDE, STEREO_TOP_BOTTOM})
        for (uint32_t view = 0; view <= VIEW_SECOND; ++view)
            for (auto [w, h] : {std::pair{16, 6}, std::pair{9, 7}, std::pair{2, 2}})
                for (int32_t topDown : {0, 1}) cases.push_back({stereo, view, w, h, topDown});
    return cases;
}
INSTANTIATE_TEST_SUITE_P(Stereo, TwoViewModes, ::testing::ValuesIn(TwoViewCases()),
                         [](const ::testing::TestParamInfo<TwoViewCase>& info) {
                             const auto& c = info.param;
                             return std::string(c.stereo == STEREO_SIDE_BY_SIDE ? "SideBySide" : "TopBottom") +
                                    "_View" + std::to_string(c.view) + "_" + std::to_string(c.w) + "x" +
                                    std::to_string(c.h) + (c.topDown ? "_TopDown" : "_BottomUp");
                         });

TEST(StereoTransform, RedCyanSideBySideTakesRedFromTheLeftHalf) {
    Frame src(4, 1);
    src.px = {{10, 20, 30, 40}, {11, 21, 31, 200}, {50, 60, 70, 80}, {51, 61, 71, 90}};
    FrameDescriptor d;
    Describe(d, STEREO_SIDE_BY_SIDE, VIEW_RED_CYAN, 4, 1);
    PictureStore store;
    const Px* p = reinterpret_cast<const Px*>(TransformFrame(d, src.bytes(), store));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], (Px{50, 60, 30, 80}));
    EXPECT_EQ(p[1], (Px{51, 61, 31, 200}));
}

TEST(StereoTransform, TopBottomWholeFrameViewsShowTheFrameItself) {
    for (uint32_t view : {5u, 6u, 0xFFFFFFFFu}) {
        Frame src(6, 5);
        const Frame original = src;
        FrameDescriptor d;
        Describe(d, STEREO_TOP_BOTTOM, view, 6, 5);
        PictureStore store;
        EXPECT_EQ(TransformFrame(d, src.bytes(), store), src.bytes()) << view;
        EXPECT_EQ(src.px, original.px);
    }
}

TEST(StereoTransform, RelaidPairsIgnoreTheViewMode) {
    for (uint32_t view = 0; view <= 6; ++view) {
        Frame tb(5, 7);  // odd height: the last row is unused
        const Frame tbOriginal = tb;
        FrameDescriptor d;
        Describe(d, STEREO_TB_TO_SBS, view, 5, 7);
        PictureStore store;
        ExpectPicture(TransformFrame(d, tb.bytes(), store), d,
                      [&](int x, int y) { return x < 5 ? tbOriginal.at(x, y) : tbOriginal.at(x - 5, y + 3); });

        Frame sbs(9, 4);  // odd width: the last column is unused
        const Frame sbsOriginal = sbs;
        Describe(d, STEREO_SBS_TO_TB, view, 9, 4);
        uint8_t* picture = TransformFrame(d, sbs.bytes(), store);
        EXPECT_EQ(picture, sbs.bytes()) << "re-laid in the frame itself";
        ExpectPicture(picture, d,
                      [&](int x, int y) { return y < 4 ? sbsOriginal.at(x, y) : sbsOriginal.at(x + 4, y - 4); });
    }
}

TEST(StereoTransform, FlatAnaglyphPairsEachPixelWithTheOneSevenBefore) {
    for (uint32_t view : {VIEW_BLUE_YELLOW, VIEW_RED_CYAN, VIEW_GREEN_MAGENTA}) {
        for (auto [w, h] : {std::pair{5, 3}, std::pair{64, 40}, std::pair{3, 2}}) {
            Frame src(w, h);
            const Frame original = src;
            FrameDescriptor d;
            Describe(d, STEREO_FLAT, view, w, h);
            PictureStore store;
            uint8_t* picture = TransformFrame(d, src.bytes(), store);
            EXPECT_EQ(picture, src.bytes());
            // Pixel p pairs with p - 7 across row ends; the first 7 keep themselves.
            ExpectPicture(picture, d, [&](int x, int y) {
                size_t p = size_t(y) * w + x;
                return p < 7 ? original.px[p] : Merge(original.px[p], original.px[p - 7], view);
            });
        }
    }
}

TEST(StereoTransform, FlatOtherViews) {
    Frame src(5, 3);
    const Frame original = src;
    FrameDescriptor d;
    PictureStore store;
    for (uint32_t view : {uint32_t(VIEW_FIRST), uint32_t(VIEW_WHOLE_FRAME), 77u}) {
        Describe(d, STEREO_FLAT, view, 5, 3);
        TransformFrame(d, src.bytes(), store);
        EXPECT_EQ(src.px, original.px) << view;
    }
    Describe(d, STEREO_FLAT, VIEW_SECOND, 5, 3);
    ExpectPicture(TransformFrame(d, src.bytes(), store), d, [&](int x, int y) {
        size_t p = size_t(y) * 5 + x;
        return p < 8 ? Px{0, 0, 0, 255} : original.px[p - 8];
    });

    Frame tiny(2, 2);  // fewer pixels than the shift: all black
    Describe(d, STEREO_FLAT, VIEW_SECOND, 2, 2);
    ExpectPicture(TransformFrame(d, tiny.bytes(), store), d, [](int, int) { return Px{0, 0, 0, 255}; });
}

TEST(StereoTransform, FullFrameViews) {
    for (int w : {6, 7}) {
        Frame src(w, 3);
        const Frame original = src;
        FrameDescriptor d;
        PictureStore store;
        Describe(d, STEREO_FULL_FRAME, VIEW_FIRST, w, 3);
        // Halves swap; an odd width keeps its middle column.
        const int half = w / 2;
        ExpectPicture(TransformFrame(d, src.bytes(), store), d, [&](int x, int y) {
            if (x < half) return original.at(x + (w - half), y);
            if (x >= w - half) return original.at(x - (w - half), y);
            return original.at(x, y);
        });
        src = original;
        Describe(d, STEREO_FULL_FRAME, VIEW_GREEN_MAGENTA, w, 3);
        ExpectPicture(TransformFrame(d, src.bytes(), store), d,
                      [&](int x, int y) { return original.at(w - 1 - x, y); });
        for (uint32_t view : {VIEW_BLUE_YELLOW, VIEW_RED_CYAN, VIEW_SECOND, VIEW_WHOLE_FRAME}) {
            src = original;
            Describe(d, STEREO_FULL_FRAME, view, w, 3);
            EXPECT_EQ(TransformFrame(d, src.bytes(), store), src.bytes());
            EXPECT_EQ(src.px, original.px) << view;
        }
    }
}

TEST(StereoTransform, SideBySideWholeFrameViewShowsTheSecondHalfOfTheBytes) {
    Frame src(8, 4);
    FrameDescriptor d;
    Describe(d, STEREO_SIDE_BY_SIDE, VIEW_WHOLE_FRAME, 8, 4);
    PictureStore store;
    const uint8_t* p = TransformFrame(d, src.bytes(), store);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::memcmp(p, src.bytes() + 4 * 4 * 4, 4 * 4 * 4), 0);
}

TEST(StereoTransform, UnknownStereoModeShowsTheFrame) {
    Frame src(4, 4);
    const Frame original = src;
    FrameDescriptor d;
    Describe(d, 6, 0, 4, 4);
    PictureStore store;
    EXPECT_EQ(TransformFrame(d, src.bytes(), store), src.bytes());
    EXPECT_EQ(src.px, original.px);
}

TEST(StereoTransform, EmptyOrInconsistentFramesShowNothing) {
    PictureStore store;
    Frame src(4, 4);
    FrameDescriptor d;
    struct Case {
        int32_t stereo;
        int w, h;
    } empty[] = {{STEREO_FULL_FRAME, 0, 4}, {STEREO_FULL_FRAME, 4, -1}, {STEREO_SIDE_BY_SIDE, 1, 4},
                 {STEREO_TOP_BOTTOM, 4, 1}, {STEREO_TB_TO_SBS, 4, 1},   {STEREO_SBS_TO_TB, 1, 4}};
    for (const auto& c : empty) {
        Describe(d, c.stereo, 0, c.w, c.h);
        EXPECT_EQ(TransformFrame(d, src.bytes(), store), nullptr) << c.stereo << " " << c.w << "x" << c.h;
    }
    Describe(d, STEREO_SIDE_BY_SIDE, 0, 4, 4);
    EXPECT_EQ(TransformFrame(d, nullptr, store), nullptr);
    d.width = 4;  // a descriptor whose size does not fit its mode would read past the frame
    EXPECT_EQ(TransformFrame(d, src.bytes(), store), nullptr);
}

TEST(StereoTransform, StoreIsReusedAcrossSizes) {
    PictureStore store;
    FrameDescriptor d;
    for (auto [w, h] : {std::pair{4, 2}, std::pair{32, 16}, std::pair{6, 2}}) {
        Frame src(w, h);
        const Frame original = src;
        Describe(d, STEREO_TOP_BOTTOM, VIEW_SECOND, w, h);
        ExpectPicture(TransformFrame(d, src.bytes(), store), d,
                      [&](int x, int y) { return original.at(x, y + h / 2); });
    }
}

TEST(GreyMix, ReplacesTheSecondViewChannelsByTheMean) {
    struct Case {
        uint32_t view;
        int32_t greyMix;
        Px expected;
    } cases[] = {
        {VIEW_BLUE_YELLOW, 1, {20, 30, 12, 7}},   {VIEW_RED_CYAN, 1, {20, 20, 12, 7}},
        {VIEW_GREEN_MAGENTA, 1, {20, 30, 20, 7}}, {VIEW_FIRST, 1, {20, 30, 12, 7}},
        {VIEW_RED_CYAN, 2, {19, 30, 12, 7}},      {VIEW_RED_CYAN, 0, {19, 30, 12, 7}},
    };
    for (const auto& c : cases) {
        Px p[3] = {{19, 30, 12, 7}, {19, 30, 12, 7}, {19, 30, 12, 7}};  // mean (19+30+12)/3 = 20
        FrameDescriptor d;
        Describe(d, STEREO_FULL_FRAME, c.view, 3, 1);
        d.greyMix = c.greyMix;
        GreyMix(d, reinterpret_cast<uint8_t*>(p));
        for (const Px& px : p) EXPECT_EQ(px, c.expected) << "view " << c.view << " grey " << c.greyMix;
    }
}

// The frame with its two views exchanged: the halves of every row (side by side) or the two
// halves of its rows (stacked).
Frame ViewsExchanged(const Frame& f, Split split) {
    Frame out = f;
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x) {
            const int sx = split == Split::Columns ? (x + f.w / 2) % f.w : x;
            const int sy = split == Split::Rows ? (y + f.h / 2) % f.h : y;
            out.px[size_t(y) * f.w + x] = f.at(sx, sy);
        }
    return out;
}

// With the eyes swapped, every two-view mode and both re-lay modes show what they show of the
// frame whose views are exchanged; the whole-frame and 2D modes are left as they are.
TEST(StereoTransform, SwappedEyesExchangeTheViewsInEveryTwoViewMode) {
    struct Case {
        int32_t stereo;
        uint32_t view;
        bool swaps;
    } cases[] = {
        {STEREO_SIDE_BY_SIDE, 0, true}, {STEREO_SIDE_BY_SIDE, 1, true}, {STEREO_SIDE_BY_SIDE, 2, true},
        {STEREO_SIDE_BY_SIDE, 3, true}, {STEREO_SIDE_BY_SIDE, 4, true}, {STEREO_TOP_BOTTOM, 0, true},
        {STEREO_TOP_BOTTOM, 1, true},   {STEREO_TOP_BOTTOM, 2, true},   {STEREO_TOP_BOTTOM, 3, true},
        {STEREO_TOP_BOTTOM, 4, true},   {STEREO_TB_TO_SBS, 0, true},    {STEREO_SBS_TO_TB, 0, true},
        {STEREO_TOP_BOTTOM, 5, false},  {STEREO_TOP_BOTTOM, 6, false},  {STEREO_FULL_FRAME, 3, false},
        {STEREO_FLAT, 1, false},        {STEREO_FLAT, 4, false},
    };
    for (const Case& c : cases) {
        for (bool optimised : {false, true}) {
            FrameDescriptor swapped, plain;
            Describe(swapped, c.stereo, c.view, 16, 6);
            Describe(plain, c.stereo, c.view, 16, 6);
            swapped.options = {true, optimised};
            plain.options = {false, optimised};
            const Split split = GeometryOf(c.stereo, c.view).split;
            Frame source(16, 6), exchanged = c.swaps ? ViewsExchanged(source, split) : source;
            PictureStore a, b;
            const uint8_t* got = TransformFrame(swapped, source.bytes(), a);
            const uint8_t* want = TransformFrame(plain, exchanged.bytes(), b);
            ASSERT_NE(got, nullptr);
            ASSERT_NE(want, nullptr);
            EXPECT_EQ(0, std::memcmp(got, want, size_t(plain.width) * plain.height * 4))
                << "stereo " << c.stereo << " view " << c.view << (optimised ? " optimised" : "");
        }
    }
}

// The optimised anaglyphs replace the channel mix in the side-by-side, top/bottom and 2D
// modes only, and there the grey mix is left out.
TEST(StereoTransform, OptimisedAnaglyphsTakeTheProjectionAndLeaveTheGreyMixOut) {
    for (int32_t stereo : {STEREO_SIDE_BY_SIDE, STEREO_TOP_BOTTOM, STEREO_FLAT, STEREO_TB_TO_SBS}) {
        for (uint32_t view : {VIEW_BLUE_YELLOW, VIEW_RED_CYAN, VIEW_GREEN_MAGENTA, VIEW_FIRST}) {
            const ViewRule rule = ViewRuleOf(stereo, view, true);
            const bool projected = stereo != STEREO_TB_TO_SBS && view != VIEW_FIRST;
            EXPECT_EQ(rule.projection, projected ? ProjectionOf(view) : nullptr) << stereo << "," << view;
            EXPECT_EQ(rule.greyChannels == 0, projected) << stereo << "," << view;
            EXPECT_EQ(ViewRuleOf(stereo, view, false).projection, nullptr);
        }
    }
    FrameDescriptor d;
    Describe(d, STEREO_SIDE_BY_SIDE, VIEW_RED_CYAN, 8, 2);
    d.options.optimisedAnaglyph = true;
    d.greyMix = 1;
    Frame f(8, 2);
    PictureStore store;
    uint8_t* picture = TransformFrame(d, f.bytes(), store);
    ASSERT_NE(picture, nullptr);
    std::vector<uint8_t> projected(picture, picture + 4 * 4 * 2);
    GreyMix(d, picture);
    EXPECT_EQ(std::vector<uint8_t>(picture, picture + projected.size()), projected);
    // Row 0, pixel 0: the projection of the first view's pixel 0 and the second view's pixel 4.
    const Projection& p = *ProjectionOf(VIEW_RED_CYAN);
    const Px l = f.at(0, 0), r = f.at(4, 0);
    const int in[6] = {l.r, l.g, l.b, r.r, r.g, r.b};
    int red = 0;
    for (int c = 0; c < 6; ++c) red += p.weights[0][c] * in[c];
    EXPECT_LE(std::abs(projected[2] - std::clamp(red >> 16, 0, 255)), 1);
}

}  // namespace
}  // namespace orvo::stereo
