// What the user sees, read back from the X server: the stereo pictures in Panel1 and the
// full-screen window over the work area with the control strip in it.
#include <QTest>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "PlayerTest.h"
#include "Unit1.h"
#include "VideoForm.h"
#include "tests/media/TestPattern.h"
#include "tests/support/TestWindow.h"

namespace orvo::test {
namespace {

// The flat-coloured views of the clip, and the pictures made of them.
constexpr Rgb kLeft = SolidViewPixel(0), kRight = SolidViewPixel(1);
constexpr uint32_t kBlueYellow = Colour(kLeft.r, kLeft.g, kRight.b);
constexpr uint32_t kRedCyan = Colour(kLeft.r, kRight.g, kRight.b);
constexpr uint32_t kGreenMagenta = Colour(kRight.r, kLeft.g, kRight.b);
constexpr uint32_t kLeftView = Colour(kLeft.r, kLeft.g, kLeft.b);
constexpr uint32_t kRightView = Colour(kRight.r, kRight.g, kRight.b);

TEST_F(PlayerTest, Panel1ShowsTheChosenPictureOfALeftRightFile) {
    OpenLeftRight("sbs_solid.mkv");
    ASSERT_NE(CurrentChannel, 0u);
    TFormPlayer& f = *FormPlayer;
    EXPECT_TRUE(WaitForColour(f.Panel1, 252, 144, kBlueYellow)) << "blue/yellow after the open";
    // At its shape by default: a full-width pair's view is 4:3, 384 x 288 between bars of 60.
    EXPECT_TRUE(WaitForColour(f.Panel1, 20, 144, 0x000000)) << "a bar at the left";
    EXPECT_TRUE(NearColour(Pixel(f.Panel1, 490, 144), 0x000000)) << "and at the right";
    EXPECT_TRUE(NearColour(Pixel(f.Panel1, 70, 144), kBlueYellow));
    // Stretched, it fills Panel1.
    f.KeepAspectRatio1->trigger();
    const struct {
        TMenuItem* TFormPlayer::*item;
        uint32_t colour;
    } cases[] = {
        {&TFormPlayer::RedCyanGlasses2, kRedCyan},     {&TFormPlayer::GreenMagentaGlasses2, kGreenMagenta},
        {&TFormPlayer::NoGlassesLeftPart2, kLeftView}, {&TFormPlayer::NoGlasses2ndPart1, kRightView},
        {&TFormPlayer::BlueYellowGlasses2, kBlueYellow},
    };
    for (const auto& c : cases) {
        (f.*c.item)->trigger();
        EXPECT_TRUE(WaitForColour(f.Panel1, 252, 144, c.colour)) << (f.*c.item)->objectName().toStdString();
        for (auto [x, y] : {std::pair{3, 3}, std::pair{501, 284}})
            EXPECT_TRUE(NearColour(Pixel(f.Panel1, x, y), c.colour)) << "the picture fills Panel1 at " << x << "," << y;
    }
    // Side by side: the two views next to each other, unchanged.
    f.SidebySidedisplay1->trigger();
    EXPECT_TRUE(WaitForColour(f.Panel1, 120, 144, kLeftView));
    EXPECT_TRUE(NearColour(Pixel(f.Panel1, 380, 144), kRightView));
}

// While paused the engine draws nothing by itself: when Qt draws over Panel1 (here because
// another window covered it), the player has the engine show the paused picture again.
TEST_F(PlayerTest, ThePausedPictureComesBackWhenPanel1IsUncovered) {
    FormPlayer->KeepAspectRatio1->trigger();  // stretched over the whole of Panel1
    OpenLeftRight("sbs_solid.mkv");
    TFormPlayer& f = *FormPlayer;
    ASSERT_TRUE(WaitForColour(f.Panel1, 252, 144, kBlueYellow));
    QTest::keyClick(&f, Qt::Key_Space);
    ASSERT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PAUSED);
    {
        // Another window over Panel1, then gone: the server asks Qt to paint what it uncovered.
        const QPoint corner = f.Panel1->mapToGlobal(QPoint(0, 0));
        TestWindow cover(corner.x(), corner.y(), f.Panel1->width(), f.Panel1->height(), 0xFFFFFF);
    }
    Pump(300ms);
    EXPECT_FALSE(NearColour(Pixel(f.Panel1, 252, 144), 0xFFFFFF)) << "the cover has gone";
    EXPECT_TRUE(WaitForColour(f.Panel1, 252, 144, kBlueYellow)) << "the paused picture is shown again";
    EXPECT_TRUE(NearColour(Pixel(f.Panel1, 3, 3), kBlueYellow)) << "over the whole panel";
}

// Sets the work area a panel reserving the bottom 40 pixels would publish, for the scope.
class WorkArea {
public:
    WorkArea(uint32_t width, uint32_t height) {
        m_c = xcb_connect(nullptr, nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        m_atom = Atom("_NET_WORKAREA");
        const uint32_t area[4] = {0, 0, width, height};
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, m_atom, XCB_ATOM_CARDINAL, 32, 4, area);
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }
    ~WorkArea() {
        xcb_delete_property(m_c, m_root, m_atom);
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
        xcb_disconnect(m_c);
    }

private:
    xcb_atom_t Atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, strlen(name), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return atom;
    }
    xcb_connection_t* m_c;
    xcb_window_t m_root;
    xcb_atom_t m_atom;
};

