// The stream menus: built from the engine's streams on every open, each item carrying the
// engine's index, and choosing one asks the engine to enable it.
#include "PlayerTest.h"
#include "Unit1.h"

namespace orvo::test {
namespace {

struct Shown {
    QString caption;
    int32_t tag;
    bool checked, enabled;
    bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* out) {
    *out << "{" << s.caption.toStdString() << ", tag " << s.tag << (s.checked ? ", checked" : "")
         << (s.enabled ? "" : ", disabled") << "}";
}

std::vector<Shown> Items(QMenu* menu) {
    std::vector<Shown> items;
    for (QAction* action : menu->actions()) {
        auto* item = qobject_cast<TMenuItem*>(action);
        items.push_back({action->text(), item ? item->Tag : -1, action->isChecked(), action->isEnabled()});
    }
    return items;
}

// The engine's own list, read through the same exports.
std::vector<Shown> EngineStreams(int32_t type) {
    std::vector<Shown> streams;
    for (int32_t i = 0; i < Lumex_ChannelStreamsCount(CurrentChannel); ++i) {
        StreamInfo s{};
        if (Lumex_ChannelGetStream(CurrentChannel, i, &s) && s.type == type)
            streams.push_back({QString::fromUtf8(s.name), i, s.enabled != 0, true});
    }
    return streams;
}

TEST_F(PlayerTest, StreamMenusListTheEngineStreamsWithTheirIndexes) {
    Open2D("multi.mkv");
    ASSERT_NE(CurrentChannel, 0u);
    const std::vector<Shown> video = Items(FormPlayer->Video2), audio = Items(FormPlayer->Audio2),
                             subtitles = Items(FormPlayer->Subtitles2);
    ASSERT_EQ(video.size(), 1u);
    ASSERT_EQ(audio.size(), 2u);
    EXPECT_EQ(subtitles.size(), 1u) << "the clip's subtitle track";
    EXPECT_EQ(video, EngineStreams(1));
    EXPECT_EQ(audio, EngineStreams(2));
    EXPECT_EQ(subtitles, EngineStreams(3));
    EXPECT_TRUE(audio[0].checked);
    EXPECT_FALSE(audio[1].checked);
    EXPECT_LT(video[0].tag, audio[0].tag);
    EXPECT_LT(audio[0].tag, audio[1].tag);

    TakeEngineCalls();
    FormPlayer->Audio2->actions()[1]->trigger();
    EXPECT_EQ(TakeEngineCalls(), (std::vector<EngineCall>{{CurrentChannel, kEnableStream, float(audio[1].tag)}}));
    EXPECT_EQ(Items(FormPlayer->Audio2), audio) << "the check marks stay as they were built";
    EXPECT_EQ(EngineStreams(2)[1].checked, true) << "the engine switched";
}

TEST_F(PlayerTest, AnotherOpenReplacesTheStreamItemsAndCloseKeepsThem) {
    Open2D("multi.mkv");
    const std::vector<Shown> multiAudio = Items(FormPlayer->Audio2);
    FormPlayer->CloseCurrentvideo1->trigger();
    EXPECT_FALSE(FormPlayer->Streams3->menuAction()->isEnabled());
    EXPECT_EQ(Items(FormPlayer->Audio2), multiAudio) << "closing leaves the items in place";

    Open2D("video_only.mkv");
    ASSERT_NE(CurrentChannel, 0u);
    EXPECT_EQ(Items(FormPlayer->Video2), EngineStreams(1));
    EXPECT_EQ(Items(FormPlayer->Audio2), EngineStreams(2));
    EXPECT_TRUE(Items(FormPlayer->Subtitles2).empty());
    for (const Shown& item : Items(FormPlayer->Audio2)) EXPECT_NE(item.caption, multiAudio[1].caption);
}

}  // namespace
}  // namespace orvo::test
