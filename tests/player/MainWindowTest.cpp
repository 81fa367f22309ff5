// The main window: its layout at start, the states the opens, close, play/pause and the end
// of a file leave it in, the times it shows and the volume the wheel sets.
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QWheelEvent>
#include <QTest>

#include "CommandLine.h"
#include "PlayerTest.h"
#include "Program.h"
#include "Unit1.h"
#include "Unit2.h"
#include "VideoForm.h"
#include "tests/media/MediaClip.h"

namespace orvo::test {
namespace {

TEST(FormatTime, MinutesAndSecondsWithoutAnHoursField) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "00:00"}, {75, "01:15"}, {76, "01:16"}, {3599, "59:59"}, {6000, "100:00"}, {7200, "120:00"},
    };
    for (auto [seconds, text] : cases) EXPECT_EQ(FormatTime(seconds), text) << seconds;
}

TEST(CommandLine, LayoutOptionsFileAndHelp) {
    using L = CommandLine::Layout;
    struct Case {
        std::vector<std::string> arguments;
        L layout;
        std::string file;
        bool help, error;
    };
    const Case cases[] = {
        {{}, L::Detected, "", false, false},
        {{"clip.mkv"}, L::Detected, "clip.mkv", false, false},
        {{"--left-right", "a b.mkv"}, L::LeftRight, "a b.mkv", false, false},
        {{"--top-bottom", "tb.mkv"}, L::TopBottom, "tb.mkv", false, false},
        {{"--2d", "x.mkv"}, L::Flat, "x.mkv", false, false},
        {{"--help"}, L::Detected, "", true, false},
        {{"--", "-dash.mkv"}, L::Detected, "-dash.mkv", false, false},
        {{"--left-right", "--2d", "x.mkv"}, L::Flat, "x.mkv", false, true},
        {{"--sideways", "x.mkv"}, L::Detected, "x.mkv", false, true},
        {{"a.mkv", "b.mkv"}, L::Detected, "a.mkv", false, true},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(c.arguments);
        const std::string what = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(line.layout, c.layout) << what;
        EXPECT_EQ(line.file, c.file) << what;
        EXPECT_EQ(line.help, c.help) << what;
        EXPECT_EQ(!line.error.empty(), c.error) << what;
    }
}

bool Enabled(QMenu* menu) { return menu->menuAction()->isEnabled(); }

std::vector<QString> Checked(QMenu* menu) {
    std::vector<QString> names;
    for (QAction* action : menu->actions())
        if (action->isChecked()) names.push_back(action->objectName());
    return names;
}

TEST_F(PlayerTest, StartsIdleWithItsLayoutAndMenus) {
    TFormPlayer& f = *FormPlayer;
    EXPECT_EQ(f.windowTitle(), "Orvo-Player");
    EXPECT_EQ(f.Client->size(), QSize(505, 329));
    EXPECT_EQ(f.Panel1->geometry(), QRect(0, 0, 505, 288));
    EXPECT_EQ(f.Panel2->geometry(), QRect(0, 288, 505, 41));
    EXPECT_EQ(f.Bar->geometry(), QRect(60, 16, 356, 10));
    EXPECT_EQ(f.PlayBtn->geometry(), QRect(8, 14, 13, 14));
    EXPECT_EQ(f.Label1->pos(), QPoint(27, 14));
    EXPECT_EQ(f.Label2->pos(), QPoint(419, 14));
    EXPECT_EQ(f.fullscreen_btn->geometry(), QRect(480, 15, 12, 14));
    EXPECT_NE(f.Panel1->winId(), f.winId()) << "the engine's window is a native child";
    EXPECT_EQ(f.minimumSize(), f.maximumSize()) << "no resizing";
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);

    EXPECT_EQ(CurrentChannel, 0u);
    EXPECT_EQ(f.volume, 100);
    EXPECT_EQ(f.xmode, 0);
    EXPECT_EQ(f.Label1->text(), "00:00");
    EXPECT_EQ(f.Label2->text(), "00:00");
    EXPECT_TRUE(f.Image1->isVisible());
    EXPECT_TRUE(f.Bar->sec);
    EXPECT_EQ(f.Bar->maxvalue, 0);
    EXPECT_FALSE(Enabled(f.Streams3));
    EXPECT_FALSE(Enabled(f.N2D1));
    EXPECT_FALSE(Enabled(f.N31));
    EXPECT_EQ(Checked(f.N2D1), std::vector<QString>{"BlueYellowGlasses1"});
    EXPECT_TRUE(Checked(f.N31).empty());
    EXPECT_EQ(f.BlueYellowGlasses1->text(), "Blue/Yellow Glasses ") << "with its trailing space";
    EXPECT_EQ(f.OpenFirstVideoCaptureDevice1->actions().size(), DeviceCount);
    std::vector<QString> bar;
    for (QAction* action : f.MainMenu1->actions()) bar.push_back(action->text());
    EXPECT_EQ(bar, (std::vector<QString>{"File", "Options", "About"}));
    EXPECT_FALSE(VideoWindow->isVisible());
}