void ExpectStripBackInTheMainWindow() {
    EXPECT_FALSE(VideoWindow->isVisible());
    EXPECT_EQ(FormPlayer->Panel2->parentWidget(), FormPlayer->Client);
    EXPECT_EQ(FormPlayer->Panel2->geometry(), QRect(0, 288, 505, 41));
    EXPECT_TRUE(FormPlayer->Panel2->isVisible());
}

TEST_F(PlayerTest, FullScreenCoversTheWorkAreaAndGivesTheStripBack) {
    const WorkArea area(1920, 1040);
    FormPlayer->KeepAspectRatio1->trigger();  // stretched over the whole window
    OpenLeftRight("sbs_solid.mkv");
    ASSERT_TRUE(WaitForColour(FormPlayer->Panel1, 252, 144, kBlueYellow));
    QTest::mouseClick(FormPlayer->fullscreen_btn, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(VideoWindow->isVisible());
    EXPECT_EQ(VideoWindow->geometry(), QRect(0, 0, 1920, 1040)) << "the work area, not the screen";
    EXPECT_EQ(VideoWindow->windowTitle(), "FullScreen");
    EXPECT_EQ(FormPlayer->Panel2->parentWidget(), VideoWindow);
    EXPECT_EQ(FormPlayer->Panel2->geometry(), QRect(1920 / 2 - 505 / 2, 1040 - 41, 505, 41));
    EXPECT_TRUE(WaitForColour(VideoWindow, 960, 500, kBlueYellow)) << "the picture moved to the full-screen window";
    for (auto [x, y] : {std::pair{2, 2}, std::pair{1917, 2}, std::pair{2, 1037}, std::pair{1917, 1037}})
        EXPECT_TRUE(WaitForColour(VideoWindow, x, y, kBlueYellow)) << "fills it at " << x << "," << y;

    // The strip stays above the picture.
    const std::vector<uint32_t> strip = Pixels(FormPlayer->Panel2);
    ASSERT_FALSE(strip.empty());
    EXPECT_FALSE(NearColour(strip[41 / 2 * 505 + 2], kBlueYellow));

    QTest::keyClick(VideoWindow, Qt::Key_Space);
    EXPECT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PAUSED) << "Space pauses in full screen";
    QTest::keyClick(VideoWindow, Qt::Key_Space);
    EXPECT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PLAYING);

    QTest::mouseDClick(VideoWindow, Qt::LeftButton, {}, QPoint(300, 300));
    ExpectStripBackInTheMainWindow();
    EXPECT_TRUE(WaitForColour(FormPlayer->Panel1, 252, 144, kBlueYellow)) << "the picture is back in Panel1";
}

TEST_F(PlayerTest, FullScreenWithNothingOpenShowsTheSplashAndEscapeReturns) {
    FormPlayer->Panel1DblClick(FormPlayer->Image1);
    ASSERT_TRUE(VideoWindow->isVisible());
    FormPlayer->Timer1Timer();
    EXPECT_TRUE(VideoWindow->Image1->isVisible());
    QTest::keyClick(VideoWindow, Qt::Key_Escape);
    ExpectStripBackInTheMainWindow();

    // An open while full screen sends the new picture there.
    FormPlayer->fullscreen_btnClick(FormPlayer->fullscreen_btn);
    OpenLeftRight("sbs_solid.mkv");
    EXPECT_TRUE(WaitForColour(VideoWindow, 400, 300, kBlueYellow));
    EXPECT_TRUE(WaitFor([] { return !VideoWindow->Image1->isVisible(); }));
    FormPlayer->fullscreen_btnClick(FormPlayer->fullscreen_btn);
    ExpectStripBackInTheMainWindow();
}

}  // namespace
}  // namespace orvo::test
