// The bundled demo clip as a viewer gets it: a side-by-side pair whose objects show at the
// depths the scene puts them (left view on the left, in front of and behind the screen), with
// a stereo sound track whose thumps come from the side the ball lands on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "player/demo/DemoClip.h"
#include "player/demo/StereoScene.h"

namespace {

// A decoded picture as 32-bit pixels (blue, green, red, unused).
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;

    int Brightness(int x, int y) const {
        const uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
        return p[0] + p[1] + p[2];
    }
};

// The clip opened with FFmpeg: its streams, a picture at a time and the whole sound track.
class ClipReader {
public:
    explicit ClipReader(const char* path) {
        if (avformat_open_input(&m_format, path, nullptr, nullptr) < 0) return;
        if (avformat_find_stream_info(m_format, nullptr) < 0) return;
        m_video = av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        m_audio = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    }
    ~ClipReader() { avformat_close_input(&m_format); }

    AVFormatContext* format() const { return m_format; }
    const AVStream* video() const { return m_video >= 0 ? m_format->streams[m_video] : nullptr; }
    const AVStream* audio() const { return m_audio >= 0 ? m_format->streams[m_audio] : nullptr; }

    // The first picture shown at or after `seconds`; empty when there is none.
    Picture PictureAt(double seconds) {
        Picture picture;
        const AVStream* stream = video();
        Decoder decoder = OpenDecoder(stream);
        if (!decoder) return picture;
        const int64_t target = int64_t(seconds / av_q2d(stream->time_base));
        av_seek_frame(m_format, m_video, target, AVSEEK_FLAG_BACKWARD);
        Decode(m_video, decoder.get(), [&](const AVFrame& frame) {
            if (frame.best_effort_timestamp < target) return true;
            picture.width = frame.width;
            picture.height = frame.height;
            picture.pixels.resize(size_t(frame.width) * frame.height * 4);
            SwsContext* scaler = sws_getContext(frame.width, frame.height, AVPixelFormat(frame.format), frame.width,
                                                frame.height, AV_PIX_FMT_BGR0, SWS_POINT, nullptr, nullptr, nullptr);
            uint8_t* planes[] = {picture.pixels.data()};
            const int strides[] = {frame.width * 4};
            sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, planes, strides);
            sws_freeContext(scaler);
            return false;
        });
        return picture;
    }

    // Every sample of the sound track, channels interleaved.
    std::vector<float> Sound() {
        std::vector<float> samples;
        Decoder decoder = OpenDecoder(audio());
        if (!decoder || decoder->sample_fmt != AV_SAMPLE_FMT_FLTP) return samples;
        av_seek_frame(m_format, m_audio, 0, AVSEEK_FLAG_BACKWARD);
        Decode(m_audio, decoder.get(), [&](const AVFrame& frame) {
            for (int i = 0; i < frame.nb_samples; ++i)
                for (int c = 0; c < frame.ch_layout.nb_channels; ++c)
                    samples.push_back(reinterpret_cast<const float*>(frame.data[c])[i]);
            return true;
        });
        return samples;
    }

private:
    struct DecoderDeleter {
        void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
    };
    using Decoder = std::unique_ptr<AVCodecContext, DecoderDeleter>;

    static Decoder OpenDecoder(const AVStream* stream) {
        if (!stream) return nullptr;
        Decoder decoder(avcodec_alloc_context3(avcodec_find_decoder(stream->codecpar->codec_id)));
        if (avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0 ||
            avcodec_open2(decoder.get(), nullptr, nullptr) < 0)
            return nullptr;
        return decoder;
    }

    // Hands the stream's frames to `take` until it returns false or the stream ends.
    template <typename Take>
    void Decode(int streamIndex, AVCodecContext* decoder, Take take) {
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        bool more = true;
        auto drain = [&] {
            while (more && avcodec_receive_frame(decoder, frame) == 0) {
                more = take(*frame);
                av_frame_unref(frame);
            }
        };
        while (more && av_read_frame(m_format, packet) >= 0) {
            if (packet->stream_index == streamIndex && avcodec_send_packet(decoder, packet) == 0) drain();
            av_packet_unref(packet);
        }
        if (more && avcodec_send_packet(decoder, nullptr) == 0) drain();
        av_frame_free(&frame);
        av_packet_free(&packet);
    }

    AVFormatContext* m_format = nullptr;
    int m_video = -1, m_audio = -1;
};

TEST(DemoClip, IsASideBySidePairWithStereoSound) {
    ClipReader clip(ORVO_DEMO_CLIP);
    ASSERT_NE(clip.format(), nullptr) << ORVO_DEMO_CLIP;
    ASSERT_NE(clip.video(), nullptr);
    ASSERT_NE(clip.audio(), nullptr);
    const AVCodecParameters& video = *clip.video()->codecpar;
    EXPECT_EQ(video.width, 2 * demo::kEyeWidth);
    EXPECT_EQ(video.height, demo::kEyeHeight);
    EXPECT_EQ(av_q2d(clip.video()->avg_frame_rate), demo::kFramesPerSecond);
    const double seconds = double(clip.format()->duration) / AV_TIME_BASE;
    EXPECT_GE(seconds, 15);
    EXPECT_LE(seconds, 30);
    EXPECT_EQ(clip.audio()->codecpar->ch_layout.nb_channels, 2);
    EXPECT_EQ(clip.audio()->codecpar->sample_rate, demo::kSampleRate);
}

