#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "ControlImages.h"
#include "controls/kestrobutton.h"

namespace orvo::test {
namespace {

// One colour per picture, so the painted colour names the picture shown.
const std::vector<QColor> kPictures{{0xff, 0, 0}, {0, 0xff, 0}, {0, 0, 0xff},
                                    {0xff, 0xff, 0}, {0, 0xff, 0xff}, {0xff, 0, 0xff}};

int PictureShown(TKestroButton& button) {
    const QColor shown = Painted(button).pixelColor(button.width() / 2, button.height() / 2);
    for (size_t i = 0; i < kPictures.size(); ++i)
        if (shown == kPictures[i]) return int(i);
    return -1;
}

// The player's play button: a six-picture strip 78 x 14.
void LoadPlayStrip(TKestroButton& button) {
    button.states = true;
    button.SetPngImg(Strip(kPictures, 13, 14));
}

void LoadFourPictureStrip(TKestroButton& button) {
    button.SetPngImg(Strip({kPictures.begin(), kPictures.begin() + 4}, 15, 15));
}

TEST(Button, SizesToOnePictureOfItsStrip) {
    struct Case {
        int width, height;
        QSize size;
    };
    for (const Case& c : {Case{48, 14, {12, 14}}, Case{60, 15, {15, 15}}, Case{78, 14, {20, 14}}}) {
        TKestroButton button;
        button.SetPngImg(Solid(c.width, c.height, Qt::gray));
        EXPECT_EQ(button.size(), c.size) << c.width << " x " << c.height;
        Painted(button);
        EXPECT_EQ(button.size(), c.size) << c.width << " x " << c.height << " after painting";
    }
}

TEST(Button, SwitchingToSixPicturesResizesAtTheNextPaint) {
    TKestroButton button;
    button.SetPngImg(Strip(kPictures, 13, 14));
    EXPECT_EQ(button.size(), QSize(20, 14));  // 78 / 4 = 19.5, to the even 20
    button.states = true;
    EXPECT_EQ(button.size(), QSize(20, 14));
    Painted(button);
    EXPECT_EQ(button.size(), QSize(13, 14));
}

struct PictureCase {
    const char* name;
    bool sixPictures;
    int state;
    enum { Rest, Over, Down, Disabled } how;
    int picture;
};

const PictureCase kPictureCases[] = {
    {"SecondSetAtRest", true, 2, PictureCase::Rest, 5},
    {"SecondSetOver", true, 2, PictureCase::Over, 4},
    {"SecondSetPressed", true, 2, PictureCase::Down, 3},
    {"SecondSetDisabled", true, 2, PictureCase::Disabled, 3},
    {"FirstSetAtRest", true, 0, PictureCase::Rest, 0},
    {"FirstSetOver", true, 1, PictureCase::Over, 1},
    {"FirstSetPressed", true, 0, PictureCase::Down, 2},
    {"FirstSetDisabled", true, 1, PictureCase::Disabled, 3},
    {"FourPicturesIgnoreState", false, 2, PictureCase::Over, 1},
    {"FourPicturesDisabled", false, 2, PictureCase::Disabled, 3},
};

class ButtonPictures : public ::testing::TestWithParam<PictureCase> {};

TEST_P(ButtonPictures, FollowStateAndSet) {
    const PictureCase& c = GetParam();
    TKestroButton button;
    if (c.sixPictures)
        LoadPlayStrip(button);
    else
        LoadFourPictureStrip(button);
    button.SetState(c.state);
    switch (c.how) {
    case PictureCase::Rest: break;
    case PictureCase::Over: Enter(button); break;
    case PictureCase::Down: button.SetDown(true); break;
    case PictureCase::Disabled: button.setEnabled(false); break;
    }
    EXPECT_EQ(PictureShown(button), c.picture);
}

INSTANTIATE_TEST_SUITE_P(Cases, ButtonPictures, ::testing::ValuesIn(kPictureCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The mouse over a play button the player has set to its play pictures.
TEST(Button, MouseSequenceFlipsTheSetAndClicksOnRelease) {
    enum Action { EnterIt, PressIt, ReleaseIt, ReleaseOutside, LeaveIt };
    struct Step {
        Action action;
        int etat, picture, state, clicks;
    };
    const Step steps[] = {
        {EnterIt, 1, 1, 0, 0},
        {PressIt, 2, 2, 1, 0},    // the toggle goes from 0 to 1: still the first set
        {ReleaseIt, 0, 0, 1, 1},  // normal, not mouse over
        {LeaveIt, 0, 0, 1, 1},
        {EnterIt, 1, 1, 1, 1},
        {PressIt, 2, 3, 2, 1},    // from 1 to 2: the second set, pressed
        {ReleaseIt, 0, 5, 2, 2},
        {PressIt, 2, 2, 1, 2},
        {ReleaseOutside, 0, 0, 1, 2},
    };
    TKestroButton button;
    LoadPlayStrip(button);
    button.SetState(0);
    int clicks = 0;
    button.OnClick = [&](QObject* sender) {
        EXPECT_EQ(sender, &button);
        EXPECT_EQ(button.EtatBtn, 0);
        ++clicks;
    };
    int step = 0;
    for (const Step& s : steps) {
        switch (s.action) {
        case EnterIt: Enter(button); break;
        case PressIt: QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(6, 7)); break;
        case ReleaseIt: QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(6, 7)); break;
        case ReleaseOutside: QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 7)); break;
        case LeaveIt: Leave(button); break;
        }
        EXPECT_EQ(button.EtatBtn, s.etat) << "step " << step;
        EXPECT_EQ(PictureShown(button), s.picture) << "step " << step;
        EXPECT_EQ(button.state, s.state) << "step " << step;
        EXPECT_EQ(clicks, s.clicks) << "step " << step;
        ++step;
    }
}

