// The media check through libCore.so: generated clips rendered by the platform's own
// filters only, a reader with a splitter behind it, names in both forms, and the check made
// while a channel plays. The video renderer takes video only with a display, so these tests
// run under Xvfb.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Lumex.h"
#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/graph/MediaGuids.h"
#include "tests/media/MediaClip.h"
#include "tests/mediacheck/StreamFilters.h"
#include "tests/support/AlsaCapture.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const auto* const g_alsa = testing::AddGlobalTestEnvironment(new AlsaCapture);

constexpr DWORD kH264 = MakeFourCC('H', '2', '6', '4');
constexpr DWORD kNope = MakeFourCC('N', 'O', 'P', 'E');
constexpr GUID kNopeSubtype = GuidFromFourCC(kNope);

// Records start out filled with a byte no check writes, so that an untouched one shows.
template <class Record>
Record Untouched() {
    Record record;
    std::memset(&record, 0xA5, sizeof record);
    return record;
}

template <class Record>
bool SameBytes(const Record& a, const Record& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

VideoCheckInfo Video(const GUID& subtype, int32_t width, int32_t height, uint32_t compression) {
    VideoCheckInfo info = Untouched<VideoCheckInfo>();
    info.subtype = subtype;
    info.width = width;
    info.height = height;
    info.compression = compression;
    return info;
}

AudioCheckInfo Audio(const GUID& subtype, int32_t channels, int32_t sampleRate, int32_t formatTag) {
    AudioCheckInfo info = Untouched<AudioCheckInfo>();
    info.subtype = subtype;
    info.channels = channels;
    info.sampleRate = sampleRate;
    info.formatTag = formatTag;
    return info;
}

struct Outcome {
    int32_t result;
    AudioCheckInfo audio = Untouched<AudioCheckInfo>();
    VideoCheckInfo video = Untouched<VideoCheckInfo>();
};

Outcome Check(const void* name, int32_t form) {
    Outcome outcome{};
    outcome.result = Lumex_CheckVideo(name, &outcome.audio, &outcome.video, form);
    return outcome;
}

Outcome CheckUtf8(const std::string& path, int32_t form = 0) { return Check(path.c_str(), form); }

Outcome CheckUtf16(const std::string& path) {
    const std::u16string wide = com::Utf8ToUtf16(path);
    return Check(wide.c_str(), -1);
}

struct Expected {
    int32_t result;
    std::optional<VideoCheckInfo> video = std::nullopt;  // nullopt: the record stays untouched
    std::optional<AudioCheckInfo> audio = std::nullopt;
};

void ExpectOutcome(const Outcome& got, const Expected& expected) {
    EXPECT_EQ(got.result, expected.result);
    EXPECT_TRUE(SameBytes(got.video, expected.video.value_or(Untouched<VideoCheckInfo>())))
        << "video record: " << got.video.width << "x" << got.video.height;
    EXPECT_TRUE(SameBytes(got.audio, expected.audio.value_or(Untouched<AudioCheckInfo>())))
        << "audio record: " << got.audio.channels << " channels at " << got.audio.sampleRate;
}

// The export needs no initialised library, only a component apartment on the calling thread.
class MediaCheck : public testing::Test {
protected:
    void SetUp() override {
        ORVO_REQUIRE_DISPLAY();
        ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);
        m_apartment = true;
    }
    void TearDown() override {
        if (m_apartment) CoUninitialize();
    }
    static std::string Clip(const char* name) {
        std::string path = MediaClip(name);
        EXPECT_FALSE(path.empty()) << name;
        return path;
    }

private:
    bool m_apartment = false;
};

struct ClipCase {
    const char* clip;
    Expected expected;
};