TEST_F(PlayerTest, LengthRoundsHalfToEvenIntoTheBarAndLabel2) {
    const struct {
        const char* clip;
        int64_t maxvalue;
        const char* total;
    } cases[] = {{"len75_5.mkv", 76, "01:16"}, {"len74_5.mkv", 74, "01:14"}, {"long.mkv", 90, "01:30"}};
    for (const auto& c : cases) {
        Open2D(c.clip);
        ASSERT_NE(CurrentChannel, 0u) << c.clip;
        EXPECT_EQ(FormPlayer->Bar->maxvalue, c.maxvalue) << c.clip;
        EXPECT_EQ(FormPlayer->Label2->text(), c.total) << c.clip;
    }
}

TEST_F(PlayerTest, EachOpenSendsItsModesAndSetsItsMenus) {
    const struct {
        TMenuItem* TFormPlayer::*item;
        const char* clip;
        int32_t xmode;
        Sent sent;
        bool streams2D, streams3D;
    } cases[] = {
        {&TFormPlayer::Open2Dfile1, "flat.mkv", 0, {{5, 5}, {7, 0}, {10, 0}, {11, 1}, {1, 100}}, true, false},
        {&TFormPlayer::Openafile1, "sbs.mkv", 0, {{5, 1}, {7, 0}, {9, 0}, {10, 0}, {11, 1}, {1, 100}}, false, true},
        {&TFormPlayer::Open3DTopBottomvideofile1, "tb.mkv", 1, {{5, 2}, {7, 0}, {9, 0}, {10, 0}, {11, 1}, {1, 100}},
         false, true},
    };
    for (const auto& c : cases) {
        QAction* item = FormPlayer->*c.item;
        OpenWith(item, c.clip);
        ASSERT_NE(CurrentChannel, 0u) << c.clip;
        EXPECT_EQ(TakeSent(), c.sent) << c.clip;
        EXPECT_EQ(FormPlayer->xmode, c.xmode) << c.clip;
        EXPECT_TRUE(Enabled(FormPlayer->Streams3)) << c.clip;
        EXPECT_EQ(Enabled(FormPlayer->N2D1), c.streams2D) << c.clip;
        EXPECT_EQ(Enabled(FormPlayer->N31), c.streams3D) << c.clip;
        EXPECT_EQ(item->isChecked(), c.streams3D) << "a stereo open item keeps a check mark";
        EXPECT_TRUE(Checked(FormPlayer->N31).empty()) << c.clip;
        EXPECT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PLAYING) << c.clip;
        EXPECT_EQ(FormPlayer->PlayBtn->state, 2) << "pause pictures while playing";
    }
    EXPECT_TRUE(FormPlayer->Openafile1->isChecked()) << "never unchecked again";
}

TEST_F(PlayerTest, CloseAndACancelledOpenReturnToIdle) {
    for (auto close : std::vector<std::function<void()>>{
             [] { FormPlayer->CloseCurrentvideo1->trigger(); },
             [this] { Open2D(""); },
         }) {
        Open2D("flat.mkv");
        ASSERT_NE(CurrentChannel, 0u);
        ASSERT_TRUE(WaitFor([] { return !FormPlayer->Image1->isVisible(); })) << "the picture replaces the splash";
        close();
        EXPECT_EQ(CurrentChannel, 0u);
        EXPECT_FALSE(Enabled(FormPlayer->Streams3));
        EXPECT_FALSE(Enabled(FormPlayer->N2D1));
        EXPECT_EQ(FormPlayer->Label2->text(), "00:00");
        EXPECT_EQ(FormPlayer->Bar->maxvalue, 0);
        FormPlayer->Timer1Timer();
        EXPECT_TRUE(FormPlayer->Image1->isVisible()) << "the splash returns on the next tick";
        EXPECT_EQ(FormPlayer->Label1->text(), "00:00");
    }
    FormPlayer->CloseCurrentvideo1->trigger();
    EXPECT_EQ(CurrentChannel, 0u) << "closing with nothing open does nothing";
}