TEST(Button, EnterAndLeaveRaiseTheirEvents) {
    TKestroButton button;
    LoadFourPictureStrip(button);
    std::vector<std::string> log;
    button.OnMouseEnter = [&](QObject*) { log.push_back("enter"); };
    button.OnMouseLeave = [&](QObject*) { log.push_back("leave"); };
    Enter(button);
    Leave(button);
    button.setEnabled(false);
    Enter(button);  // raised also while disabled, without changing the picture
    EXPECT_EQ(button.EtatBtn, 3);
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "leave", "enter"}));
}

TEST(Button, DisablingShowsTheDisabledPictureAtOnce) {
    TKestroButton button;
    LoadFourPictureStrip(button);
    Enter(button);
    button.setEnabled(false);
    EXPECT_EQ(button.EtatBtn, 3);
    EXPECT_EQ(PictureShown(button), 3);
    button.setEnabled(true);
    EXPECT_EQ(button.EtatBtn, 0);
    EXPECT_EQ(PictureShown(button), 0);
}

TEST(Button, DownHoldsThePressedPictureUntilReleased) {
    TKestroButton button;
    LoadFourPictureStrip(button);
    button.SetDown(true);
    Enter(button);
    EXPECT_EQ(PictureShown(button), 2);
    button.SetDown(false);
    EXPECT_EQ(button.EtatBtn, 0);
    EXPECT_EQ(PictureShown(button), 0);
}

TEST(Button, ManualStateKeepsPictureAndStateOnPress) {
    TKestroButton button;
    LoadPlayStrip(button);
    button.SetState(2);
    button.manualstate = true;
    Enter(button);
    int clicks = 0;
    button.OnClick = [&](QObject*) { ++clicks; };
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(6, 7));
    EXPECT_EQ(button.EtatBtn, 1);
    EXPECT_EQ(button.state, 2);
    EXPECT_EQ(PictureShown(button), 4);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(6, 7));
    EXPECT_EQ(clicks, 1);
}

// A strip too narrow to hold pictures is not drawn; the button keeps its size, so that
// the icon and the caption remain.
TEST(Button, NarrowStripDrawsNothingButIconAndCaptionShow) {
    const QColor icon(0xff, 0x00, 0xff);
    for (const QImage& strip : {QImage(), Solid(1, 14, Qt::yellow)}) {
        TKestroButton button;
        button.SetPngImg(strip);
        button.SetPngIcon(Solid(6, 6, icon));
        button.SetCaption(QStringLiteral("Go"));
        button.Setwtext(true);
        const QImage image = Painted(button);
        ASSERT_EQ(image.size(), QSize(35, 25)) << "strip width " << strip.width();
        // top = round(25 / 2) - round(6 / 2) = 12 - 3
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 23; ++x) {
                const bool inIcon = x >= 5 && x < 11 && y >= 9 && y < 15;
                ASSERT_EQ(image.pixelColor(x, y), inIcon ? icon : kBackground)
                    << "(" << x << ", " << y << "), strip width " << strip.width();
            }
        }
        int caption = 0;
        for (int y = 0; y < 25; ++y)
            for (int x = 23; x < 35; ++x) caption += image.pixelColor(x, y) != kBackground;
        EXPECT_GT(caption, 5) << "strip width " << strip.width();
    }
}

bool ShowsColour(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) return true;
    return false;
}

TEST(Button, CaptionColourFollowsThePicture) {
    const QColor normal(0xff, 0, 0), over(0, 0xff, 0), down(0, 0, 0xff);
    TKestroButton button;
    button.SetCaption(QStringLiteral("WWW"));
    button.Setwtext(true);
    button.SetColorNormal(normal);
    button.SetColorOver(over);
    button.SetColorDown(down);
    EXPECT_TRUE(ShowsColour(Painted(button), normal));
    Enter(button);
    EXPECT_TRUE(ShowsColour(Painted(button), over));
    button.SetDown(true);
    EXPECT_TRUE(ShowsColour(Painted(button), down));
    button.setEnabled(false);  // disabled keeps the colour last used
    const QImage disabled = Painted(button);
    EXPECT_TRUE(ShowsColour(disabled, down));
    EXPECT_FALSE(ShowsColour(disabled, normal));
}

}  // namespace
}  // namespace orvo::test
