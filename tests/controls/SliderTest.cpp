#include <QTest>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "ControlImages.h"
#include "controls/kestroslider.h"

namespace orvo::test {
namespace {

const QColor kTrack{0xc0, 0xc0, 0xc0};
const QColor kFill{0x40, 0x40, 0x40};
const QColor kThumb{0xff, 0x00, 0x00};
const QColor kPreview{0x00, 0xff, 0x00};

constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();

// The player's seek bar geometry: track and fill 356 x 10, a thumb 1 x 10 (here visible).
void LoadSeekBarSkin(TPNGSlider& slider, int width = 356) {
    slider.LoadBitmaps(Solid(width, 10, kTrack), Solid(1, 10, kThumb), Solid(width, 10, kFill));
}

// What one row of the bar shows: the fill up to `fill`, the track after it, the thumb
// over both at `thumb` (outside the control: not shown).
::testing::AssertionResult RowShows(const QImage& image, int y, int fill, int thumb) {
    for (int x = 0; x < image.width(); ++x) {
        const QColor expected = x == thumb ? kThumb : x < fill ? kFill : kTrack;
        if (image.pixelColor(x, y) != expected)
            return ::testing::AssertionFailure() << "column " << x << " is " << qPrintable(image.pixelColor(x, y).name())
                                                 << ", expected " << qPrintable(expected.name());
    }
    return ::testing::AssertionSuccess();
}

struct GeometryCase {
    const char* name;
    int64_t minvalue, maxvalue, position;
    int fillColumns;
    int thumbColumn;
};

const GeometryCase kGeometry[] = {
    {"HalfWayRoundsToEven", 0, 200, 100, 178, 178},  // 100 x 355 / 200 = 177.5
    {"AtMinimum", 0, 200, 0, 0, 0},
    {"AtMaximum", 0, 200, 200, 355, 355},
    {"EqualBoundsAtZero", 0, 0, 0, 0, 0},
    {"EqualBoundsElsewhere", 7, 7, 7, 0, 0},
    // The fill starts at the lower bound, not at zero: 10 x 355 / 100 = 35.5.
    {"NonZeroLowerBound", 50, 150, 60, 36, 36},
    {"WidestBounds", kMin64, kMax64, 0, 178, 178},
    // Values stored through Pos are not clamped: the thumb leaves the control.
    {"FarAboveTheRange", 0, 200, kMax64, 356, -1},
    {"FarBelowTheRange", 0, 200, kMin64, 0, -1},
};

class SliderGeometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(SliderGeometry, FillAndThumbFollowTheValue) {
    const GeometryCase& c = GetParam();
    TPNGSlider slider;
    LoadSeekBarSkin(slider);
    slider.minvalue = c.minvalue;
    slider.maxvalue = c.maxvalue;
    slider.SetPos(c.position);
    const QImage image = Painted(slider);
    ASSERT_EQ(image.size(), QSize(356, 10));
    for (const int y : {0, 9}) EXPECT_TRUE(RowShows(image, y, c.fillColumns, c.thumbColumn)) << "row " << y;
}

INSTANTIATE_TEST_SUITE_P(Cases, SliderGeometry, ::testing::ValuesIn(kGeometry),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Slider, VerticalFillRunsFromTheThumbDown) {
    TPNGSlider slider;
    slider.Setslidertype(TSliderType::Vertical);
    slider.LoadBitmaps(Solid(10, 100, kTrack), Solid(10, 1, kThumb), Solid(10, 100, kFill));
    slider.SetValue(50);  // 50 x 99 / 100 = 49.5
    const QImage image = Painted(slider);
    for (int y = 0; y < 100; ++y) {
        const QColor expected = y == 50 ? kThumb : y > 50 ? kFill : kTrack;
        ASSERT_EQ(image.pixelColor(5, y), expected) << "row " << y;
    }
}

TEST(Slider, PreviewThumbShowsOnlyWhileDraggingAndTakesTheThumbsSize) {
    TPNGSlider slider;
    slider.LoadBitmaps(Solid(356, 10, kTrack), Solid(3, 4, kThumb), Solid(356, 10, kFill));
    slider.thumb2 = Solid(6, 6, kPreview);
    slider.maxvalue = 200;
    slider.sec = true;

    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(178, 5));
    QImage image = Painted(slider);
    // 100 x 353 / 200 = 176.5 gives 176; y = 10 div 2 - 4 div 2 = 3; scaled to 3 x 4.
    EXPECT_TRUE(ColumnsAre(image, 0, 0, 3, kThumb));
    for (int y = 0; y < 10; ++y) {
        const QColor expected = y >= 3 && y < 7 ? kPreview : kTrack;
        EXPECT_TRUE(ColumnsAre(image, y, 176, 179, expected)) << "row " << y;
        EXPECT_EQ(image.pixelColor(175, y), kTrack);
        EXPECT_EQ(image.pixelColor(179, y), kTrack);
    }

    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(178, 5));
    image = Painted(slider);
    EXPECT_TRUE(ColumnsAre(image, 5, 0, 176, kFill));
    EXPECT_TRUE(ColumnsAre(image, 5, 176, 179, kTrack));
    EXPECT_TRUE(ColumnsAre(image, 0, 176, 179, kThumb));
}

