// The player's keys in the main and the full-screen window, read back through the engine
// (positions, volume) and the screen (the frame step), the folder as a playlist, the
// right-click "Options" menu and the About items.
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "FolderPlaylist.h"
#include "OpenDialog.h"
#include "PlayerKeys.h"
#include "PlayerTest.h"
#include "Unit1.h"
#include "VideoForm.h"
#include "tests/media/MediaClip.h"

namespace orvo::test {
namespace {

double PositionMs() { return Lumex_ChannelGetPosition(CurrentChannel, POS_MILLISECONDS); }

void Press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window, key, modifiers);
}

// From 10 s of a 90.5 s file, paused so that the engine holds each target: every seek key
// moves by its step, kept within the file, in both windows.
TEST_F(PlayerTest, SeekKeysMoveThePositionByFiveAndSixtySeconds) {
    Open2D("long.mkv");
    ASSERT_NE(CurrentChannel, 0u);
    Press(FormPlayer, Qt::Key_Space);
    ASSERT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PAUSED);
    const double length = Lumex_ChannelGetLength(CurrentChannel, POS_MILLISECONDS);
    const struct {
        Qt::Key key;
        double expected;  // ms
    } steps[] = {
        {Qt::Key_Right, 15000}, {Qt::Key_Up, 75000},  {Qt::Key_Left, 70000}, {Qt::Key_Down, 10000},
        {Qt::Key_Down, 0},      {Qt::Key_Left, 0},    {Qt::Key_Up, 60000},   {Qt::Key_Up, length},
        {Qt::Key_Right, length}, {Qt::Key_Home, 0},
    };
    for (QWidget* window : {static_cast<QWidget*>(FormPlayer), static_cast<QWidget*>(VideoWindow)}) {
        Lumex_ChannelSetPosition(CurrentChannel, 10, POS_SECONDS);
        for (const auto& step : steps) {
            Press(window, step.key);
            EXPECT_NEAR(PositionMs(), step.expected, 1) << QKeySequence(step.key).toString().toStdString() << " in "
                                                       << window->objectName().toStdString();
        }
    }
    Press(FormPlayer, Qt::Key_Up);
    EXPECT_EQ(FormPlayer->Label1->text(), "01:00") << "the bar and the elapsed time follow a key seek";
    EXPECT_EQ(FormPlayer->Bar->Value(), 60);
}

// M silences the engine and gives the volume back; 9 and 0 step it by 3 within 0..100, and
// a change while muted waits for the mute to end.
TEST_F(PlayerTest, MuteAndVolumeKeysReachTheEngine) {
    Open2D("flat.mkv");
    ASSERT_NE(CurrentChannel, 0u);
    TakeEngineCalls();
    const struct {
        Qt::Key key;
        int64_t volume;
        float sent;
    } steps[] = {
        {Qt::Key_9, 97, 97}, {Qt::Key_M, 97, 0}, {Qt::Key_9, 94, 0}, {Qt::Key_M, 94, 94},
        {Qt::Key_0, 97, 97}, {Qt::Key_0, 100, 100}, {Qt::Key_0, 100, 100},
    };
    for (const auto& step : steps) {
        Press(FormPlayer, step.key);
        EXPECT_EQ(FormPlayer->volume, step.volume);
        const std::vector<EngineCall> calls = TakeEngineCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0], (EngineCall{CurrentChannel, ATTRIB_VOLUME, step.sent}));
    }
    Press(FormPlayer, Qt::Key_M);
    Open2D("flat.mkv");
    EXPECT_EQ(TakeSent().back(), (std::pair<int32_t, float>{ATTRIB_VOLUME, 0})) << "a mute lasts through an open";
}

