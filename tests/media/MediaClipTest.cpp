// The generated clips hold what the catalog says, and the lossless ones the test pattern.
#include <gtest/gtest.h>

#include <filesystem>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "tests/media/ClipCatalog.h"
#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"

namespace orvo::test {
namespace {

struct Input {
    AVFormatContext* context = nullptr;
    explicit Input(const std::string& path) {
        if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) == 0 &&
            avformat_find_stream_info(context, nullptr) < 0)
            avformat_close_input(&context);
    }
    ~Input() { avformat_close_input(&context); }
};

// The first decoded picture of the clip's first stream.
AVFrame* DecodeFirstPicture(AVFormatContext* input) {
    const AVCodec* codec = avcodec_find_decoder(input->streams[0]->codecpar->codec_id);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(decoder, input->streams[0]->codecpar);
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    bool got = avcodec_open2(decoder, codec, nullptr) < 0;
    while (!got && av_read_frame(input, packet) >= 0) {
        if (packet->stream_index == 0 && avcodec_send_packet(decoder, packet) == 0)
            got = avcodec_receive_frame(decoder, frame) == 0;
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    return frame;
}

class EveryClip : public testing::TestWithParam<ClipSpec> {};

TEST_P(EveryClip, HoldsWhatTheCatalogSays) {
    const ClipSpec& plan = GetParam();
    const std::string path = MediaClip(plan.name);
    ASSERT_FALSE(path.empty());
    Input input(path);
    if (plan.damage == Damage::RandomBytes) {
        EXPECT_EQ(std::filesystem::file_size(path), 48u * 1024);
        return;
    }
    ASSERT_NE(input.context, nullptr);
    const size_t streams = plan.video.size() + plan.audio.size() + (plan.subtitleLanguage ? 1 : 0);
    ASSERT_EQ(input.context->nb_streams, streams);
    unsigned index = 0;
    for (const VideoTrack& video : plan.video) {
        const AVStream* stream = input.context->streams[index++];
        EXPECT_EQ(stream->codecpar->width, video.width);
        EXPECT_EQ(stream->codecpar->height, video.height);
        EXPECT_EQ(av_cmp_q(stream->avg_frame_rate, AVRational{video.fpsNum, video.fpsDen}), 0) << plan.name;
    }
    for (const AudioTrack& audio : plan.audio) {
        const AVStream* stream = input.context->streams[index++];
        EXPECT_EQ(stream->codecpar->sample_rate, audio.sampleRate);
        EXPECT_EQ(stream->codecpar->ch_layout.nb_channels, audio.channels);
        const AVDictionaryEntry* language = av_dict_get(stream->metadata, "language", nullptr, 0);
        if (*audio.language) {
            EXPECT_STREQ(language ? language->value : "", audio.language);
        }
    }
    if (plan.subtitleLanguage) {
        EXPECT_EQ(input.context->streams[index]->codecpar->codec_type, AVMEDIA_TYPE_SUBTITLE);
    }
}

std::vector<ClipSpec> SmallClips() {
    std::vector<ClipSpec> clips;
    for (const ClipSpec& clip : ClipCatalog())
        if (clip.video.empty() || clip.video[0].width <= 640) clips.push_back(clip);
    return clips;
}

INSTANTIATE_TEST_SUITE_P(Catalog, EveryClip, testing::ValuesIn(SmallClips()), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

TEST(MediaClip, StereoViewsCarryThePatternPerChannel) {
    for (const char* name : {"sbs.mkv", "tb.mkv"}) {
        const ClipSpec& plan = *FindClip(name);
        Input input(MediaClip(name));
        ASSERT_NE(input.context, nullptr);
        AVFrame* frame = DecodeFirstPicture(input.context);
        ASSERT_EQ(frame->format, AV_PIX_FMT_BGR0) << name;
        const bool sideBySide = plan.video[0].layout == ViewLayout::SideBySide;
        const int viewWidth = sideBySide ? frame->width / 2 : frame->width;
        const int viewHeight = sideBySide ? frame->height : frame->height / 2;
        for (int view = 0; view < 2; ++view)
            for (int y = 0; y < viewHeight; y += 7)
                for (int x = 0; x < viewWidth; x += 5) {
                    const int fx = sideBySide ? x + view * viewWidth : x;
                    const int fy = sideBySide ? y : y + view * viewHeight;
                    const uint8_t* p = frame->data[0] + fy * frame->linesize[0] + fx * 4;
                    ASSERT_EQ((Rgb{p[2], p[1], p[0]}), ViewPixel(view, 0, x, y)) << name << " " << x << "," << y;
                }
        av_frame_free(&frame);
    }
}

TEST(MediaClip, TruncatedClipIsShorterThanItsWholeTwin) {
    EXPECT_LT(std::filesystem::file_size(MediaClip("truncated.mkv")),
              std::filesystem::file_size(MediaClip("flat.mkv")) * 3 / 4);
}

TEST(MediaClip, UnknownNameGivesNoPath) { EXPECT_EQ(MediaClip("missing.mkv"), ""); }

}  // namespace
}  // namespace orvo::test