TEST_F(PlayerTest, AFileThatCannotBeOpenedLeavesThePlayerIdleWithoutAMessage) {
    Open2D("flat.mkv");
    OpenLeftRight("random.mkv");
    EXPECT_EQ(CurrentChannel, 0u);
    EXPECT_FALSE(Enabled(FormPlayer->N31));
    CommandLine line;
    line.layout = CommandLine::Layout::LeftRight;
    line.file = "/nonexistent/clip.mkv";
    OpenFromCommandLine(line);
    EXPECT_EQ(CurrentChannel, 0u);
    Pump(100ms);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(PlayerTest, CommandLineOpensAsTheMatchingMenuItem) {
    CommandLine line;
    line.layout = CommandLine::Layout::TopBottom;
    line.file = MediaClip("tb.mkv");
    OpenFromCommandLine(line);
    ASSERT_NE(CurrentChannel, 0u);
    EXPECT_EQ(FormPlayer->xmode, 1);
    EXPECT_TRUE(FormPlayer->Open3DTopBottomvideofile1->isChecked());
    EXPECT_EQ(TakeSent(), (Sent{{5, 2}, {7, 0}, {9, 0}, {10, 0}, {11, 1}, {1, 100}}));
}

void PressSpace(QWidget* window) { QTest::keyClick(window, Qt::Key_Space); }

TEST_F(PlayerTest, SpaceAndThePlayButtonPauseAndResume) {
    FormPlayer->PlayBtn->SetState(2);
    PressSpace(FormPlayer);
    EXPECT_EQ(FormPlayer->PlayBtn->state, 0) << "nothing open: only the button is reset";

    Open2D("flat.mkv");
    ASSERT_TRUE(WaitFor([] { return FormPlayer->Label1->text() == "00:01"; }));
    PressSpace(FormPlayer);
    EXPECT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PAUSED);
    EXPECT_EQ(FormPlayer->PlayBtn->state, 0);
    const int64_t bar = FormPlayer->Bar->Value();
    Pump(1200ms);
    EXPECT_EQ(FormPlayer->Bar->Value(), bar) << "pausing freezes the bar";
    EXPECT_EQ(FormPlayer->Label1->text(), "00:01") << "and the elapsed time";
    EXPECT_FALSE(FormPlayer->Image1->isVisible()) << "the splash stays away while paused";
    QTest::mouseClick(FormPlayer->PlayBtn, Qt::LeftButton);
    EXPECT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PLAYING);
    EXPECT_EQ(FormPlayer->PlayBtn->state, 2);
}

void MouseOnBar(QEvent::Type type, int x) {
    QWidget* bar = FormPlayer->Bar;
    const QPointF at(x, bar->height() / 2);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, bar->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(bar, &event);
}

// Dragging the seek bar: the picture follows with one seek at a time on its way; of the
// places dragged over meanwhile only the latest is sent, once that seek has landed; the
// release lands where the mouse let go.
TEST_F(PlayerTest, DraggingTheBarKeepsOneSeekOnItsWayAndTheReleaseLandsExactly) {
    Open2D("flat_12s.mkv");
    ASSERT_TRUE(WaitFor([] { return FormPlayer->Label1->text() == "00:01"; }));
    TakeSeeks();
    MouseOnBar(QEvent::MouseButtonPress, 30);
    EXPECT_TRUE(TakeSeeks().empty()) << "a press waits for the drag or the release";
    std::vector<double> dragged;
    for (int x : {60, 100, 140, 180}) {
        MouseOnBar(QEvent::MouseMove, x);
        dragged.push_back(double(FormPlayer->Bar->position2));
    }
    EXPECT_EQ(TakeSeeks(), std::vector<double>{dragged.front()}) << "one seek on its way";
    std::vector<double> later;
    ASSERT_TRUE(WaitFor([&] {
        for (double s : TakeSeeks()) later.push_back(s);
        return !later.empty();
    }));
    Pump(300ms);
    for (double s : TakeSeeks()) later.push_back(s);
    EXPECT_EQ(later, std::vector<double>{dragged.back()}) << "the latest, once the first landed";

    MouseOnBar(QEvent::MouseMove, 220);
    MouseOnBar(QEvent::MouseButtonRelease, 260);
    const double released = double(FormPlayer->Bar->position2);
    const std::vector<double> seeks = TakeSeeks();
    ASSERT_FALSE(seeks.empty());
    EXPECT_EQ(seeks.back(), released);
    Pump(300ms);
    EXPECT_TRUE(TakeSeeks().empty()) << "nothing dragged to goes after the release";
    EXPECT_GE(Lumex_ChannelGetPosition(CurrentChannel, POS_SECONDS), released);
}

