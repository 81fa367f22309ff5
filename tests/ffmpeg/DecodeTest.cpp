// Decoding generated clips through the glue's decoder and converters: lossless pictures arrive
// equal to the generated ones in every packed form, audio keeps its tone, the codec sets differ.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <functional>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include "platform/com/TextConversion.h"
#include "platform/filters/ffmpeg/AudioConverter.h"
#include "platform/filters/ffmpeg/Decoder.h"
#include "platform/filters/ffmpeg/Demuxer.h"
#include "platform/filters/ffmpeg/FrameConverter.h"
#include "platform/filters/ffmpeg/VideoOutputFormat.h"
#include "tests/media/MediaClip.h"
#include "tests/media/TestPattern.h"

namespace orvo::ffmpeg {
namespace {

using FrameCheck = std::function<void(const AVFrame&, int index)>;

// Decodes the clip's stream through Demuxer and Decoder, calling check for each frame.
int DecodeStream(const char* clip, int streamIndex, CodecSet set, const FrameCheck& check, int maxFrames = 1000) {
    std::unique_ptr<Demuxer> demuxer;
    EXPECT_EQ(Demuxer::Open(com::Utf8ToUtf16(test::MediaClip(clip)), demuxer), S_OK) << clip;
    if (!demuxer) return 0;
    std::unique_ptr<Decoder> decoder;
    EXPECT_EQ(Decoder::Create(demuxer->FindStream(streamIndex)->mediaType, set, decoder), S_OK) << clip;
    if (!decoder) return 0;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int frames = 0;
    auto takeFrames = [&] {
        while (frames < maxFrames && decoder->Receive(frame) == S_OK) {
            check(*frame, frames++);
            av_frame_unref(frame);
        }
    };
    while (frames < maxFrames && demuxer->ReadPacket(packet) == S_OK) {
        if (packet->stream_index == streamIndex) {
            decoder->Send(packet->data, size_t(packet->size), demuxer->ToReferenceTime(streamIndex, packet->pts),
                          packet->flags & AV_PKT_FLAG_KEY);
            takeFrames();
        }
        av_packet_unref(packet);
    }
    decoder->Send(nullptr, 0, AV_NOPTS_VALUE, false);
    takeFrames();
    av_frame_free(&frame);
    av_packet_free(&packet);
    return frames;
}

std::vector<uint8_t> Packed(const AVFrame& frame, const GUID& subtype) {
    std::vector<uint8_t> out(PackedImageSize(subtype, frame.width, frame.height));
    FrameConverter converter;
    EXPECT_EQ(converter.Convert(frame, subtype, frame.width, frame.height, out.data(), out.size()), S_OK);
    return out;
}

TEST(Decode, LosslessRgbArrivesAsGeneratedBottomUp) {
    for (const GUID* subtype : {&MEDIASUBTYPE_RGB32, &MEDIASUBTYPE_RGB24}) {
        const int frames = DecodeStream("flat.mkv", 0, CodecSet::All, [&](const AVFrame& frame, int index) {
            EXPECT_EQ(frame.best_effort_timestamp, index * 400'000LL);
            const auto out = Packed(frame, *subtype);
            const int bytes = *subtype == MEDIASUBTYPE_RGB32 ? 4 : 3;
            for (int y = 0; y < frame.height; ++y)
                for (int x = 0; x < frame.width; ++x) {
                    const uint8_t* p = &out[(size_t(frame.height - 1 - y) * frame.width + x) * bytes];
                    ASSERT_EQ((test::Rgb{p[2], p[1], p[0]}), test::ViewPixel(0, index, x, y)) << x << "," << y;
                }
        });
        EXPECT_EQ(frames, 75);
    }
}

TEST(Decode, OddSizedRgb24RowsArePackedAndBottomUp) {
    DecodeStream("rgb24_odd.avi", 0, CodecSet::System, [](const AVFrame& frame, int index) {
        ASSERT_EQ(PreferredOutputSubtypes(AVPixelFormat(frame.format))[0], MEDIASUBTYPE_RGB24);
        const auto out = Packed(frame, MEDIASUBTYPE_RGB24);
        ASSERT_EQ(out.size(), 321u * 179 * 3);
        for (int y = 0; y < 179; y += 3)
            for (int x = 0; x < 321; x += 4) {
                const uint8_t* p = &out[(size_t(178 - y) * 321 + x) * 3];
                ASSERT_EQ((test::Rgb{p[2], p[1], p[0]}), test::ViewPixel(0, index, x, y)) << x << "," << y;
            }
    }, 3);
}

// Y plane then chroma, with chroma samples at cx, cy; the layout per subtype.
struct YuvLayout {
    const GUID* subtype;
    std::function<int(int w, int h, int x, int y)> luma;
    std::function<int(int w, int h, int cx, int cy)> u, v;
};

TEST(Decode, OddSized420ArrivesPackedInEveryYuvForm) {
    const int cw = (321 + 1) / 2, ch = (179 + 1) / 2;
    auto planar = [](int w, int h, int x, int y) { return y * w + x; };
    const YuvLayout layouts[] = {
        {&MEDIASUBTYPE_IYUV, planar, [&](int w, int h, int x, int y) { return w * h + y * cw + x; },
         [&](int w, int h, int x, int y) { return w * h + cw * ch + y * cw + x; }},
        {&MEDIASUBTYPE_YV12, planar, [&](int w, int h, int x, int y) { return w * h + cw * ch + y * cw + x; },
         [&](int w, int h, int x, int y) { return w * h + y * cw + x; }},
        {&MEDIASUBTYPE_NV12, planar, [&](int w, int h, int x, int y) { return w * h + y * 2 * cw + 2 * x; },
         [&](int w, int h, int x, int y) { return w * h + y * 2 * cw + 2 * x + 1; }},
    };
    for (const YuvLayout& layout : layouts) {
        DecodeStream("odd.mkv", 0, CodecSet::All, [&](const AVFrame& frame, int index) {
            ASSERT_EQ(PreferredOutputSubtypes(AVPixelFormat(frame.format))[0], MEDIASUBTYPE_IYUV);
            const auto out = Packed(frame, *layout.subtype);
            for (int y = 0; y < 179; ++y)
                for (int x = 0; x < 321; ++x) ASSERT_EQ(out[layout.luma(321, 179, x, y)], test::LumaPixel(index, x, y));
            for (int y = 0; y < ch; ++y)
                for (int x = 0; x < cw; ++x) {
                    ASSERT_EQ(out[layout.u(321, 179, x, y)], test::ChromaUPixel(index, x, y)) << x << "," << y;
                    ASSERT_EQ(out[layout.v(321, 179, x, y)], test::ChromaVPixel(index, x, y)) << x << "," << y;
                }
        }, 2);
    }
}

// 10-bit 4:2:0 goes out as it was decoded, every sample a little-endian word.
TEST(Decode, TenBitIsDeliveredAsItIs) {
    DecodeStream("10bit.mkv", 0, CodecSet::All, [](const AVFrame& frame, int index) {
        ASSERT_EQ(PreferredOutputSubtypes(AVPixelFormat(frame.format))[0], MEDIASUBTYPE_YUV420P10);
        const auto out = Packed(frame, MEDIASUBTYPE_YUV420P10);
        const auto word = [&](size_t i) { return out[2 * i] | out[2 * i + 1] << 8; };
        const size_t plane = size_t(frame.width) * frame.height, chroma = plane / 4;
        for (int y = 0; y < frame.height; y += 5)
            for (int x = 0; x < frame.width; x += 3) {
                ASSERT_EQ(word(size_t(y) * frame.width + x), test::LumaPixel(index, x, y) << 2) << x << "," << y;
                const size_t c = size_t(y / 2) * (frame.width / 2) + x / 2;
                ASSERT_EQ(word(plane + c), test::ChromaUPixel(index, x / 2, y / 2) << 2);
                ASSERT_EQ(word(plane + chroma + c), test::ChromaVPixel(index, x / 2, y / 2) << 2);
            }
    }, 2);
}

// 8-bit 4:2:2 goes out planar, at full chroma resolution.
TEST(Decode, Yuv422IsDeliveredPlanar) {
    DecodeStream("yuv422.mkv", 0, CodecSet::All, [](const AVFrame& frame, int index) {
        ASSERT_EQ(PreferredOutputSubtypes(AVPixelFormat(frame.format))[0], MEDIASUBTYPE_Y42B);
        const auto out = Packed(frame, MEDIASUBTYPE_Y42B);
        const size_t plane = size_t(frame.width) * frame.height, chroma = plane / 2;
        for (int y = 0; y < frame.height; y += 7)
            for (int x = 0; x < frame.width; x += 2) {
                const size_t c = size_t(y) * (frame.width / 2) + x / 2;
                ASSERT_EQ(out[size_t(y) * frame.width + x], test::LumaPixel(index, x, y));
                ASSERT_EQ(out[plane + c], test::ChromaUPixel(index, x / 2, y));
                ASSERT_EQ(out[plane + chroma + c], test::ChromaVPixel(index, x / 2, y));
            }
    }, 2);
}

TEST(Decode, PreferredOutputFollowsTheDecodedFormat) {
    const struct {
        AVPixelFormat decoded;
        const GUID* preferred;
    } cases[] = {
        {AV_PIX_FMT_NV12, &MEDIASUBTYPE_NV12},       {AV_PIX_FMT_YUV420P, &MEDIASUBTYPE_IYUV},
        {AV_PIX_FMT_YUYV422, &MEDIASUBTYPE_YUY2},    {AV_PIX_FMT_BGRA, &MEDIASUBTYPE_RGB32},
        {AV_PIX_FMT_BGR0, &MEDIASUBTYPE_RGB32},      {AV_PIX_FMT_BGR24, &MEDIASUBTYPE_RGB24},
        {AV_PIX_FMT_YUVJ420P, &MEDIASUBTYPE_NV12},   {AV_PIX_FMT_YUV420P10LE, &MEDIASUBTYPE_YUV420P10},
        {AV_PIX_FMT_YUV422P, &MEDIASUBTYPE_Y42B},    {AV_PIX_FMT_YUV422P10LE, &MEDIASUBTYPE_YUV422P10},
        {AV_PIX_FMT_YUV444P, &MEDIASUBTYPE_444P},    {AV_PIX_FMT_YUV444P12LE, &MEDIASUBTYPE_YUV444P12},
        {AV_PIX_FMT_P010LE, &MEDIASUBTYPE_P010},     {AV_PIX_FMT_P216LE, &MEDIASUBTYPE_P216},
        {AV_PIX_FMT_YUV420P9LE, &MEDIASUBTYPE_NV12}, {AV_PIX_FMT_YUV422P9LE, &MEDIASUBTYPE_YUY2},
        {AV_PIX_FMT_GBRP, &MEDIASUBTYPE_RGB32},      {AV_PIX_FMT_RGB24, &MEDIASUBTYPE_RGB32},
    };
    // The classic six follow every first choice; the other forms are offered only first.
    const GUID classic[] = {MEDIASUBTYPE_NV12, MEDIASUBTYPE_YV12, MEDIASUBTYPE_IYUV,
                            MEDIASUBTYPE_YUY2, MEDIASUBTYPE_RGB32, MEDIASUBTYPE_RGB24};
    for (const auto& c : cases) {
        const auto order = PreferredOutputSubtypes(c.decoded);
        EXPECT_EQ(order[0], *c.preferred) << av_get_pix_fmt_name(c.decoded);
        const bool classicFirst = std::find(std::begin(classic), std::end(classic), order[0]) != std::end(classic);
        EXPECT_EQ(order.size(), classicFirst ? 6u : 7u) << av_get_pix_fmt_name(c.decoded);
        for (const GUID& subtype : classic) EXPECT_NE(std::find(order.begin(), order.end(), subtype), order.end());
    }
}

TEST(Decode, SystemCodecSetIsTheSmallerOne) {
    std::unique_ptr<Demuxer> demuxer;
    const struct {
        const char* clip;
        int stream;
        bool system;
    } cases[] = {
        {"h264.mkv", 0, false}, {"flat.mkv", 0, false},  {"multi.mkv", 1, false}, {"mpeg2.mkv", 0, true},
        {"mpeg2.mkv", 1, true}, {"mjpeg.avi", 0, true},  {"mjpeg.avi", 1, true},  {"rgb24_odd.avi", 0, true},
        {"audio_only.mp3", 0, true},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Demuxer::Open(com::Utf8ToUtf16(test::MediaClip(c.clip)), demuxer), S_OK);
        const AM_MEDIA_TYPE& type = demuxer->FindStream(c.stream)->mediaType;
        EXPECT_TRUE(Decoder::Accepts(type, CodecSet::All)) << c.clip;
        EXPECT_EQ(Decoder::Accepts(type, CodecSet::System), c.system) << c.clip << " " << c.stream;
    }
    graph::MediaType garbage(MEDIATYPE_Video, GuidFromFourCC(MakeFourCC('H', '2', '6', '4')), FORMAT_VideoInfo2);
    std::unique_ptr<Decoder> decoder;
    EXPECT_EQ(Decoder::Create(garbage, CodecSet::All, decoder), VFW_E_TYPE_NOT_ACCEPTED);
}

TEST(Decode, AudioStreamsKeepTheirTonesInInterleavedPcm) {
    const struct {
        int stream;
        double tone;
    } cases[] = {{1, 440}, {2, 1000}};
    for (const auto& c : cases) {
        for (bool floatSamples : {false, true}) {
            std::vector<float> left;
            AudioConverter converter;
            DecodeStream("multi.mkv", c.stream, CodecSet::All, [&](const AVFrame& frame, int) {
                std::vector<uint8_t> pcm;
                ASSERT_EQ(converter.Convert(frame, floatSamples, pcm), S_OK);
                const size_t samples = pcm.size() / (floatSamples ? 8 : 4);
                ASSERT_EQ(samples, size_t(frame.nb_samples));
                for (size_t i = 0; i < samples; ++i)
                    left.push_back(floatSamples ? reinterpret_cast<const float*>(pcm.data())[2 * i]
                                                : reinterpret_cast<const int16_t*>(pcm.data())[2 * i] / 32768.0f);
            });
            ASSERT_GT(left.size(), 48000u);
            EXPECT_NEAR(test::MeasuredTone(left, 48000), c.tone, c.tone * 0.02) << c.stream;
        }
    }
}

TEST(Decode, PcmTypeReadsBack) {
    for (int channels : {1, 2, 6})
        for (bool floatSamples : {false, true}) {
            const auto type = PcmMediaType(channels, 44100, floatSamples);
            int readChannels = 0, rate = 0;
            bool readFloat = !floatSamples;
            ASSERT_TRUE(ReadPcmMediaType(type, readChannels, rate, readFloat));
            EXPECT_EQ(readChannels, channels);
            EXPECT_EQ(rate, 44100);
            EXPECT_EQ(readFloat, floatSamples);
        }
}

TEST(Decode, CutFileDecodesWhatItHolds) {
    const int frames = DecodeStream("truncated.mkv", 0, CodecSet::All, [](const AVFrame&, int) {});
    EXPECT_GT(frames, 5);
    EXPECT_LT(frames, 75);
}

}  // namespace
}  // namespace orvo::ffmpeg