// The first view of the flat clip alone: its red ramp moves by 3 a frame, so the step shows
// as that change at one spot of Panel1, and the position as one frame time.
TEST_F(PlayerTest, TheFrameKeyShowsTheNextFrameWhilePaused) {
    Open2D("flat.mkv");
    ASSERT_NE(CurrentChannel, 0u);
    FormPlayer->NoGlassesLeftPart1->trigger();
    Press(FormPlayer, Qt::Key_Space);
    Lumex_ChannelSetPosition(CurrentChannel, 1, POS_SECONDS);
    Pump(300ms);
    const auto red = [] { return int(Pixel(FormPlayer->Panel1, 100, 100) >> 16 & 0xFF); };
    for (int step = 0; step < 3; ++step) {
        const int before = red();
        const double at = PositionMs();
        Press(FormPlayer, Qt::Key_Period);
        EXPECT_NEAR(PositionMs() - at, 40, 1) << "one frame of 25 per second";
        ASSERT_TRUE(WaitFor([&] { return red() != before; })) << "step " << step;
        Pump(100ms);
        // 3 apart, give or take the rounding of the picture's scaling.
        EXPECT_NEAR((red() - before + 256) % 256, 3, 1) << "step " << step;
    }
    Press(FormPlayer, Qt::Key_Space);
    ASSERT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PLAYING);
    Press(FormPlayer, Qt::Key_Period);
    EXPECT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PLAYING) << "no step while playing";
}

TEST(FolderPlaylist, MediaFilesInNaturalOrder) {
    QTemporaryDir folder;
    for (const char* name : {"Episode 10.mkv", "episode 2.mkv", "episode 1.MKV", "notes.txt", "b.mp4", "a.avi"}) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(folder.path()).mkdir("more.mkv"));
    QStringList names;
    for (const QString& path : FolderMediaFiles(folder.path())) names << QFileInfo(path).fileName();
    EXPECT_EQ(names, (QStringList{"a.avi", "b.mp4", "episode 1.MKV", "episode 2.mkv", "Episode 10.mkv"}));
    const QString second = folder.filePath("episode 2.mkv");
    EXPECT_EQ(NeighbourFile(second, 1), folder.filePath("Episode 10.mkv"));
    EXPECT_EQ(NeighbourFile(second, -1), folder.filePath("episode 1.MKV"));
    EXPECT_EQ(NeighbourFile(folder.filePath("Episode 10.mkv"), 1), "") << "the last has no next";
    EXPECT_EQ(NeighbourFile(folder.filePath("a.avi"), -1), "");
    EXPECT_EQ(NeighbourFile(folder.filePath("gone.mkv"), 1), "");
}

// A folder of one series opened as left/right: N, P and the File items go through it in
// natural order, each open with the layout of the first, and stop at its ends.
TEST_F(PlayerTest, NextAndPreviousFileFollowTheFolderWithTheFirstOpensLayout) {
    QTemporaryDir folder;
    const QString clip = QString::fromStdString(MediaClip("sbs.mkv"));
    for (const char* name : {"episode 1.mkv", "episode 2.mkv", "episode 10.mkv"})
        ASSERT_TRUE(QFile::link(clip, folder.filePath(name)));
    EXPECT_FALSE(FormPlayer->NextFile1->isEnabled()) << "no file open";
    TOpenDialog::Chooser = [&] { return folder.filePath("episode 1.mkv"); };
    FormPlayer->Openafile1->trigger();
    ASSERT_NE(CurrentChannel, 0u);
    EXPECT_TRUE(FormPlayer->NextFile1->isEnabled());
    const auto open = [] { return QFileInfo(FormPlayer->Session->FileName()).fileName(); };
    const Sent leftRight = {{5, 1}, {7, 0}, {9, 0}, {10, 0}, {11, 1}, {1, 100}};
    TakeSent();
    const struct {
        std::function<void()> go;
        const char* file;
    } steps[] = {
        {[] { Press(FormPlayer, Qt::Key_N); }, "episode 2.mkv"},
        {[] { FormPlayer->NextFile1->trigger(); }, "episode 10.mkv"},
        {[] { Press(FormPlayer, Qt::Key_N); }, "episode 10.mkv"},
        {[] { Press(FormPlayer, Qt::Key_P); }, "episode 2.mkv"},
        {[] { FormPlayer->PreviousFile1->trigger(); }, "episode 1.mkv"},
        {[] { Press(FormPlayer, Qt::Key_P); }, "episode 1.mkv"},
    };
    for (const auto& step : steps) {
        const uint32_t before = CurrentChannel;
        step.go();
        EXPECT_EQ(open(), step.file);
        ASSERT_NE(CurrentChannel, 0u);
        EXPECT_EQ(TakeSent(), before == CurrentChannel ? Sent{} : leftRight) << step.file;
        EXPECT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PLAYING);
        EXPECT_EQ(FormPlayer->xmode, 0);
    }
}

