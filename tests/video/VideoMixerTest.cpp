// The stock renderers' CPU parts: the mixer, the letterbox placement, input conversion
// and the fixed-point values of the enhanced renderer.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/graph/MediaFormats.h"
#include "platform/graph/MediaGuids.h"
#include "platform/video/FrameInput.h"
#include "platform/video/VideoMixer.h"
#include "platform/video/WindowOutput.h"

namespace orvo::video {
namespace {

Frame Flat(int width, int height, uint32_t colour) {
    Frame f;
    f.Resize(width, height);
    std::fill(f.pixels.begin(), f.pixels.end(), colour);
    return f;
}

// Bilinear scaling may take up to 2 off a channel.
::testing::AssertionResult Near(uint32_t actual, uint32_t expected) {
    for (int shift : {0, 8, 16}) {
        const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (a - e > 2 || e - a > 2) return ::testing::AssertionFailure() << std::hex << actual << " is not near " << expected;
    }
    return ::testing::AssertionSuccess();
}

std::vector<uint32_t> Compose(VideoMixer& mixer, int width, int height) {
    std::vector<uint32_t> out(size_t(width) * height);
    mixer.Compose(reinterpret_cast<uint8_t*>(out.data()), width * 4, width, height);
    for (uint32_t& p : out) p &= 0xFFFFFF;
    return out;
}

TEST(Letterbox, PictureCentredAtItsAspectRatio) {
    struct Case {
        RECT dest;
        SIZE picture;
        RECT expected;
    } cases[] = {
        {{0, 0, 640, 480}, {640, 360}, {0, 60, 640, 420}},     // wide picture: bars above and below
        {{0, 0, 640, 480}, {720, 576}, {20, 0, 620, 480}},
        {{0, 0, 640, 360}, {480, 480}, {140, 0, 500, 360}},    // square picture: bars left and right
        {{100, 50, 420, 290}, {640, 360}, {100, 80, 420, 260}},
        {{0, 0, 640, 480}, {0, 0}, {0, 0, 640, 480}},          // unknown size: the whole rectangle
    };
    for (const Case& c : cases) {
        RECT r = LetterboxRect(c.dest, c.picture);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

TEST(WindowOutput, RefusesPositionsItCannotDraw) {
    WindowOutput output;
    const SIZE native{640, 360};
    const RECT inverted{10, 10, 0, 0}, huge{0, 0, 100000, 100000}, part{0, 0, 320, 360}, whole{0, 0, 640, 360};
    EXPECT_EQ(output.SetPosition(nullptr, &inverted, native), E_INVALIDARG);
    EXPECT_EQ(output.SetPosition(nullptr, &huge, native), E_INVALIDARG);
    EXPECT_EQ(output.SetPosition(&part, nullptr, native), E_NOTIMPL) << "only the whole picture is shown";
    EXPECT_EQ(output.SetPosition(nullptr, nullptr, native), E_POINTER);
    EXPECT_EQ(output.SetPosition(&whole, &whole, native), S_OK);
    EXPECT_EQ(output.SetAspectRatioMode(7), E_INVALIDARG);
    EXPECT_EQ(output.SetWindow(HWND(0x7FFFFFFF)), E_INVALIDARG) << "no such window";
}

TEST(VideoMixer, StreamsBlendWithTheirAlphaInTheirRectangles) {
    VideoMixer mixer;
    ASSERT_EQ(mixer.SetStreamCount(3), S_OK);
    *mixer.StreamFrame(0) = Flat(4, 4, 0xC80000);
    *mixer.StreamFrame(1) = Flat(2, 2, 0x0000C8);
    const NORMALIZEDRECT right{0.5f, 0.0f, 1.0f, 1.0f};
    ASSERT_EQ(mixer.SetOutputRect(1, &right), S_OK);
    ASSERT_EQ(mixer.SetAlpha(1, 0.5f), S_OK);
    const auto out = Compose(mixer, 8, 4);
    EXPECT_TRUE(Near(out[0], 0xC80000)) << "left half: stream 0 only";
    EXPECT_TRUE(Near(out[7], 0x640064)) << "right half: half of each";
    EXPECT_EQ(mixer.StreamFrame(3), nullptr);
}

TEST(VideoMixer, RejectsBadSettingsAndKeepsTheOldOnes) {
    VideoMixer mixer;
    const NORMALIZEDRECT inverted{0.5f, 0.0f, 0.2f, 1.0f};
    EXPECT_EQ(mixer.SetStreamCount(0), E_INVALIDARG);
    EXPECT_EQ(mixer.SetStreamCount(MAX_MIXER_STREAMS + 1), E_INVALIDARG);
    EXPECT_EQ(mixer.SetAlpha(0, 1.5f), E_INVALIDARG);
    EXPECT_EQ(mixer.SetAlpha(1, 0.5f), E_INVALIDARG) << "a stream past the count";
    EXPECT_EQ(mixer.SetOutputRect(0, &inverted), E_INVALIDARG);
    EXPECT_EQ(mixer.SetOutputRect(0, nullptr), E_POINTER);
    EXPECT_EQ(mixer.SetProcAmp(ProcAmpControl9_Contrast, {0, 11.0f, 0, 1}), E_INVALIDARG);
    float alpha = 0;
    EXPECT_EQ(mixer.GetAlpha(0, &alpha), S_OK);
    EXPECT_EQ(alpha, 1.0f);
    EXPECT_EQ(mixer.ProcAmp().contrast, 1.0f);
}

TEST(VideoMixer, AlphaBitmapSkipsTheColourKeyAndStaysInsideItsImage) {
    VideoMixer mixer;
    *mixer.StreamFrame(0) = Flat(4, 4, 0x102030);
    AlphaBitmap logo;
    logo.image = Flat(2, 1, 0xFF00FF);
    logo.image.pixels[1] = 0x00FF00;
    logo.useColorKey = true;
    logo.colorKey = 0xFF00FF;  // COLORREF of magenta
    logo.dest = {0.0f, 0.0f, 1.0f, 0.5f};
    ASSERT_EQ(mixer.SetAlphaBitmap(logo), S_OK);
    auto out = Compose(mixer, 4, 4);
    EXPECT_EQ(out[0], 0x102030u) << "key colour: the video shows";
    EXPECT_EQ(out[3], 0x00FF00u);
    EXPECT_EQ(out[12], 0x102030u) << "below the bitmap";

    AlphaBitmap outside = logo;
    outside.source = {0, 0, 3, 1};
    EXPECT_EQ(mixer.SetAlphaBitmap(outside), E_INVALIDARG) << "a source rectangle past the image";
    EXPECT_EQ(mixer.SetAlphaBitmap(AlphaBitmap{}), E_INVALIDARG) << "no image";
    EXPECT_EQ(mixer.UpdateAlphaBitmap({0, 0, 3, 1}, {0, 0, 1, 1}, 1.0f, false, 0), E_INVALIDARG);
    EXPECT_EQ(Compose(mixer, 4, 4)[3], 0x00FF00u) << "a refused update keeps the bitmap as it was";
    EXPECT_EQ(mixer.UpdateAlphaBitmap({0, 0, 1, 1}, {0, 0, 1, 1}, 0.0f, false, 0), S_OK);
    EXPECT_EQ(Compose(mixer, 4, 4)[3], 0x102030u) << "alpha 0 hides it";
    mixer.ClearAlphaBitmap();
    EXPECT_EQ(mixer.UpdateAlphaBitmap({0, 0, 1, 1}, {0, 0, 1, 1}, 1.0f, false, 0), VFW_E_WRONG_STATE);
}

TEST(VideoMixer, ProcAmpMovesLevelsAndColours) {
    VideoMixer mixer;
    *mixer.StreamFrame(0) = Flat(2, 2, 0x808080);
    ASSERT_EQ(mixer.SetProcAmp(ProcAmpControl9_Brightness, {20.0f, 1, 0, 1}), S_OK);
    EXPECT_EQ(Compose(mixer, 2, 2)[0], 0x949494u);
    ASSERT_EQ(mixer.SetProcAmp(ProcAmpControl9_Mask, {0, 0.0f, 0, 1}), S_OK);
    EXPECT_EQ(Compose(mixer, 2, 2)[0], 0x808080u) << "contrast 0: mid-grey";
    *mixer.StreamFrame(0) = Flat(2, 2, 0xC81428);
    ASSERT_EQ(mixer.SetProcAmp(ProcAmpControl9_Mask, {0, 1, 0, 0.0f}), S_OK);
    const uint32_t grey = Compose(mixer, 2, 2)[0];
    EXPECT_EQ(grey >> 16, grey & 0xFF) << "saturation 0: no colour";
    EXPECT_EQ((grey >> 8) & 0xFF, grey & 0xFF);
}

graph::MediaType VideoType(const GUID& subtype, int width, int height, WORD bits) {
    graph::MediaType mt(MEDIATYPE_Video, subtype, FORMAT_VideoInfo);
    VIDEOINFOHEADER info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, bits, 0, 0, 0, 0, 0, 0};
    SetMediaTypeFormat(mt, FORMAT_VideoInfo, &info, sizeof info);
    return mt;
}

TEST(FrameInput, ConvertsTheDecodedFormatsUpright) {
    InputFormat f;
    ASSERT_TRUE(DescribeInput(VideoType(MEDIASUBTYPE_RGB32, 2, 2, 32), f));
    const uint32_t rgb[4] = {0x000001, 0x000002, 0x000003, 0x000004};  // bottom row first
    Frame frame;
    ASSERT_TRUE(ConvertToFrame(f, reinterpret_cast<const BYTE*>(rgb), sizeof rgb, frame));
    EXPECT_EQ(frame.pixels[0] & 0xFFFFFF, 3u) << "top row comes from the end";

    ASSERT_TRUE(DescribeInput(VideoType(MEDIASUBTYPE_YV12, 4, 2, 12), f));
    std::vector<BYTE> yv12(8 + 2 + 2, 128);  // mid grey
    ASSERT_TRUE(ConvertToFrame(f, yv12.data(), yv12.size(), frame));
    const uint32_t p = frame.pixels[0] & 0xFFFFFF;
    EXPECT_NEAR(int(p & 0xFF), 130, 3);
    EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);
}

TEST(FrameInput, RefusesShortSamplesAndOtherTypes) {
    InputFormat f;
    ASSERT_TRUE(DescribeInput(VideoType(MEDIASUBTYPE_NV12, 16, 16, 12), f));
    std::vector<BYTE> shortSample(f.imageBytes - 1);
    Frame frame;
    EXPECT_FALSE(ConvertToFrame(f, shortSample.data(), shortSample.size(), frame));
    EXPECT_TRUE(frame.Empty());
    EXPECT_FALSE(DescribeInput(VideoType(MEDIASUBTYPE_PCM, 16, 16, 16), f));
    EXPECT_FALSE(DescribeInput(VideoType(MEDIASUBTYPE_RGB32, 0, 16, 32), f));
    EXPECT_FALSE(DescribeInput(VideoType(MEDIASUBTYPE_RGB32, 100000, 16, 32), f));
    EXPECT_FALSE(DescribeInput(graph::MediaType(MEDIATYPE_Video, MEDIASUBTYPE_RGB32, FORMAT_VideoInfo), f))
        << "no format block";
}

TEST(FixedPoint, SixteenDotSixteen) {
    auto bits = [](DXVA2_Fixed32 f) { return uint32_t(uint16_t(f.Value)) << 16 | f.Fraction; };
    EXPECT_EQ(bits(DXVA2FloatToFixed(0.5f)), 0x00008000u);
    EXPECT_EQ(bits(DXVA2FloatToFixed(-0.5f)), 0xFFFF8000u);
    EXPECT_EQ(bits(DXVA2FloatToFixed(-100.0f)), 0xFF9C0000u);
    EXPECT_EQ(bits(DXVA2FloatToFixed(1.0f / 3.0f)), 0x00005555u) << "truncated toward zero";
    EXPECT_EQ(DXVA2FixedToFloat({0x8000, -1}), -0.5f);
    EXPECT_EQ(DXVA2FixedToFloat({0x0000, 10}), 10.0f);
}

}  // namespace
}  // namespace orvo::video