// How far right the picture around (x, y) of the left view lies in the right view, in
// pixels: the shift whose patch differs least, refined by a parabola through its neighbours.
double MeasuredDisparity(const Picture& frame, int x, int y, int halfWidth, int halfHeight) {
    const int eyeWidth = frame.width / 2;
    constexpr int kSearch = 30;
    std::vector<double> cost;
    for (int shift = -kSearch; shift <= kSearch; ++shift) {
        double sum = 0;
        for (int dy = -halfHeight; dy <= halfHeight; ++dy)
            for (int dx = -halfWidth; dx <= halfWidth; ++dx)
                sum += std::abs(frame.Brightness(x + dx, y + dy) - frame.Brightness(eyeWidth + x + dx + shift, y + dy));
        cost.push_back(sum);
    }
    size_t best = 1;
    for (size_t i = 1; i + 1 < cost.size(); ++i)
        if (cost[i] < cost[best]) best = i;
    const double before = cost[best - 1], at = cost[best], after = cost[best + 1];
    const double curve = before - 2 * at + after;
    return double(best) - kSearch + (curve > 0 ? 0.5 * (before - after) / curve : 0);
}

struct DepthCase {
    const char* what;
    double seconds;
    int ball;  // index into demo::BallsAt, or -1 for `point`
    demo::Vec3 point;
};

// Each object shows in the two views as far apart as its depth says: near ones shifted left
// in the right view (in front of the screen), far ones right (behind it). Swapped views or a
// flat copy would turn every sign or make every shift 0.
TEST(DemoClip, ObjectsShowAtTheirDepths) {
    const DepthCase cases[] = {
        {"gold ball coming out of the screen", 11.0, 3, {}},
        {"green ball bouncing in front", 3.0, 2, {}},
        {"orange ball at the back of its loop", 6.0, 0, {}},
        {"floor before the screen", 3.0, -1, {-1.3, 0, 3.6}},
    };
    const demo::StereoScene scene(demo::kEyeWidth, demo::kEyeHeight);
    ClipReader clip(ORVO_DEMO_CLIP);
    ASSERT_NE(clip.video(), nullptr) << ORVO_DEMO_CLIP;
    bool inFront = false, behind = false;
    for (const DepthCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Picture frame = clip.PictureAt(c.seconds);
        ASSERT_EQ(frame.width, 2 * demo::kEyeWidth);
        demo::Vec3 point = c.point;
        int halfWidth = 12, halfHeight = 6;
        double nearest = point.z;
        if (c.ball >= 0) {
            // A band through the middle of the ball, from one edge to the other. Its outline
            // lies at the depth of the centre, its face up to a radius nearer.
            const demo::Ball ball = demo::BallsAt(c.seconds)[c.ball];
            point = ball.centre;
            nearest = point.z - ball.radius;
            const double radius = (demo::kEyeWidth * 0.9) * ball.radius / point.z;
            halfWidth = int(radius * 1.1);
            halfHeight = int(radius * 0.3);
        }
        const demo::StereoScene::Point left = scene.Project(0, point);
        const double measured = MeasuredDisparity(frame, int(left.x), int(left.y), halfWidth, halfHeight);
        EXPECT_GE(measured, scene.Disparity(nearest) - 0.75);
        EXPECT_LE(measured, scene.Disparity(point.z) + 0.75);
        inFront |= measured < -2;
        behind |= measured > 2;
    }
    EXPECT_TRUE(inFront && behind) << "the cases should hold depths on both sides of the screen";
}

// The thump of each landing is louder on the side of the picture where the ball lands.
TEST(DemoClip, LandingsAreHeardWhereTheyAreSeen) {
    ClipReader clip(ORVO_DEMO_CLIP);
    ASSERT_NE(clip.audio(), nullptr) << ORVO_DEMO_CLIP;
    const std::vector<float> sound = clip.Sound();
    ASSERT_GT(sound.size(), size_t(2 * demo::kSampleRate * 15));
    int sided = 0;
    for (const demo::Bounce& bounce : demo::BouncesUntil(demo::kSeconds - 1)) {
        if (std::abs(bounce.pan) < 0.5) continue;
        SCOPED_TRACE(bounce.seconds);
        double energy[2] = {0, 0};
        const size_t first = size_t(bounce.seconds * demo::kSampleRate);
        for (size_t i = first; i < first + demo::kSampleRate / 16 && 2 * i + 1 < sound.size(); ++i)
            for (int c = 0; c < 2; ++c) energy[c] += sound[2 * i + c] * sound[2 * i + c];
        const bool rightSide = bounce.pan > 0;
        EXPECT_GT(energy[rightSide], 2 * energy[!rightSide]) << "pan " << bounce.pan;
        ++sided;
    }
    EXPECT_GE(sided, 3) << "the ball should land near the edges several times";
}

}  // namespace