TEST_F(MediaCheck, GeneratedClipsInEveryNameForm) {
    const std::vector<ClipCase> cases = {
        {"mpeg2.mkv", {CHECK_PLAYABLE}},
        {"h264_mp2.mkv", {CHECK_VIDEO_NOT_RENDERED, Video(GuidFromFourCC(kH264), 336, 192, kH264)}},
        // A subtitle stream nothing renders does not hide the missing video decoder.
        {"h264_mp2_subs.mkv", {CHECK_VIDEO_NOT_RENDERED, Video(GuidFromFourCC(kH264), 336, 192, kH264)}},
        {"mpeg2_aac.mkv", {CHECK_AUDIO_NOT_RENDERED, std::nullopt, Audio(GuidFromFourCC(0x00FF), 1, 44100, 0x00FF)}},
        // Opus has no wave format tag of its own: its subtype is a FOURCC.
        {"mpeg2_opus.mkv",
         {CHECK_AUDIO_NOT_RENDERED, std::nullopt, Audio(GuidFromFourCC(MakeFourCC('O', 'p', 'u', 's')), 2, 48000, 0)}},
        {"random.mkv", {CHECK_UNPLAYABLE}},
    };
    for (const ClipCase& c : cases) {
        SCOPED_TRACE(c.clip);
        const std::string path = Clip(c.clip);
        for (int32_t form : {0, 1, 4096}) {
            SCOPED_TRACE("UTF-8 form " + std::to_string(form));
            ExpectOutcome(CheckUtf8(path, form), c.expected);
        }
        SCOPED_TRACE("UTF-16");
        ExpectOutcome(CheckUtf16(path), c.expected);
    }
}

TEST_F(MediaCheck, NonAsciiPathReadsTheSameInBothForms) {
    const fs::path folder = fs::path(testing::TempDir()) / "Bühne 3D — Prüfung";
    fs::create_directories(folder);
    const fs::path link = folder / "Fußball ✓.mkv";
    fs::remove(link);
    fs::create_symlink(Clip("h264_mp2.mkv"), link);
    const Expected expected{CHECK_VIDEO_NOT_RENDERED, Video(GuidFromFourCC(kH264), 336, 192, kH264)};
    ExpectOutcome(CheckUtf8(link.string()), expected);
    ExpectOutcome(CheckUtf16(link.string()), expected);
    fs::remove_all(folder);
}

// A failure to open is never reported as playable (0).
TEST_F(MediaCheck, WhatCannotBeOpenedIsUnplayable) {
    const fs::path missing = fs::path(testing::TempDir()) / "no such clip.mkv";
    const std::vector<std::string> paths = {
        "",
        missing.string(),
        (fs::path(testing::TempDir()) / "no such folder" / "clip.mkv").string(),
        testing::TempDir(),                      // a folder
        "/" + std::string(kMaxPath + 100, 'a'),  // longer than any path
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path.substr(0, 80));
        ExpectOutcome(CheckUtf8(path), {CHECK_UNPLAYABLE});
        ExpectOutcome(CheckUtf16(path), {CHECK_UNPLAYABLE});
    }
    // Bytes that are not UTF-8 name no file the UTF-16 platform can open.
    ExpectOutcome(Check("/tmp/\xff\xfe clip.mkv", 0), {CHECK_UNPLAYABLE});
}

TEST_F(MediaCheck, NullRecordsAreSkipped) {
    EXPECT_EQ(Lumex_CheckVideo(Clip("h264_mp2.mkv").c_str(), nullptr, nullptr, 0), CHECK_VIDEO_NOT_RENDERED);
    EXPECT_EQ(Lumex_CheckVideo(Clip("mpeg2_aac.mkv").c_str(), nullptr, nullptr, 0), CHECK_AUDIO_NOT_RENDERED);
    // The other record is still written in its own case.
    AudioCheckInfo audio = Untouched<AudioCheckInfo>();
    EXPECT_EQ(Lumex_CheckVideo(Clip("mpeg2_aac.mkv").c_str(), &audio, nullptr, 0), CHECK_AUDIO_NOT_RENDERED);
    EXPECT_EQ(audio.sampleRate, 44100);
}

TEST_F(MediaCheck, CheckThatCannotRunFails) {
    ExpectOutcome(Check(nullptr, 0), {CHECK_FAILED});
    ExpectOutcome(Check(nullptr, -1), {CHECK_FAILED});
    // A thread without a component apartment cannot create the graph.
    const std::string path = Clip("mpeg2.mkv");
    Outcome outcome{};
    std::thread([&] { outcome = CheckUtf8(path); }).join();
    ExpectOutcome(outcome, {CHECK_FAILED});
}