// The end of a file: paused on its last picture with the bar and the time at the end; Play
// starts it again from the beginning.
TEST_F(PlayerTest, TheEndOfAFileShowsAsEndedAndPlayStartsAgain) {
    Open2D("sbs.mkv");
    ASSERT_TRUE(WaitFor([] { return FormPlayer->Ended(); }, 6s));
    EXPECT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PAUSED);
    EXPECT_EQ(FormPlayer->PlayBtn->state, 0) << "play pictures";
    EXPECT_EQ(FormPlayer->Bar->Value(), FormPlayer->Bar->maxvalue);
    EXPECT_EQ(FormPlayer->Label1->text(), "00:02");
    Pump(200ms);
    EXPECT_FALSE(FormPlayer->Image1->isVisible()) << "the last picture stays";
    EXPECT_NE(Pixel(FormPlayer->Panel1, 250, 140), 0u);

    PressSpace(FormPlayer);
    EXPECT_FALSE(FormPlayer->Ended());
    EXPECT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PLAYING);
    EXPECT_LT(Lumex_ChannelGetPosition(CurrentChannel, POS_MILLISECONDS), 1000.0) << "from the beginning";
    FormPlayer->Timer1Timer();
    EXPECT_EQ(FormPlayer->Label1->text(), "00:00");
    EXPECT_EQ(FormPlayer->PlayBtn->state, 2);
}

void Wheel(QWidget* window, int notches) {
    const QPoint at(window->width() / 2, window->height() / 2);
    QWheelEvent event(at, window->mapToGlobal(at), QPoint(), QPoint(0, notches * QWheelEvent::DefaultDeltasPerStep),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window, &event);
}

// From 100 down in steps of 3 to 1 and then 0, and back up to 99 and 100, in both windows;
// with nothing open the stored volume changes and reaches the next file.
TEST_F(PlayerTest, TheWheelStepsTheVolumeByThreeWithinZeroToHundred) {
    std::vector<int64_t> down, up, expectedDown, expectedUp;
    for (int v = 97; v > 0; v -= 3) expectedDown.push_back(v);
    expectedDown.push_back(0);
    for (int v = 3; v < 100; v += 3) expectedUp.push_back(v);
    expectedUp.push_back(100);
    for (QWidget* window : {static_cast<QWidget*>(FormPlayer), static_cast<QWidget*>(VideoWindow)}) {
        down.clear(), up.clear();
        for (size_t i = 0; i < expectedDown.size() + 2; ++i) {
            Wheel(window, -1);
            if (down.empty() || down.back() != FormPlayer->volume) down.push_back(FormPlayer->volume);
        }
        for (size_t i = 0; i < expectedUp.size() + 2; ++i) {
            Wheel(window, 1);
            if (up.empty() || up.back() != FormPlayer->volume) up.push_back(FormPlayer->volume);
        }
        EXPECT_EQ(down, expectedDown) << window->objectName().toStdString();
        EXPECT_EQ(up, expectedUp) << window->objectName().toStdString();
    }
    for (const EngineCall& call : TakeEngineCalls()) EXPECT_EQ(call.channel, 0u) << "nothing open";

    Wheel(FormPlayer, -17);
    EXPECT_EQ(FormPlayer->volume, 49);
    Open2D("flat.mkv");
    EXPECT_EQ(TakeSent().back(), (std::pair<int32_t, float>{1, 49})) << "the stored volume reaches the file";
}

TEST_F(PlayerTest, FileInfoWithNothingOpenSaysSoAndCreatesNothing) {
    QString text, caption;
    QWidget* parent = nullptr;
    OnNextModal([&](QWidget* box) {
        text = static_cast<QMessageBox*>(box)->text();
        caption = box->windowTitle();
        parent = box->parentWidget();
    });
    FormPlayer->FileInfo1->trigger();
    EXPECT_EQ(text, "No File is currently open");
    EXPECT_EQ(caption, "Info");
    EXPECT_EQ(parent, FormPlayer);
    EXPECT_EQ(FInfo, nullptr);
}

TEST_F(PlayerTest, ExitClosesTheMainWindow) {
    FormPlayer->Exit1->trigger();
    EXPECT_FALSE(FormPlayer->isVisible());
}

}  // namespace
}  // namespace orvo::test