TEST(Slider, WithoutATrackShowsADottedPlaceholder) {
    TPNGSlider slider;
    const QImage image = Painted(slider);
    ASSERT_EQ(image.size(), QSize(200, 30));
    int outline = 0;
    for (int x = 0; x < 200; ++x) outline += image.pixelColor(x, 0) != kBackground;
    EXPECT_GT(outline, 20);
    EXPECT_LT(outline, 180);  // dotted, not solid
    EXPECT_TRUE(ColumnsAre(image, 15, 1, 199, kBackground));
}

TEST(Slider, ImagesGivenOnlyThroughThePropertiesShowNothing) {
    TPNGSlider slider;
    slider.SetImgRuler(Solid(356, 10, kTrack));
    slider.SetImgProgress(Solid(356, 10, kFill));
    slider.SetImgThumb(Solid(1, 10, kThumb));
    slider.SetValue(50);
    const QImage image = Painted(slider);
    ASSERT_EQ(image.size(), QSize(356, 10));
    EXPECT_TRUE(ColumnsAre(image, 5, 0, 356, kBackground));
}

struct ClampCase {
    int64_t minvalue, maxvalue, value, stored;
};

TEST(Slider, SetValueClampsUpperBoundFirst) {
    const ClampCase cases[] = {
        {0, 100, 150, 100}, {0, 100, -5, 0}, {0, 100, 42, 42}, {kMin64, kMax64, kMin64, kMin64},
        {10, 0, 5, 10},  // inverted bounds: 5 > 0 gives 0, then 0 < 10 gives 10
    };
    for (const ClampCase& c : cases) {
        TPNGSlider slider;
        slider.minvalue = c.minvalue;
        slider.maxvalue = c.maxvalue;
        slider.SetValue(c.value);
        EXPECT_EQ(slider.Value(), c.stored) << c.minvalue << ".." << c.maxvalue << " given " << c.value;
    }
}

TEST(Slider, SetValueNotifiesUnlessNamedBar) {
    for (const char* name : {"Bar", "Volume", ""}) {
        TPNGSlider slider;
        slider.setObjectName(QString::fromLatin1(name));
        int changes = 0;
        slider.OnChange = [&](QObject* sender) {
            EXPECT_EQ(sender, &slider);
            ++changes;
        };
        slider.SetValue(30);
        slider.SetValue(30);  // unchanged: still notified
        EXPECT_EQ(changes, std::string(name) == "Bar" ? 0 : 2) << "named '" << name << "'";
    }
}

TEST(Slider, PosStoresAnyValueWithoutNotifying) {
    TPNGSlider slider;
    int changes = 0;
    slider.OnChange = [&](QObject*) { ++changes; };
    slider.SetPos(500);
    EXPECT_EQ(slider.Pos(), 500);
    EXPECT_EQ(slider.Value(), 500);
    EXPECT_EQ(changes, 0);
}

struct MouseCase {
    int width;
    int64_t minvalue, maxvalue;
    int x;
    int64_t value;
};

TEST(Slider, PressMapsTheMouseToAValue) {
    const MouseCase cases[] = {
        {356, 0, 200, 178, 100},  // 178 x 200 / 356
        {356, 0, 200, 0, 0},
        {356, 0, 200, 1, 1},      // 0.56
        {356, 0, 200, 355, 199},  // 199.44
        {356, 0, 200, 356, 200},
        {8, 0, 4, 1, 0},          // halves go to the even neighbour
        {8, 0, 4, 3, 2},
        {8, 0, 4, 5, 2},
        {356, 50, 150, 0, 50},    // the lower bound is where the bar starts
        {356, 50, 150, 178, 100},
        {356, 50, 150, 356, 150},
        {356, 0, 0, 178, 0},
        {356, kMin64, kMax64, 356, kMax64},
        {356, kMin64, kMax64, 0, kMin64},
    };
    for (const MouseCase& c : cases) {
        TPNGSlider slider;
        LoadSeekBarSkin(slider, c.width);
        slider.minvalue = c.minvalue;
        slider.maxvalue = c.maxvalue;
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(c.x, 5));
        EXPECT_EQ(slider.Value(), c.value) << c.minvalue << ".." << c.maxvalue << " at x = " << c.x;
    }
}

