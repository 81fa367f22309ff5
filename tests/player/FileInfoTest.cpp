// The file information window: picture size, rate and sound format of the open medium, and
// the frame number while it plays.
#include <QCoreApplication>

#include "PlayerTest.h"
#include "Unit1.h"
#include "Unit2.h"

namespace orvo::test {
namespace {

struct InfoText {
    QString width, height, rate, audio;
    bool operator==(const InfoText&) const = default;
};

void PrintTo(const InfoText& t, std::ostream* out) {
    *out << "{" << t.width.toStdString() << ", " << t.height.toStdString() << ", " << t.rate.toStdString() << ", \""
         << t.audio.toStdString() << "\"}";
}

InfoText Shown() { return {FInfo->Label12->text(), FInfo->Label2->text(), FInfo->Label6->text(), FInfo->Label15->text()}; }

void DestroyFileInfo() {
    FInfo->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// How the views lie, in words, as the engine found them when the file opened.
TEST_F(PlayerTest, FileInfoSaysHowTheViewsLie) {
    const std::pair<const char*, const char*> cases[] = {
        {"hevc_sei.mkv", "Side by side, full width, right eye first, from the stream"},
        {"mkv_top_bottom.mkv", "Top/bottom, half height, left eye first, from the container"},
        {"movie_lrh.mkv", "Side by side, half width, left eye first, from the file name"},
        {"fp_frames-2d.mkv", "Unknown layout, from the stream"},
        {"flat.mkv", "Unknown layout"},
    };
    for (auto [clip, words] : cases) {
        Open2D(clip);
        ASSERT_NE(CurrentChannel, 0u) << clip;
        FormPlayer->FileInfo1->trigger();
        ASSERT_NE(FInfo, nullptr);
        EXPECT_EQ(FInfo->Label19->text().toStdString(), words);
        DestroyFileInfo();
    }
    LUMEX_STEREO_LAYOUT flat{LAYOUT_2D, 0, 0, LAYOUT_FROM_NAME, 16, 9};
    EXPECT_EQ(LayoutInWords(flat).toStdString(), "2D, from the file name");
}

TEST_F(PlayerTest, FileInfoShowsThePictureAndTheSoundOfTheOpenFile) {
    const struct {
        const char* clip;
        InfoText text;
    } cases[] = {
        {"sbs.mkv", {"640", "240", "25", "2 Chans, 48000 Hz, 32 Bits "}},
        {"audio_only.mp3", {"0", "0", "0", "2 Chans, 44100 Hz, 32 Bits "}},
        {"flat_12s.mkv", {"64", "48", "25", "0 Chans, 0 Hz, 0 Bits "}},
    };
    for (const auto& c : cases) {
        Open2D(c.clip);
        ASSERT_NE(CurrentChannel, 0u) << c.clip;
        FormPlayer->FileInfo1->trigger();
        ASSERT_NE(FInfo, nullptr);
        EXPECT_EQ(Shown(), c.text) << c.clip;
        EXPECT_EQ(FInfo->windowTitle(), "File Info");
        EXPECT_EQ(FInfo->size(), QSize(274, 154));
        EXPECT_EQ(FInfo->parentWidget(), FormPlayer);
        DestroyFileInfo();
        EXPECT_EQ(FInfo, nullptr) << "closing destroys the window";
    }
}

// The position comes in whole seconds: at 10.7 s a 25 fps file is at frame 25 x 10.
TEST_F(PlayerTest, CurrentFrameIsTheRateTimesTheWholeSeconds) {
    Open2D("flat_12s.mkv");
    ASSERT_NE(CurrentChannel, 0u);
    FormPlayer->FileInfo1->trigger();
    ASSERT_NE(FInfo, nullptr);
    Lumex_ChannelPause(CurrentChannel);
    ASSERT_EQ(Lumex_ChannelSetPosition(CurrentChannel, 10.7, POS_SECONDS), 1);
    Pump(100ms);
    EXPECT_EQ(FInfo->Label16->text(), "") << "nothing while paused";
    Lumex_ChannelPlay(CurrentChannel);
    EXPECT_TRUE(WaitFor([] { return FInfo->Label16->text() == "250"; }, 1s)) << FInfo->Label16->text().toStdString();
}

TEST_F(PlayerTest, FileInfoIsFilledOncePerWindow) {
    Open2D("sbs.mkv");
    FormPlayer->FileInfo1->trigger();
    TFInfo* first = FInfo;
    const InfoText sbs = Shown();
    Open2D("flat_12s.mkv");
    FormPlayer->FileInfo1->trigger();
    EXPECT_EQ(FInfo, first) << "a second choice only brings the window up";
    EXPECT_EQ(Shown(), sbs) << "and does not refill it";

    FormPlayer->CloseCurrentvideo1->trigger();
    const QString frame = FInfo->Label16->text();
    Pump(100ms);
    EXPECT_EQ(FInfo->Label16->text(), frame) << "with the channel closed nothing changes";

    Open2D("flat_12s.mkv");
    DestroyFileInfo();
    FormPlayer->FileInfo1->trigger();
    ASSERT_NE(FInfo, nullptr);
    EXPECT_EQ(Shown(), (InfoText{"64", "48", "25", "0 Chans, 0 Hz, 0 Bits "})) << "a fresh window, fresh values";
}

}  // namespace
}  // namespace orvo::test
