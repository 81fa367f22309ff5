// The demuxer on generated clips: stream groups, readable names, media types, errors, the end
// of a cut file and seeking.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/com/TextConversion.h"
#include "platform/filters/ffmpeg/CodecMediaType.h"
#include "platform/filters/ffmpeg/Demuxer.h"
#include "platform/graph/MediaFormats.h"
#include "tests/media/ClipCatalog.h"
#include "tests/media/MediaClip.h"

namespace orvo::ffmpeg {
namespace {

std::unique_ptr<Demuxer> OpenClip(const char* name) {
    std::unique_ptr<Demuxer> demuxer;
    const std::string path = test::MediaClip(name);
    EXPECT_EQ(Demuxer::Open(com::Utf8ToUtf16(path), demuxer), S_OK) << name;
    return demuxer;
}

TEST(Demuxer, MultiStreamClipListsItsStreamsInFileOrder) {
    auto demuxer = OpenClip("multi.mkv");
    ASSERT_TRUE(demuxer);
    const auto& streams = demuxer->Streams();
    ASSERT_EQ(streams.size(), 4u);
    const StreamGroup groups[] = {StreamGroup::Video, StreamGroup::Audio, StreamGroup::Audio, StreamGroup::Subtitle};
    const char16_t* names[] = {u"FFV1 320x240", u"English, AC-3 stereo", u"German, MP2 stereo", u"English, SubRip"};
    for (size_t i = 0; i < streams.size(); ++i) {
        EXPECT_EQ(streams[i].index, int(i));
        EXPECT_EQ(streams[i].group, groups[i]);
        EXPECT_EQ(streams[i].name, names[i]) << com::Utf16ToUtf8(streams[i].name);
    }
    EXPECT_EQ(streams[1].locale, 0x0409u);
    EXPECT_EQ(streams[2].language, "ger");
    EXPECT_EQ(streams[3].mediaType.majortype, MEDIATYPE_Subtitle);
}

TEST(Demuxer, VideoTypeCarriesSizeFrameTimeAndFourCC) {
    struct Case {
        const char* clip;
        uint32_t fourcc;
        REFERENCE_TIME frameTime;
    } cases[] = {
        {"multi.mkv", MakeFourCC('F', 'F', 'V', '1'), 400000},
        {"fps23976.mkv", MakeFourCC('F', 'F', 'V', '1'), 417083},
        {"h264.mkv", MakeFourCC('H', '2', '6', '4'), 400000},
        {"mjpeg.avi", MakeFourCC('M', 'J', 'P', 'G'), 400000},
    };
    for (const Case& c : cases) {
        auto demuxer = OpenClip(c.clip);
        ASSERT_TRUE(demuxer);
        const auto& type = demuxer->Streams()[0].mediaType;
        const test::VideoTrack& plan = test::FindClip(c.clip)->video[0];
        EXPECT_EQ(type.majortype, MEDIATYPE_Video);
        EXPECT_EQ(type.subtype, GuidFromFourCC(c.fourcc)) << c.clip;
        ASSERT_EQ(type.formattype, FORMAT_VideoInfo2);
        const auto* info = type.FormatAs<VIDEOINFOHEADER2>();
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->bmiHeader.biWidth, plan.width);
        EXPECT_EQ(info->bmiHeader.biHeight, plan.height);
        EXPECT_EQ(info->bmiHeader.biCompression, c.fourcc);
        EXPECT_EQ(info->AvgTimePerFrame, c.frameTime) << c.clip;
    }
}

TEST(Demuxer, AudioTypeCarriesAWaveFormat) {
    auto demuxer = OpenClip("multi.mkv");
    ASSERT_TRUE(demuxer);
    const auto* ac3 = demuxer->Streams()[1].mediaType.FormatAs<WAVEFORMATEX>();
    ASSERT_NE(ac3, nullptr);
    EXPECT_EQ(ac3->wFormatTag, 0x2000);
    EXPECT_EQ(ac3->nChannels, 2);
    EXPECT_EQ(ac3->nSamplesPerSec, 48000u);
    EXPECT_EQ(demuxer->Streams()[1].mediaType.subtype, GuidFromFourCC(0x2000));
}

// The decoder side rebuilds what it needs to open FFmpeg's decoder from the type alone.
TEST(Demuxer, MediaTypesRoundTripToCodecParameters) {
    for (const char* clip : {"multi.mkv", "rgb24_odd.avi", "h264.mkv", "audio_only.mp3", "flat.mkv", "10bit.mkv"}) {
        auto demuxer = OpenClip(clip);
        ASSERT_TRUE(demuxer);
        for (const DemuxedStream& stream : demuxer->Streams()) {
            if (stream.group == StreamGroup::Subtitle) continue;
            const AVCodecParameters& original = *demuxer->FileStream(stream.index).codecpar;
            AVCodecParameters* rebuilt = avcodec_parameters_alloc();
            ASSERT_TRUE(CodecFromMediaType(stream.mediaType, *rebuilt)) << clip;
            EXPECT_EQ(rebuilt->codec_id, original.codec_id) << clip;
            EXPECT_EQ(rebuilt->width, original.width);
            EXPECT_EQ(rebuilt->height, original.height);
            EXPECT_EQ(rebuilt->sample_rate, original.sample_rate);
            EXPECT_EQ(rebuilt->ch_layout.nb_channels, original.ch_layout.nb_channels);
            ASSERT_EQ(rebuilt->extradata_size, original.extradata_size) << clip;
            if (original.extradata_size) {
                EXPECT_EQ(std::memcmp(rebuilt->extradata, original.extradata, original.extradata_size), 0);
            }
            // The decoder must open on the rebuilt parameters.
            const AVCodec* codec = avcodec_find_decoder(rebuilt->codec_id);
            AVCodecContext* context = avcodec_alloc_context3(codec);
            avcodec_parameters_to_context(context, rebuilt);
            EXPECT_EQ(avcodec_open2(context, codec, nullptr), 0) << clip;
            avcodec_free_context(&context);
            avcodec_parameters_free(&rebuilt);
        }
    }
}

TEST(Demuxer, RefusesWhatIsNoMedium) {
    const std::string folder = testing::TempDir() + "demuxer_refuses";
    std::filesystem::create_directories(folder);
    const std::string empty = folder + "/empty.mkv";
    std::ofstream(empty).close();
    const std::string text = folder + "/notes.mp4";
    std::ofstream(text) << "These are not the frames you are looking for.\n";
    struct Case {
        std::string path;
        HRESULT expected;
    } cases[] = {
        {folder + "/missing.mkv", kFileNotFound},
        {folder + "/missing/deeper.mkv", kFileNotFound},
        {test::MediaClip("random.mkv"), VFW_E_UNKNOWN_FILE_TYPE},
        {empty, VFW_E_UNKNOWN_FILE_TYPE},
        {text, VFW_E_UNKNOWN_FILE_TYPE},
        {folder, VFW_E_UNKNOWN_FILE_TYPE},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Demuxer> demuxer;
        EXPECT_EQ(Demuxer::Open(com::Utf8ToUtf16(c.path), demuxer), c.expected) << c.path;
        EXPECT_FALSE(demuxer);
    }
    std::unique_ptr<Demuxer> demuxer;
    EXPECT_EQ(Demuxer::Open(u"", demuxer), E_INVALIDARG);
}

TEST(Demuxer, NameWithColonAndNonAsciiOpens) {
    const std::string path = testing::TempDir() + "Ünïcode: clip.mkv";
    std::filesystem::copy_file(test::MediaClip("flat.mkv"), path, std::filesystem::copy_options::overwrite_existing);
    std::unique_ptr<Demuxer> demuxer;
    EXPECT_EQ(Demuxer::Open(com::Utf8ToUtf16(path), demuxer), S_OK);
}

int CountPackets(Demuxer& demuxer, HRESULT& last) {
    AVPacket* packet = av_packet_alloc();
    int count = 0;
    while ((last = demuxer.ReadPacket(packet)) == S_OK) {
        ++count;
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return count;
}

TEST(Demuxer, CutFileEndsWhereItBreaksOff) {
    auto whole = OpenClip("flat.mkv");
    auto cut = OpenClip("truncated.mkv");
    ASSERT_TRUE(whole && cut);
    HRESULT wholeEnd = E_FAIL, cutEnd = E_FAIL;
    const int wholeCount = CountPackets(*whole, wholeEnd), cutCount = CountPackets(*cut, cutEnd);
    EXPECT_EQ(wholeEnd, S_FALSE);
    EXPECT_EQ(cutEnd, S_FALSE);
    EXPECT_GT(cutCount, 0);
    EXPECT_LT(cutCount, wholeCount);
}

TEST(Demuxer, SeekLandsOnAKeyFrameAtOrBeforeTheTarget) {
    auto demuxer = OpenClip("h264.mkv");
    ASSERT_TRUE(demuxer);
    EXPECT_NEAR(double(demuxer->Duration()), 2e7, 1e6);
    ASSERT_EQ(demuxer->Seek(15'000'000), S_OK);
    AVPacket* packet = av_packet_alloc();
    REFERENCE_TIME first = -1;
    while (first < 0 && demuxer->ReadPacket(packet) == S_OK) {
        if (packet->stream_index == 0) {
            EXPECT_TRUE(packet->flags & AV_PKT_FLAG_KEY);
            first = demuxer->ToReferenceTime(0, packet->pts);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    EXPECT_LE(first, 15'000'000);
    EXPECT_GE(first, 15'000'000 - 12 * 400'000);  // within one group of pictures
}

}  // namespace
}  // namespace orvo::ffmpeg