TEST(Slider, VerticalPressMapsAlongTheHeight) {
    TPNGSlider slider;
    slider.Setslidertype(TSliderType::Vertical);
    slider.LoadBitmaps(Solid(10, 100, kTrack), Solid(10, 1, kThumb), Solid(10, 100, kFill));
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(5, 25));
    EXPECT_EQ(slider.Value(), 25);
}

TEST(Slider, DraggingPastEitherEndClamps) {
    for (const bool preview : {false, true}) {
        TPNGSlider slider;
        LoadSeekBarSkin(slider);
        slider.minvalue = 10;
        slider.maxvalue = 200;
        slider.sec = preview;
        const auto value = [&] { return preview ? slider.position2 : slider.Value(); };
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(178, 5));
        QTest::mouseMove(&slider, QPoint(1000, 5));
        EXPECT_EQ(value(), 200) << (preview ? "preview" : "direct");
        QTest::mouseMove(&slider, QPoint(-40, 5));
        EXPECT_EQ(value(), 10) << (preview ? "preview" : "direct");
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(-40, 5));
        EXPECT_EQ(slider.Value(), 10);
    }
}

// Event sequences from Pos 7: a press at x = 178 (value 100), moves to x = 89 (50) and
// x = 267 (150), and the release.
struct EventCase {
    const char* name;
    const char* objectName;
    bool sec;
    bool withOnChange2;
    bool progressBar;
    std::vector<std::string> press, moves, release;
    int64_t positionAfterMoves, position, position2;
};

const EventCase kEvents[] = {
    {"PreviewSeekBar", "Bar", true, false, false, {"OnChange"}, {}, {"OnChange"}, 7, 150, 150},
    {"PreviewWithOnChange2", "Bar", true, true, false, {}, {"OnChange2", "OnChange2"}, {"OnChange"}, 7, 150, 150},
    {"PreviewNotNamedBar", "Volume", true, false, false, {"OnChange"}, {}, {"OnChange", "OnChange"}, 7, 150, 150},
    {"Direct", "Bar", false, false, false, {"OnChange"}, {"OnChange", "OnChange"}, {"OnChange"}, 150, 150, 0},
    {"DirectWithOnChange2", "Bar", false, true, false, {}, {"OnChange", "OnChange"}, {"OnChange"}, 150, 150, 0},
    {"ProgressBarIgnoresTheMouse", "Bar", true, true, true, {}, {}, {}, 7, 7, 0},
};

class SliderEvents : public ::testing::TestWithParam<EventCase> {};

TEST_P(SliderEvents, RaiseInOrder) {
    const EventCase& c = GetParam();
    TPNGSlider slider;
    LoadSeekBarSkin(slider);
    slider.setObjectName(QString::fromLatin1(c.objectName));
    slider.maxvalue = 200;
    slider.sec = c.sec;
    slider.SetProgressBar(c.progressBar);
    slider.SetPos(7);
    std::vector<std::string> log;
    slider.OnChange = [&](QObject*) { log.push_back("OnChange"); };
    if (c.withOnChange2) slider.OnChange2 = [&](QObject*) { log.push_back("OnChange2"); };
    const auto take = [&] { return std::exchange(log, {}); };

    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(178, 5));
    EXPECT_EQ(take(), c.press) << "press";
    QTest::mouseMove(&slider, QPoint(89, 5));
    QTest::mouseMove(&slider, QPoint(267, 5));
    EXPECT_EQ(take(), c.moves) << "moves";
    EXPECT_EQ(slider.Pos(), c.positionAfterMoves);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(267, 5));
    EXPECT_EQ(take(), c.release) << "release";
    EXPECT_EQ(slider.Pos(), c.position);
    EXPECT_EQ(slider.position2, c.position2);
}

INSTANTIATE_TEST_SUITE_P(Cases, SliderEvents, ::testing::ValuesIn(kEvents),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Slider, OtherButtonsDoNotPress) {
    TPNGSlider slider;
    LoadSeekBarSkin(slider);
    slider.maxvalue = 200;
    int changes = 0;
    slider.OnChange = [&](QObject*) { ++changes; };
    QTest::mousePress(&slider, Qt::RightButton, {}, QPoint(178, 5));
    QTest::mouseMove(&slider, QPoint(300, 5));
    EXPECT_EQ(slider.Value(), 0);
    EXPECT_EQ(changes, 0);
}

}  // namespace
}  // namespace orvo::test