// The platform's file source here is the splitter itself; a reader with the streams on a
// splitter behind it has them described from the splitter's free pins.
class ReaderSource : public MediaCheck {
protected:
    ReaderRegistrations m_registrations;
};

struct ReaderCase {
    const char* name;
    std::vector<PinPlan> splitterOutputs;
    Expected expected;
};

TEST_F(ReaderSource, StreamsAreDescribedByTheSplitterBehindIt) {
    const GUID rgb32 = MEDIASUBTYPE_RGB32;
    VideoCheckInfo subtypeOnly = Untouched<VideoCheckInfo>();
    subtypeOnly.subtype = kNopeSubtype;
    const std::vector<ReaderCase> cases = {
        {"top-down video",
         {{{PcmType(2, 48000)}}, {{VideoInfoType(kNopeSubtype, 64, -48, kNope)}}},
         {CHECK_VIDEO_NOT_RENDERED, Video(kNopeSubtype, 64, -48, kNope)}},
        {"video without a video-info block",
         {{{PcmType(2, 48000)}}, {{graph::MediaType(MEDIATYPE_Video, kNopeSubtype, FORMAT_None)}}},
         {CHECK_VIDEO_NOT_RENDERED, subtypeOnly}},
        {"audio",
         {{{VideoInfoType(rgb32, 64, 48, 0)}}, {{WaveType(kNopeSubtype, 0x1234, 6, 96000)}}},
         {CHECK_AUDIO_NOT_RENDERED, std::nullopt, Audio(kNopeSubtype, 6, 96000, 0x1234)}},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestSplitter::PlanNext(c.splitterOutputs);
        const std::string name = com::Utf16ToUtf8(kReaderPrefix) + c.name;
        ExpectOutcome(CheckUtf8(name), c.expected);
        ExpectOutcome(CheckUtf16(name), c.expected);
    }
}

std::vector<std::string> g_filterNames;

void LUMEX_CALL RecordFilter(int32_t, const char* name, int32_t, int32_t) { g_filterNames.emplace_back(name); }

std::vector<std::string> ConnectedFilters(uint32_t channel) {
    g_filterNames.clear();
    Lumex_ChannelGetConnectedFilters(channel, RecordFilter, 0);
    return g_filterNames;
}

// The channel has loaded the decoder plug-ins into the process; the check still reports what
// the platform's own filters do, and the channel plays on undisturbed.
TEST_F(MediaCheck, ChannelPlaysOnWhileFilesAreChecked) {
    AudioDevice quiet("missing");
    ASSERT_EQ(Lumex_Init(0, 0), 1);
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_NULL);
    const std::string path = Clip("h264_mp2.mkv");
    const uint32_t channel = Lumex_StreamCreateFile(path.c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    const std::vector<std::string> filters = ConnectedFilters(channel);
    ASSERT_EQ(Lumex_ChannelPlay(channel), 1);
    const double start = Lumex_ChannelGetPosition(channel, POS_MILLISECONDS);

    const Expected expected{CHECK_VIDEO_NOT_RENDERED, Video(GuidFromFourCC(kH264), 336, 192, kH264)};
    std::vector<Outcome> elsewhere;
    std::thread other([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        for (int i = 0; i < 3; ++i) elsewhere.push_back(CheckUtf8(path));
        CoUninitialize();
    });
    for (int i = 0; i < 3; ++i) ExpectOutcome(CheckUtf8(path), expected);
    other.join();
    for (const Outcome& outcome : elsewhere) ExpectOutcome(outcome, expected);

    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(Lumex_ChannelGetState(channel), CHANNEL_PLAYING);
    EXPECT_GT(Lumex_ChannelGetPosition(channel, POS_MILLISECONDS), start + 150);
    EXPECT_EQ(ConnectedFilters(channel), filters);
    EXPECT_EQ(Lumex_StreamFree(channel), 1);
    Lumex_Free();
}

}  // namespace
}  // namespace orvo::test
