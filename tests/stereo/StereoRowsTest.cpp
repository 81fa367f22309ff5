// The band-by-band transform into a surface against the whole-frame path it must equal byte
// for byte (conversion, TransformFrame, GreyMix, upright copy), over every stereo and view
// mode, both row orders, odd sizes, grey mix on and off, every source format and every
// kernel path this CPU runs; and each vector kernel against the plain one.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/stereo/ColorSpaceConverter.h"
#include "engine/stereo/StereoGeometry.h"
#include "engine/stereo/StereoKernels.h"
#include "engine/stereo/StereoRows.h"
#include "engine/stereo/StereoTransform.h"
#include "platform/graph/MediaGuids.h"
#include "platform/surface/PictureScaler.h"

namespace orvo::stereo {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kUntouched = 0xCD;
constexpr int kPadding = 12;  // bytes past each target row that must stay untouched

const char* PathName(KernelPath path) {
    switch (path) {
        case KernelPath::Plain:
            return "plain";
        case KernelPath::Sse2:
            return "SSE2";
        case KernelPath::Avx2:
            return "AVX2";
        case KernelPath::Avx512:
            return "AVX-512";
    }
    return "?";
}

std::vector<KernelPath> SupportedPaths() {
    std::vector<KernelPath> paths;
    for (KernelPath p : {KernelPath::Plain, KernelPath::Sse2, KernelPath::Avx2, KernelPath::Avx512})
        if (IsSupported(p)) paths.push_back(p);
    return paths;
}

Bytes Noise(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes b(n);
    for (uint8_t& v : b) v = uint8_t(random());
    return b;
}

struct Source {
    const char* name;
    GUID subtype;  // GUID_NULL: the frame is already 32-bit pixels
};
const Source kSources[] = {
    {"RGB32", GUID_NULL},
    {"YV12", MEDIASUBTYPE_YV12},
    {"NV12", MEDIASUBTYPE_NV12},
    {"YUY2", MEDIASUBTYPE_YUY2},
    {"RGB24", MEDIASUBTYPE_RGB24},
    {"RGB565", MEDIASUBTYPE_RGB565},
};

FrameDescriptor* Describe(FrameDescriptor& d, int32_t stereo, uint32_t view, int w, int h, bool topDown, bool grey,
                          StereoOptions options = {}) {
    d.options = options;
    d.stereoMode = stereo;
    d.viewMode = view;
    d.sourceWidth = w;
    d.sourceHeight = h;
    d.topDown = topDown;
    d.greyMix = grey ? 1 : 0;
    const FrameSize out = StereoOutputSize(stereo, view, w, h);
    d.width = out.width;
    d.height = out.height;
    return &d;
}

// The whole-frame path as the presentation runs it, into a padded target.
Bytes Reference(const FrameDescriptor& d, Bytes frame, size_t pitch) {
    PictureStore store;
    const StereoKernels& plain = StereoKernelsOf(KernelPath::Plain);
    Bytes target(pitch * size_t(d.height), kUntouched);
    uint8_t* picture = TransformFrame(d, frame.data(), store, plain);
    if (!picture) return {};
    GreyMix(d, picture, plain);
    for (int32_t r = 0; r < d.height; ++r) {
        const int32_t row = d.topDown ? r : d.height - 1 - r;
        std::memcpy(target.data() + size_t(row) * pitch, picture + size_t(r) * d.width * 4, size_t(d.width) * 4);
    }
    return target;
}

// Side by side with view 5 or more shows bytes that do not follow rows, and a 2D shift
// needs rows of at least 8 pixels; every other mode has a row form.
bool ExpectRowForm(int32_t stereo, uint32_t view, int w) {
    if (stereo == STEREO_SIDE_BY_SIDE && view >= VIEW_WHOLE_FRAME) return false;
    if (stereo == STEREO_FLAT && w < 8) return false;
    return true;
}

struct Size {
    int w, h;
};

TEST(StereoRowsTest, EqualsTheWholeFramePathInEveryMode) {
    // Odd and even sizes; 70 x 36 spans several vectors and bands of one view per row pair.
    const Size sizes[] = {{8, 2}, {9, 7}, {17, 5}, {70, 36}, {33, 18}};
    const int32_t stereoModes[] = {0, 1, 2, 3, 4, 5, 9, -1};
    const uint32_t viewModes[] = {0, 1, 2, 3, 4, 5, 7};
    for (KernelPath path : SupportedPaths()) {
        const StereoKernels& kernels = StereoKernelsOf(path);
        for (const Source& source : kSources) {
            for (const Size size : sizes) {
                // YUY2 pairs straddle the rows of an odd width: such frames go whole.
                if (source.subtype == MEDIASUBTYPE_YUY2 && size.w % 2) continue;
                const bool pixels = source.subtype == GUID_NULL;
                engine::CColorSpaceConverter converter(pixels ? MEDIASUBTYPE_RGB24 : source.subtype, size.w, size.h);
                const Bytes raw = Noise(pixels ? size_t(size.w) * size.h * 4 : converter.SourceSize(), size.w * 31 + size.h);
                Bytes converted = pixels ? raw : Bytes(converter.Convert(raw.data(), raw.size()),
                                                       converter.Convert(raw.data(), raw.size()) + converter.OutputSize());
                for (int32_t stereo : stereoModes) {
                    for (uint32_t view : viewModes) {
                        for (bool topDown : {false, true}) {
                            for (int variant = 0; variant < 8; ++variant) {
                                const bool grey = variant & 1;
                                const StereoOptions options{bool(variant & 2), bool(variant & 4)};
                                FrameDescriptor d;
                                Describe(d, stereo, view, size.w, size.h, topDown, grey, options);
                                const std::string what = std::string(PathName(path)) + " " + source.name + " " +
                                                         std::to_string(size.w) + "x" + std::to_string(size.h) +
                                                         " stereo " + std::to_string(stereo) + " view " +
                                                         std::to_string(view) + (topDown ? " top-down" : " bottom-up") +
                                                         (grey ? " grey" : "") + (options.swapEyes ? " swapped" : "") +
                                                         (options.optimisedAnaglyph ? " optimised" : "");
                                Bytes frame = converted;
                                PixelRows pixelRows(frame.data(), size.w);
                                ConvertedRows convertedRows(converter, raw.data(), raw.size());
                                FrameRows& rows = pixels ? static_cast<FrameRows&>(pixelRows) : convertedRows;
                                const bool rowForm = HasRowForm(d, rows, d.width, d.height);
                                ASSERT_EQ(rowForm, ExpectRowForm(stereo, view, size.w)) << what;
                                if (!rowForm) continue;
                                const size_t pitch = size_t(d.width) * 4 + kPadding;
                                const Bytes expected = Reference(d, converted, pitch);
                                Bytes target(pitch * size_t(d.height), kUntouched);
                                PictureStore store;
                                ASSERT_TRUE(TransformRows(d, rows, target.data(), ptrdiff_t(pitch), store, kernels))
                                    << what;
                                ASSERT_EQ(target, expected) << what;
                                // Rows are read, never rewritten, so a 32-bit sample stays as it came.
                                ASSERT_EQ(frame, converted) << what;
                            }
                        }
                    }
                }
            }
        }
    }
}

// The picture stretched band by band against the whole-frame picture stretched whole, as
// the blit stretches it: up and down, each axis alone, by exactly two, to one pixel, and
// into a letterboxed part of a larger surface; bands of a few rows, so that every band
// edge, the rows bands share and the picture's last row are crossed.
TEST(StereoRowsTest, StretchedBandByBandEqualsTheWholePictureStretched) {
    const Size sizes[] = {{9, 7}, {34, 18}, {70, 36}};
    const int32_t stereoModes[] = {0, 1, 2, 3, 4, 5, 9};
    const uint32_t viewModes[] = {0, 1, 2, 3, 4, 5, 7};
    struct Target {
        const char* name;
        Size (*size)(Size picture);
        bool letterbox;
    };
    const Target targets[] = {
        {"down", [](Size p) { return Size{p.w * 2 / 3 + 1, p.h * 2 / 3 + 1}; }, false},
        {"up", [](Size p) { return Size{p.w * 2 + 3, p.h * 5 / 2}; }, false},
        {"half", [](Size p) { return Size{std::max(1, p.w / 2), std::max(1, p.h / 2)}; }, false},
        {"taller", [](Size p) { return Size{p.w, p.h * 3 / 2 + 1}; }, false},
        {"wider", [](Size p) { return Size{p.w * 3, p.h}; }, false},
        {"one pixel", [](Size) { return Size{1, 1}; }, false},
        {"letterboxed", [](Size p) { return Size{p.w * 3 + 5, p.h + 7}; }, true},
    };
    for (KernelPath path : SupportedPaths()) {
        const StereoKernels& kernels = StereoKernelsOf(path);
        for (bool yuv : {false, true}) {
            for (const Size size : sizes) {
                engine::CColorSpaceConverter converter(yuv ? MEDIASUBTYPE_YV12 : MEDIASUBTYPE_RGB24, size.w, size.h);
                const Bytes raw = Noise(yuv ? converter.SourceSize() : size_t(size.w) * size.h * 4, size.w + size.h);
                const Bytes converted =
                    yuv ? Bytes(converter.Convert(raw.data(), raw.size()),
                                converter.Convert(raw.data(), raw.size()) + converter.OutputSize())
                        : raw;
                for (int32_t stereo : stereoModes) {
                    for (uint32_t view : viewModes) {
                        if (!ExpectRowForm(stereo, view, size.w)) continue;
                        for (bool topDown : {false, true}) {
                            for (bool grey : {false, true}) {
                                FrameDescriptor d;
                                // The options change the rows, not how they are stretched: one
                                // run with both on covers them.
                                Describe(d, stereo, view, size.w, size.h, topDown, grey, {grey, grey});
                                const Size picture{d.width, d.height};
                                const size_t pictureBytes = size_t(picture.w) * 4;
                                const Bytes upright = Reference(d, converted, pictureBytes);
                                for (const Target& target : targets) {
                                    const Size whole = target.size(picture);
                                    const RECT part = target.letterbox
                                                          ? surface::LetterboxRect({0, 0, whole.w, whole.h},
                                                                                   {picture.w, picture.h})
                                                          : RECT{0, 0, whole.w, whole.h};
                                    const std::string what =
                                        std::string(PathName(path)) + (yuv ? " YV12 " : " RGB32 ") +
                                        std::to_string(size.w) + "x" + std::to_string(size.h) + " stereo " +
                                        std::to_string(stereo) + " view " + std::to_string(view) +
                                        (topDown ? " top-down" : " bottom-up") + (grey ? " grey " : " ") +
                                        target.name;
                                    const int32_t pitch = whole.w * 4 + kPadding;
                                    const ptrdiff_t at = ptrdiff_t(part.top) * pitch + ptrdiff_t(part.left) * 4;
                                    Bytes expected(size_t(pitch) * size_t(whole.h), kUntouched);
                                    ASSERT_TRUE(surface::ScalePicture(
                                        {upright.data(), int32_t(pictureBytes), picture.w, picture.h},
                                        expected.data() + at, pitch, RectWidth(part), RectHeight(part),
                                        {0, 0, RectWidth(part), RectHeight(part)}))
                                        << what;
                                    Bytes actual(expected.size(), kUntouched);
                                    const surface::Canvas canvas{actual.data() + at, pitch, RectWidth(part),
                                                                 RectHeight(part)};
                                    PixelRows pixelRows(const_cast<uint8_t*>(converted.data()), size.w);
                                    ConvertedRows convertedRows(converter, raw.data(), raw.size());
                                    FrameRows& rows = yuv ? static_cast<FrameRows&>(convertedRows) : pixelRows;
                                    PictureStore store;
                                    // Four picture rows a band, the fewest it takes.
                                    ASSERT_TRUE(
                                        TransformRowsScaled(d, rows, canvas, store, kernels, 4 * pictureBytes))
                                        << what;
                                    ASSERT_EQ(actual, expected) << what;
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}

// Bands of any height, from the fewest rows to the whole picture at once, give the same
// stretch.
TEST(StereoRowsTest, StretchDoesNotDependOnTheBandHeight) {
    FrameDescriptor d;
    Describe(d, STEREO_SIDE_BY_SIDE, VIEW_RED_CYAN, 64, 45, false, true);
    Bytes frame = Noise(64 * 45 * 4, 7);
    const size_t pictureBytes = size_t(d.width) * 4;
    for (const Size dest : {Size{41, 30}, Size{77, 101}}) {
        Bytes first;
        for (size_t rowsPerBand : {4, 5, 13, 44, 45, 1000}) {
            Bytes target(size_t(dest.w) * dest.h * 4, kUntouched);
            PixelRows rows(frame.data(), 64);
            PictureStore store;
            ASSERT_TRUE(TransformRowsScaled(d, rows, {target.data(), dest.w * 4, dest.w, dest.h}, store,
                                            BestStereoKernels(), rowsPerBand * pictureBytes));
            if (first.empty())
                first = target;
            else
                ASSERT_EQ(target, first) << dest.w << "x" << dest.h << " with " << rowsPerBand << " rows a band";
        }
    }
}

TEST(StereoRowsTest, RefusesTargetsOfAnotherSizeAndSourcesWithoutRows) {
    FrameDescriptor d;
    Describe(d, STEREO_SIDE_BY_SIDE, VIEW_RED_CYAN, 16, 8, true, false);
    Bytes frame(16 * 8 * 4);
    PixelRows rows(frame.data(), 16);
    EXPECT_TRUE(HasRowForm(d, rows, 8, 8));
    EXPECT_FALSE(HasRowForm(d, rows, 16, 8));
    EXPECT_FALSE(HasRowForm(d, rows, 8, 7));
    PixelRows none(nullptr, 16);
    EXPECT_FALSE(HasRowForm(d, none, 8, 8));
    // A descriptor whose size disagrees with its modes.
    d.width = 16;
    EXPECT_FALSE(HasRowForm(d, rows, 16, 8));
    // A converted source shorter than one frame.
    engine::CColorSpaceConverter converter(MEDIASUBTYPE_YV12, 16, 8);
    const Bytes shortSource(converter.SourceSize() - 1);
    ConvertedRows shortRows(converter, shortSource.data(), shortSource.size());
    Describe(d, STEREO_SIDE_BY_SIDE, VIEW_RED_CYAN, 16, 8, true, false);
    EXPECT_FALSE(HasRowForm(d, shortRows, 8, 8));
    EXPECT_EQ(shortRows.Whole(), nullptr);
}

// Every vector kernel against the plain one, over lengths around each vector width and
// addresses off any alignment, in place and out of place.
TEST(StereoKernelsTest, EveryPathWritesThePlainBytes) {
    const StereoKernels& plain = StereoKernelsOf(KernelPath::Plain);
    const uint32_t masks[] = {0x000000FF, 0x0000FFFF, 0x00FF00FF, 0x00FFFFFF, 0};
    for (KernelPath path : SupportedPaths()) {
        const StereoKernels& k = StereoKernelsOf(path);
        for (size_t n : {size_t(0), size_t(1), size_t(3), size_t(4), size_t(7), size_t(8), size_t(15), size_t(16),
                         size_t(17), size_t(33), size_t(67)}) {
            for (size_t offset : {size_t(0), size_t(1), size_t(3)}) {
                const Bytes first = Noise(4 * n + 4, uint32_t(n * 3 + offset));
                const Bytes second = Noise(4 * n + 4, uint32_t(n * 5 + offset + 1));
                const std::string what = std::string(PathName(path)) + " n " + std::to_string(n) + " offset " +
                                         std::to_string(offset);
                for (uint32_t mask : masks) {
                    Bytes expected(4 * n + 8, kUntouched), actual(4 * n + 8, kUntouched);
                    plain.merge(expected.data() + offset, first.data() + offset, second.data(), n, mask);
                    k.merge(actual.data() + offset, first.data() + offset, second.data(), n, mask);
                    ASSERT_EQ(actual, expected) << what << " merge " << mask;
                    Bytes inPlaceExpected = first, inPlace = first;
                    plain.merge(inPlaceExpected.data() + offset, inPlaceExpected.data() + offset, second.data(), n, mask);
                    k.merge(inPlace.data() + offset, inPlace.data() + offset, second.data(), n, mask);
                    ASSERT_EQ(inPlace, inPlaceExpected) << what << " merge in place " << mask;
                    Bytes greyExpected = first, grey = first;
                    plain.greyMix(greyExpected.data() + offset, n, mask);
                    k.greyMix(grey.data() + offset, n, mask);
                    ASSERT_EQ(grey, greyExpected) << what << " grey " << mask;
                }
                for (uint32_t view : {VIEW_BLUE_YELLOW, VIEW_RED_CYAN, VIEW_GREEN_MAGENTA}) {
                    const Projection& p = *ProjectionOf(view);
                    Bytes expected(4 * n + 8, kUntouched), actual(4 * n + 8, kUntouched);
                    plain.project(expected.data() + offset, first.data() + offset, second.data(), n, p);
                    k.project(actual.data() + offset, first.data() + offset, second.data(), n, p);
                    ASSERT_EQ(actual, expected) << what << " projection " << view;
                    Bytes inPlaceExpected = first, inPlace = first;
                    plain.project(inPlaceExpected.data() + offset, inPlaceExpected.data() + offset, second.data(), n, p);
                    k.project(inPlace.data() + offset, inPlace.data() + offset, second.data(), n, p);
                    ASSERT_EQ(inPlace, inPlaceExpected) << what << " projection in place " << view;
                }
            }
        }
    }
}

// The plain projection is the sum with the kernel weights shifted down and clamped, and within
// one level of the 16.16 sum, at the extremes where the sums are largest and most negative too.
TEST(StereoKernelsTest, ProjectionIsTheClampedWeightedSum) {
    const uint8_t levels[] = {0, 1, 127, 128, 254, 255};
    Bytes first, second;
    for (uint8_t a : levels)
        for (uint8_t b : levels)
            for (uint8_t c : levels) {
                first.insert(first.end(), {a, b, c, uint8_t(a ^ 0x5A)});
                second.insert(second.end(), {c, a, b, uint8_t(b ^ 0x3C)});
            }
    const Bytes noise = Noise(4 * 4096, 99), noise2 = Noise(4 * 4096, 98);
    first.insert(first.end(), noise.begin(), noise.end());
    second.insert(second.end(), noise2.begin(), noise2.end());
    const size_t n = first.size() / 4;
    for (uint32_t view : {VIEW_BLUE_YELLOW, VIEW_RED_CYAN, VIEW_GREEN_MAGENTA}) {
        const Projection& p = *ProjectionOf(view);
        Bytes out(first.size());
        StereoKernelsOf(KernelPath::Plain).project(out.data(), first.data(), second.data(), n, p);
        for (size_t i = 0; i < n; ++i) {
            const uint8_t* f = &first[4 * i];
            const uint8_t* s = &second[4 * i];
            const int in[6] = {f[2], f[1], f[0], s[2], s[1], s[0]};
            for (int row = 0; row < 3; ++row) {
                int64_t sum = 0, exact = 0;
                for (int c = 0; c < 6; ++c) {
                    sum += int64_t((p.weights[row][c] + 2) >> 2) * in[c];
                    exact += int64_t(p.weights[row][c]) * in[c];
                }
                const int64_t expected = std::clamp<int64_t>(sum >> 14, 0, 255);
                ASSERT_EQ(out[4 * i + 2 - row], expected) << "view " << view << " pixel " << i << " row " << row;
                ASSERT_LE(std::abs(expected - std::clamp<int64_t>(exact >> 16, 0, 255)), 1);
            }
            ASSERT_EQ(out[4 * i + 3], std::max(f[3], s[3]));
        }
    }
}

// The grey level is the mean rounded down for every sum of three channels, up to 255 each.
TEST(StereoKernelsTest, GreyLevelIsTheMeanRoundedDownOnEveryPath) {
    Bytes pixels;
    for (int sum = 0; sum <= 765; ++sum) {
        const int b = std::min(sum, 255), g = std::min(sum - b, 255), r = sum - b - g;
        pixels.insert(pixels.end(), {uint8_t(b), uint8_t(g), uint8_t(r), 0x7F});
    }
    for (KernelPath path : SupportedPaths()) {
        Bytes mixed = pixels;
        StereoKernelsOf(path).greyMix(mixed.data(), mixed.size() / 4, 0x00FFFFFF);
        for (int sum = 0; sum <= 765; ++sum) {
            const uint8_t v = uint8_t(sum / 3);
            ASSERT_EQ(Bytes(mixed.begin() + 4 * sum, mixed.begin() + 4 * sum + 4), (Bytes{v, v, v, 0x7F}))
                << PathName(path) << " sum " << sum;
        }
    }
}

}  // namespace
}  // namespace orvo::stereo