TEST_F(PlayerTest, OpenAndExitKeys) {
    const std::string clip = MediaClip("flat.mkv");
    TOpenDialog::Chooser = [&] { return QString::fromStdString(clip); };
    Press(FormPlayer, Qt::Key_O, Qt::ControlModifier);
    ASSERT_NE(CurrentChannel, 0u);
    EXPECT_EQ(FormPlayer->Session->Layout(), MediumLayout::Flat);
    EXPECT_TRUE(FormPlayer->N2D1->menuAction()->isEnabled()) << "as Open 2D file... does";
    Press(FormPlayer, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(FormPlayer->isVisible());
}

// F and Enter switch full screen on and off, Escape leaves it; a right click on the picture
// opens "Options" in either window.
TEST_F(PlayerTest, FullScreenKeysAndTheRightClickMenu) {
    const struct {
        QWidget* window;
        Qt::Key key;
        bool fullScreen;
    } steps[] = {
        {FormPlayer, Qt::Key_F, true},       {VideoWindow, Qt::Key_Escape, false}, {FormPlayer, Qt::Key_Escape, false},
        {FormPlayer, Qt::Key_Return, true},  {VideoWindow, Qt::Key_F, false},      {FormPlayer, Qt::Key_Enter, true},
        {VideoWindow, Qt::Key_Return, false},
    };
    for (const auto& step : steps) {
        Press(step.window, step.key);
        EXPECT_EQ(VideoWindow->isVisible(), step.fullScreen) << QKeySequence(step.key).toString().toStdString();
    }
    EXPECT_EQ(FormPlayer->Panel2->parentWidget(), FormPlayer->Client) << "the strip is back";

    for (bool fullScreen : {false, true}) {
        if (fullScreen) Press(FormPlayer, Qt::Key_F);
        // Through the top-level window, where Qt turns a right button press into a context
        // menu request for the widget under the mouse.
        QWidget* window = fullScreen ? static_cast<QWidget*>(VideoWindow) : FormPlayer;
        QWidget* picture = fullScreen ? static_cast<QWidget*>(VideoWindow->Image1) : FormPlayer->Image1;
        QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, picture->mapTo(window, QPoint(100, 100)));
        EXPECT_TRUE(WaitFor([] { return FormPlayer->Options1->isVisible(); })) << "full screen " << fullScreen;
        FormPlayer->Options1->hide();
    }
    Press(VideoWindow, Qt::Key_Escape);
}

class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QUrl opened;

public slots:
    void Open(const QUrl& url) { opened = url; }
};

// "Keyboard" lists every key; "About" opens the README that the build puts beside the program.
TEST_F(PlayerTest, AboutOpensTheReadmeAndKeyboardListsTheKeys) {
    QString keys;
    OnNextModal([&](QWidget* box) { keys = static_cast<QMessageBox*>(box)->text(); });
    FormPlayer->Keyboard1->trigger();
    for (const PlayerKey& key : PlayerKeys()) EXPECT_TRUE(keys.contains(key.what)) << key.what;
    EXPECT_TRUE(keys.contains("Ctrl+O"));

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "Open");
    QString about;
    OnNextModal([&](QWidget* box) { about = static_cast<QMessageBox*>(box)->text(); });
    FormPlayer->About1->trigger();
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_TRUE(about.startsWith("Orvo-Player v1.3\n"));
    ASSERT_TRUE(catcher.opened.isLocalFile()) << catcher.opened.toString().toStdString();
    QFile readme(catcher.opened.toLocalFile());
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    EXPECT_TRUE(readme.readAll().contains("Orvo-Player"));
}

}  // namespace
}  // namespace orvo::test

#include "KeysTest.moc"
