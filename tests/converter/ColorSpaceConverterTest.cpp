#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/stereo/ColorSpaceConverter.h"
#include "engine/stereo/ColorSpaceConverterKernels.h"
#include "platform/graph/MediaGuids.h"
#include "tests/media/TestPattern.h"

namespace {

using orvo::engine::CColorSpaceConverter;
using orvo::engine::ColorCoefficients;
using orvo::engine::ConversionPath;
using orvo::graph::ColorMatrix;
using orvo::graph::ColorRange;
using orvo::graph::VideoColorInfo;
using Bytes = std::vector<uint8_t>;
using Pixel = std::array<uint8_t, 4>;

struct Format {
    const char* name;
    GUID subtype;
};
const Format kYV12{"YV12", MEDIASUBTYPE_YV12};
const Format kIYUV{"IYUV", MEDIASUBTYPE_IYUV};
const Format kI420{"I420", MEDIASUBTYPE_I420};
const Format kNV12{"NV12", MEDIASUBTYPE_NV12};
const Format kYUY2{"YUY2", MEDIASUBTYPE_YUY2};
const Format kRGB24{"RGB24", MEDIASUBTYPE_RGB24};
const Format kRGB555{"RGB555", MEDIASUBTYPE_RGB555};
const Format kRGB565{"RGB565", MEDIASUBTYPE_RGB565};
const Format kAllFormats[] = {kYV12, kIYUV, kI420, kNV12, kYUY2, kRGB24, kRGB555, kRGB565};
const Format kYuvFormats[] = {kYV12, kIYUV, kNV12, kYUY2};

const char* PathName(ConversionPath path) {
    switch (path) {
    case ConversionPath::Table: return "table";
    case ConversionPath::Sse2: return "SSE2";
    case ConversionPath::Avx2: return "AVX2";
    case ConversionPath::Avx512: return "AVX-512";
    }
    return "?";
}

std::vector<ConversionPath> VectorPaths() {
    std::vector<ConversionPath> paths;
    for (ConversionPath path : {ConversionPath::Sse2, ConversionPath::Avx2, ConversionPath::Avx512})
        if (CColorSpaceConverter::IsSupported(path)) paths.push_back(path);
    return paths;
}

std::vector<ConversionPath> AllPaths() {
    std::vector<ConversionPath> paths = VectorPaths();
    paths.insert(paths.begin(), ConversionPath::Table);
    return paths;
}

// The conversion equations evaluated directly with a row of coefficients, without the
// converter's tables; by default the BT.601 studio-range row.
Pixel Expected(int y, int u, int v, const ColorCoefficients& k = {76309, 104597, 132201, 25675, 53279, 16, 128}) {
    auto channel = [](int64_t sum) { return uint8_t(std::clamp<int64_t>(sum >> 16, 0, 255)); };
    const int64_t luma = int64_t(k.luma) * (y - k.lumaOffset);
    u -= k.chromaOffset, v -= k.chromaOffset;
    return {channel(luma + int64_t(k.uToBlue) * u), channel(luma - int64_t(k.uToGreen) * u - int64_t(k.vToGreen) * v),
            channel(luma + int64_t(k.vToRed) * v), 0xFF};
}

struct MatrixCase {
    const char* name;
    ColorMatrix matrix;
    double kr, kb;  // the matrix's luma weights
};
const MatrixCase kMatrices[] = {
    {"BT.601", ColorMatrix::Bt601, 0.299, 0.114},     {"BT.709", ColorMatrix::Bt709, 0.2126, 0.0722},
    {"BT.2020", ColorMatrix::Bt2020, 0.2627, 0.0593}, {"SMPTE 240M", ColorMatrix::Smpte240m, 0.212, 0.087},
    {"FCC", ColorMatrix::Fcc, 0.30, 0.11},
};
const std::pair<const char*, ColorRange> kRanges[] = {{"limited", ColorRange::Limited}, {"full", ColorRange::Full}};

// The matrix in floating point, as the B, G, R, X pixel the converter writes.
Pixel FloatReference(const MatrixCase& m, bool full, int y, int u, int v, int depth = 8) {
    const orvo::test::Rgb c = orvo::test::RgbOfYuv(m.kr, m.kb, full, depth, y, u, v);
    return {c.b, c.g, c.r, 0xFF};
}

// Where each pixel's Y, U and V are in a frame of the given layout; 4:2:0 chroma planes hold
// (W+1)/2 x (H+1)/2 samples.
struct YuvLayout {
    int width, rows;
    bool packed, interleaved, vFirst;

    int ChromaWidth() const { return (width + 1) / 2; }
    int ChromaRows() const { return (rows + 1) / 2; }
    size_t PlaneSize() const { return size_t(width) * rows; }
    size_t ChromaSize() const { return size_t(ChromaWidth()) * ChromaRows(); }
    size_t FrameSize() const { return packed ? PlaneSize() / 2 * 4 : PlaneSize() + 2 * ChromaSize(); }

    size_t LumaAt(int x, int row) const {
        const size_t i = size_t(row) * width + x;
        return packed ? i / 2 * 4 + i % 2 * 2 : i;
    }
    size_t UAt(int x, int row) const {
        if (packed) return (size_t(row) * width + x) / 2 * 4 + 1;
        const size_t block = size_t(row / 2) * ChromaWidth() + x / 2;
        if (interleaved) return PlaneSize() + 2 * block;
        return PlaneSize() + (vFirst ? ChromaSize() : 0) + block;
    }
    size_t VAt(int x, int row) const {
        if (packed) return UAt(x, row) + 2;
        if (interleaved) return UAt(x, row) + 1;
        return PlaneSize() + (vFirst ? 0 : ChromaSize()) + size_t(row / 2) * ChromaWidth() + x / 2;
    }
};

YuvLayout LayoutOf(const Format& format, int width, int rows) {
    return {width, rows, format.subtype == MEDIASUBTYPE_YUY2, format.subtype == MEDIASUBTYPE_NV12,
            format.subtype == MEDIASUBTYPE_YV12};
}

Bytes RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (uint8_t& b : bytes) b = uint8_t(random());
    return bytes;
}

constexpr VideoColorInfo kStudioBt601{ColorMatrix::Bt601, ColorRange::Limited};

Bytes Convert(const Format& format, int width, int height, const Bytes& source, ConversionPath path,
              const VideoColorInfo& color = kStudioBt601) {
    CColorSpaceConverter converter(format.subtype, width, height, color, path);
    const uint8_t* out = converter.Convert(source.data(), source.size());
    return Bytes(out, out + converter.OutputSize());
}

Pixel PixelAt(const uint8_t* frame, size_t index) {
    Pixel p;
    std::memcpy(p.data(), frame + 4 * index, 4);
    return p;
}

// Every Y, U, V combination once: W = H = 4096 gives 2^22 blocks of four pixels (or 2^23 pairs);
// each run of 64 blocks (128 pairs) shares one U,V pair and holds the 256 luma values.
Bytes EnumeratingFrame(const YuvLayout& layout) {
    Bytes frame(layout.FrameSize());
    const int blockWidth = 2;
    const int blockHeight = layout.packed ? 1 : 2;
    const int pixelsPerBlock = blockWidth * blockHeight;
    const int blocksPerRow = layout.width / blockWidth;
    for (int row = 0; row < layout.rows; ++row)
        for (int x = 0; x < layout.width; ++x) {
            const uint32_t block = uint32_t(row / blockHeight) * blocksPerRow + x / blockWidth;
            const uint32_t pixelInRun = block % (256 / pixelsPerBlock) * pixelsPerBlock +
                                        (row % blockHeight) * blockWidth + x % blockWidth;
            const uint32_t chroma = block / (256 / pixelsPerBlock);
            frame[layout.LumaAt(x, row)] = uint8_t(pixelInRun);
            frame[layout.UAt(x, row)] = uint8_t(chroma);
            frame[layout.VAt(x, row)] = uint8_t(chroma >> 8);
        }
    return frame;
}

TEST(ColorSpaceConverter, WorkedValuesOnEveryPathAndYuvFormat) {
    struct Case {
        uint8_t y, u, v;
        Pixel bgrx;
    };
    const Case cases[] = {
        {16, 128, 128, {0, 0, 0, 255}},       {235, 128, 128, {254, 254, 254, 255}},
        {236, 128, 128, {255, 255, 255, 255}}, {255, 128, 128, {255, 255, 255, 255}},
        {255, 255, 128, {255, 228, 255, 255}},  // blue past 255
        {0, 0, 128, {0, 31, 0, 255}},           // blue below 0
        {255, 128, 255, {255, 175, 255, 255}}, {0, 255, 255, {237, 0, 184, 255}},  // green below 0
        {128, 64, 192, {1, 103, 232, 255}},    {81, 90, 240, {0, 0, 254, 255}},
    };
    // 40 x 3: whole vectors on every path, the table tail, and an odd last row.
    const int width = 80, rows = 3;
    for (const Format& format : kYuvFormats) {
        const YuvLayout layout = LayoutOf(format, width, rows);
        for (const Case& c : cases) {
            Bytes frame(layout.FrameSize());
            for (int row = 0; row < rows; ++row)
                for (int x = 0; x < width; ++x) {
                    frame[layout.LumaAt(x, row)] = c.y;
                    frame[layout.UAt(x, row)] = c.u;
                    frame[layout.VAt(x, row)] = c.v;
                }
            for (ConversionPath path : AllPaths()) {
                const Bytes out = Convert(format, width, rows, frame, path);
                for (int i = 0; i < width * rows; ++i)
                    ASSERT_EQ(PixelAt(out.data(), i), c.bgrx)
                        << format.name << " " << PathName(path) << " Y=" << int(c.y) << " U=" << int(c.u)
                        << " V=" << int(c.v) << " pixel " << i;
            }
        }
    }
}

// All 2^24 combinations: the table path against the equations, every vector path against the
// table path, byte for byte.
TEST(ColorSpaceConverter, VectorPathsEqualTablePathForEveryYuvCombination) {
    const int size = 4096;
    for (const Format& format : {kYV12, kNV12, kYUY2}) {
        const YuvLayout layout = LayoutOf(format, size, size);
        const Bytes frame = EnumeratingFrame(layout);
        const Bytes reference = Convert(format, size, size, frame, ConversionPath::Table);

        std::vector<bool> seen(1 << 24);
        size_t mismatches = 0;
        for (int row = 0; row < size; ++row)
            for (int x = 0; x < size; ++x) {
                const int y = frame[layout.LumaAt(x, row)], u = frame[layout.UAt(x, row)],
                          v = frame[layout.VAt(x, row)];
                seen[size_t(y) << 16 | u << 8 | v] = true;
                if (PixelAt(reference.data(), size_t(row) * size + x) != Expected(y, u, v)) ++mismatches;
            }
        EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 1 << 24) << format.name;
        EXPECT_EQ(mismatches, 0u) << format.name;

        for (ConversionPath path : VectorPaths())
            EXPECT_TRUE(Convert(format, size, size, frame, path) == reference) << format.name << " " << PathName(path);
    }
}

// Every matrix and range: each row of the table within a level of the matrix in floating point
// (the fixed-point shift truncates), and on every path all 2^24 combinations against the row's
// equations, byte for byte.
TEST(ColorSpaceConverter, EveryMatrixAndRangeOnEveryPathForEveryYuvCombination) {
    const int size = 4096;
    const YuvLayout layout = LayoutOf(kNV12, size, size);
    const Bytes frame = EnumeratingFrame(layout);
    for (const MatrixCase& m : kMatrices)
        for (auto [rangeName, range] : kRanges) {
            const std::string where = std::string(m.name) + " " + rangeName;
            const ColorCoefficients& row = orvo::engine::CoefficientsOf(m.matrix, range);
            const VideoColorInfo color{m.matrix, range};
            const Bytes reference = Convert(kNV12, size, size, frame, ConversionPath::Table, color);
            size_t mismatches = 0;
            for (int rowIndex = 0; rowIndex < size; ++rowIndex)
                for (int x = 0; x < size; ++x) {
                    const int y = frame[layout.LumaAt(x, rowIndex)], u = frame[layout.UAt(x, rowIndex)],
                              v = frame[layout.VAt(x, rowIndex)];
                    if (PixelAt(reference.data(), size_t(rowIndex) * size + x) != Expected(y, u, v, row)) ++mismatches;
                }
            EXPECT_EQ(mismatches, 0u) << where;
            size_t farFromFloat = 0;
            for (int y = 0; y < 256; y += 3)
                for (int u = 0; u < 256; u += 3)
                    for (int v = 0; v < 256; v += 3) {
                        const Pixel got = Expected(y, u, v, row), exact = FloatReference(m, range == ColorRange::Full, y, u, v);
                        for (int c = 0; c < 3; ++c)
                            if (std::abs(got[c] - exact[c]) > 1) ++farFromFloat;
                    }
            EXPECT_EQ(farFromFloat, 0u) << where;
            for (ConversionPath path : VectorPaths())
                EXPECT_TRUE(Convert(kNV12, size, size, frame, path, color) == reference) << where << " " << PathName(path);
        }
}

// Planar and packed layouts take the same row as NV12 on every path.
TEST(ColorSpaceConverter, EveryLayoutTakesTheMatrixAndRange) {
    const int width = 200, rows = 6;
    for (const Format& format : kYuvFormats)
        for (const MatrixCase& m : kMatrices)
            for (auto [rangeName, range] : kRanges) {
                const YuvLayout layout = LayoutOf(format, width, rows);
                const Bytes frame = RandomBytes(layout.FrameSize(), 11);
                const ColorCoefficients& row = orvo::engine::CoefficientsOf(m.matrix, range);
                for (ConversionPath path : AllPaths()) {
                    const Bytes out = Convert(format, width, rows, frame, path, {m.matrix, range});
                    for (int r = 0; r < rows; ++r)
                        for (int x = 0; x < width; ++x)
                            ASSERT_EQ(PixelAt(out.data(), size_t(r) * width + x),
                                      Expected(frame[layout.LumaAt(x, r)], frame[layout.UAt(x, r)],
                                               frame[layout.VAt(x, r)], row))
                                << format.name << " " << m.name << " " << rangeName << " " << PathName(path);
                }
            }
}

// Unspecified colour: BT.709 for pictures of 720 rows or 1280 columns and more, BT.601 below;
// limited range unless the type says full.
TEST(ColorSpaceConverter, UnspecifiedColourFollowsThePictureSize) {
    struct Case {
        int width, height;
        VideoColorInfo asked, converted;
    };
    const Case cases[] = {
        {1280, 720, {}, {ColorMatrix::Bt709, ColorRange::Limited}},
        {1280, 100, {}, {ColorMatrix::Bt709, ColorRange::Limited}},
        {960, 720, {}, {ColorMatrix::Bt709, ColorRange::Limited}},
        {1279, 719, {}, {ColorMatrix::Bt601, ColorRange::Limited}},
        {720, 576, {ColorMatrix::Unspecified, ColorRange::Full}, {ColorMatrix::Bt601, ColorRange::Full}},
        {1920, 1080, {ColorMatrix::Bt601, ColorRange::Unspecified}, {ColorMatrix::Bt601, ColorRange::Limited}},
        {640, 360, {ColorMatrix::Bt2020, ColorRange::Full}, {ColorMatrix::Bt2020, ColorRange::Full}},
    };
    for (const Case& c : cases) {
        CColorSpaceConverter converter(MEDIASUBTYPE_NV12, c.width, c.height, c.asked);
        EXPECT_EQ(converter.Color(), c.converted) << c.width << "x" << c.height;
        EXPECT_EQ(converter.RequestedColor(), c.asked);
    }
    EXPECT_EQ(CColorSpaceConverter(MEDIASUBTYPE_NV12, 320, 240).Color(),
              (VideoColorInfo{ColorMatrix::Bt601, ColorRange::Limited}));
}

// The planar and semi-planar formats beyond 4:2:0 of 8 bits: where each sample of a packed frame
// lies, and what a sample reads as.
struct WideFormat {
    const char* name;
    GUID subtype;
    int shiftX, shiftY, bytes, depth, shift;
    bool interleaved;

    int ChromaWidth(int width) const { return (width + (1 << shiftX) - 1) >> shiftX; }
    int ChromaRows(int rows) const { return (rows + (1 << shiftY) - 1) >> shiftY; }
    size_t FrameSize(int width, int rows) const {
        return (size_t(width) * rows + 2 * size_t(ChromaWidth(width)) * ChromaRows(rows)) * bytes;
    }
    int Read(const Bytes& frame, size_t sample) const {
        return bytes == 1 ? frame[sample] : (frame[2 * sample] | frame[2 * sample + 1] << 8) >> shift;
    }
    // Y, U, V of pixel (x, row).
    std::array<int, 3> At(const Bytes& frame, int width, int rows, int x, int row) const {
        const size_t luma = size_t(width) * rows, chroma = size_t(ChromaWidth(width)) * ChromaRows(rows);
        const size_t c = size_t(row >> shiftY) * ChromaWidth(width) + (x >> shiftX);
        const size_t u = interleaved ? luma + 2 * c : luma + c, v = interleaved ? u + 1 : luma + chroma + c;
        return {Read(frame, size_t(row) * width + x), Read(frame, u), Read(frame, v)};
    }
};
const WideFormat kWideFormats[] = {
    {"Y42B", MEDIASUBTYPE_Y42B, 1, 0, 1, 8, 0, false},
    {"444P", MEDIASUBTYPE_444P, 0, 0, 1, 8, 0, false},
    {"P010", MEDIASUBTYPE_P010, 1, 1, 2, 10, 6, true},
    {"P016", MEDIASUBTYPE_P016, 1, 1, 2, 12, 4, true},
    {"P210", MEDIASUBTYPE_P210, 1, 0, 2, 10, 6, true},
    {"P216", MEDIASUBTYPE_P216, 1, 0, 2, 12, 4, true},
    {"yuv420p10", MEDIASUBTYPE_YUV420P10, 1, 1, 2, 10, 0, false},
    {"yuv420p12", MEDIASUBTYPE_YUV420P12, 1, 1, 2, 12, 0, false},
    {"yuv422p10", MEDIASUBTYPE_YUV422P10, 1, 0, 2, 10, 0, false},
    {"yuv422p12", MEDIASUBTYPE_YUV422P12, 1, 0, 2, 12, 0, false},
    {"yuv444p10", MEDIASUBTYPE_YUV444P10, 0, 0, 2, 10, 0, false},
    {"yuv444p12", MEDIASUBTYPE_YUV444P12, 0, 0, 2, 12, 0, false},
};

// Samples within the format's depth, as a decoder writes them (the LSB-aligned formats never
// set bits above their depth, the MSB-aligned ones below it), with the extremes of the range.
Bytes WideFrame(const WideFormat& f, int width, int rows, uint32_t seed) {
    Bytes frame = RandomBytes(f.FrameSize(width, rows), seed);
    if (f.bytes == 2)
        for (size_t i = 0; i + 1 < frame.size(); i += 2) {
            int value = (frame[i] | frame[i + 1] << 8) & ((1 << f.depth) - 1);
            if (i % 64 == 0) value = (1 << f.depth) - 1;
            if (i % 64 == 2) value = 0;
            value <<= f.shift;
            frame[i] = uint8_t(value), frame[i + 1] = uint8_t(value >> 8);
        }
    return frame;
}

// Every wider format on every path, for every matrix and range: random frames of odd and even
// sizes against the row's equations at the format's depth, each read exactly SourceSize() long;
// whole rows and row ranges alike. The row's pixels are within a level of the matrix in
// floating point.
TEST(ColorSpaceConverter, WiderFormatsOnEveryPathForEveryMatrixAndRange) {
    const std::pair<int, int> sizes[] = {{1, 1}, {3, 3}, {17, 5}, {64, 2}, {130, 3}, {257, 4}};
    for (const WideFormat& f : kWideFormats)
        for (const MatrixCase& m : kMatrices)
            for (auto [rangeName, range] : kRanges)
                for (auto [width, rows] : sizes) {
                    const std::string where = std::string(f.name) + " " + m.name + " " + rangeName + " " +
                                              std::to_string(width) + "x" + std::to_string(rows);
                    const Bytes frame = WideFrame(f, width, rows, uint32_t(width * 31 + rows));
                    const ColorCoefficients& row = orvo::engine::CoefficientsOf(m.matrix, range, f.depth);
                    for (ConversionPath path : AllPaths()) {
                        CColorSpaceConverter converter(f.subtype, width, rows, {m.matrix, range}, path);
                        ASSERT_EQ(converter.SourceSize(), frame.size()) << where;
                        ASSERT_TRUE(converter.ConvertsRows()) << where;
                        const uint8_t* out = converter.Convert(frame.data(), frame.size());
                        Bytes band(size_t(width) * 4 * rows);
                        ASSERT_TRUE(converter.ConvertRows(frame.data(), frame.size(), 1 % rows, rows - 1 % rows,
                                                          band.data(), width * 4));
                        for (int r = 0; r < rows; ++r)
                            for (int x = 0; x < width; ++x) {
                                const auto [y, u, v] = f.At(frame, width, rows, x, r);
                                const Pixel expected = Expected(y, u, v, row);
                                ASSERT_EQ(PixelAt(out, size_t(r) * width + x), expected)
                                    << where << " " << PathName(path) << " pixel " << x << "," << r;
                                if (r >= 1 % rows)
                                    ASSERT_EQ(PixelAt(band.data(), size_t(r - 1 % rows) * width + x), expected)
                                        << where << " rows";
                                const Pixel exact = FloatReference(m, range == ColorRange::Full, y, u, v, f.depth);
                                for (int c = 0; c < 3; ++c)
                                    ASSERT_LE(std::abs(expected[c] - exact[c]), 1) << where << " channel " << c;
                            }
                    }
                }
}

const std::pair<int, int> kFrameSizes[] = {
    {1, 1},   {1, 2},   {2, 1},   {2, 2},   {3, 3},    {5, 7},   {15, 4}, {16, 2},   {17, 3}, {31, 5},
    {32, 2},  {33, 9},  {63, 3},  {64, 4},  {65, 5},   {127, 3}, {128, 2}, {129, 7}, {191, 1}, {255, 3},
    {256, 4}, {257, 5}, {1920, 2}, {1921, 3}, {641, -3},
};

// Random frames of odd and even sizes: the table path against the layout and the equations, and
// every vector path against the table path. Each source is exactly SourceSize() long, so a
// sanitizer build catches any read past it; the output is prefilled to show what is not written.
TEST(ColorSpaceConverter, RandomFramesOfEveryFormatAndSize) {
    const uint8_t untouched = 0xA5;
    for (const Format& format : kAllFormats)
        for (auto [width, height] : kFrameSizes) {
            const int rows = std::abs(height);
            CColorSpaceConverter table(format.subtype, width, height, kStudioBt601, ConversionPath::Table);
            const Bytes frame = RandomBytes(table.SourceSize(), uint32_t(width * 1000 + rows));
            std::memset(table.OutputBuffer(), untouched, table.OutputSize());
            const uint8_t* reference = table.Convert(frame.data(), frame.size());
            const std::string where = std::string(format.name) + " " + std::to_string(width) + "x" +
                                      std::to_string(height);

            for (int row = 0; row < rows; ++row)
                for (int x = 0; x < width; ++x) {
                    const size_t i = size_t(row) * width + x;
                    Pixel expected;
                    if (format.subtype == MEDIASUBTYPE_RGB24) {
                        expected = {frame[3 * i], frame[3 * i + 1], frame[3 * i + 2], 0xFF};
                    } else if (format.subtype == MEDIASUBTYPE_RGB555 || format.subtype == MEDIASUBTYPE_RGB565) {
                        continue;  // bit layouts: RgbWordsTakeTheirBitFields
                    } else if (format.subtype == MEDIASUBTYPE_YUY2 && i == size_t(width) * rows - 1 && i % 2 == 0) {
                        expected = {untouched, untouched, untouched, untouched};  // odd W*H: no pair
                    } else {
                        const YuvLayout layout = LayoutOf(format, width, rows);
                        expected = Expected(frame[layout.LumaAt(x, row)], frame[layout.UAt(x, row)],
                                            frame[layout.VAt(x, row)]);
                    }
                    ASSERT_EQ(PixelAt(reference, i), expected) << where << " pixel " << x << "," << row;
                }

            for (ConversionPath path : VectorPaths()) {
                CColorSpaceConverter vector(format.subtype, width, height, kStudioBt601, path);
                std::memset(vector.OutputBuffer(), untouched, vector.OutputSize());
                const uint8_t* out = vector.Convert(frame.data(), frame.size());
                EXPECT_EQ(std::memcmp(out, reference, table.OutputSize()), 0) << where << " " << PathName(path);
            }
        }
}

// Any range of rows, converted on its own into a padded band, holds exactly the bytes a whole
// conversion writes for those rows, on every path: ranges that start or end inside a 4:2:0 row
// pair, single rows, the last odd row, and the whole frame. Nothing outside the band is written.
TEST(ColorSpaceConverter, RowRangesEqualTheWholeConversion) {
    const uint8_t untouched = 0x5A;
    const size_t padding = 8;
    for (const Format& format : kAllFormats)
        for (auto [width, height] : kFrameSizes) {
            const int rows = std::abs(height);
            CColorSpaceConverter table(format.subtype, width, height, ConversionPath::Table);
            const std::string where = std::string(format.name) + " " + std::to_string(width) + "x" +
                                      std::to_string(height);
            // YUY2 pairs straddle the rows of an odd width; such converters take frames whole.
            const bool splits = format.subtype != MEDIASUBTYPE_YUY2 || width % 2 == 0;
            ASSERT_EQ(table.ConvertsRows(), splits) << where;
            if (!splits) continue;
            const Bytes frame = RandomBytes(table.SourceSize(), uint32_t(width * 977 + rows));
            const Bytes whole(table.Convert(frame.data(), frame.size()),
                              table.Convert(frame.data(), frame.size()) + table.OutputSize());
            const size_t rowBytes = size_t(width) * 4, pitch = rowBytes + padding;
            const std::pair<int, int> ranges[] = {{0, rows}, {0, 1}, {1, 1}, {1, 2}, {rows - 1, 1}, {rows / 2, rows - rows / 2}};
            for (ConversionPath path : AllPaths()) {
                CColorSpaceConverter converter(format.subtype, width, height, path);
                for (auto [first, count] : ranges) {
                    if (first < 0 || count <= 0 || first + count > rows) continue;
                    Bytes band(pitch * size_t(count), untouched);
                    ASSERT_TRUE(converter.ConvertRows(frame.data(), frame.size(), first, count, band.data(),
                                                      ptrdiff_t(pitch)))
                        << where;
                    for (int r = 0; r < count; ++r) {
                        const uint8_t* got = band.data() + size_t(r) * pitch;
                        ASSERT_EQ(std::memcmp(got, whole.data() + size_t(first + r) * rowBytes, rowBytes), 0)
                            << where << " " << PathName(path) << " rows " << first << "+" << count << " row " << r;
                        ASSERT_EQ(Bytes(got + rowBytes, got + pitch), Bytes(padding, untouched)) << where;
                    }
                }
            }
        }
}

TEST(ColorSpaceConverter, RowRangesOutsideTheFrameOrFromAShortSourceAreRefused) {
    CColorSpaceConverter converter(MEDIASUBTYPE_NV12, 16, 8);
    const Bytes frame = RandomBytes(converter.SourceSize(), 9);
    Bytes band(16 * 4 * 8, 0x11);
    const Bytes before = band;
    EXPECT_FALSE(converter.ConvertRows(frame.data(), frame.size(), 7, 2, band.data(), 64));
    EXPECT_FALSE(converter.ConvertRows(frame.data(), frame.size(), -1, 1, band.data(), 64));
    EXPECT_FALSE(converter.ConvertRows(frame.data(), frame.size() - 1, 0, 1, band.data(), 64));
    EXPECT_FALSE(converter.ConvertRows(nullptr, frame.size(), 0, 1, band.data(), 64));
    CColorSpaceConverter unknown(MEDIASUBTYPE_RGB32, 16, 8);
    EXPECT_FALSE(unknown.ConvertRows(frame.data(), frame.size(), 0, 1, band.data(), 64));
    EXPECT_EQ(band, before);
}

TEST(ColorSpaceConverter, FourPixelsOfABlockShareOneChromaPair) {
    // 4x2 YV12: two blocks with different chroma; every luma value distinct.
    const Bytes frame = {10, 60, 110, 160, 35, 85, 135, 185,  // Y rows
                         200, 40,                             // V plane
                         30, 220};                            // U plane
    const Bytes out = Convert(kYV12, 4, 2, frame, ConversionPath::Table);
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 4; ++x) {
            const int block = x / 2;
            EXPECT_EQ(PixelAt(out.data(), row * 4 + x), Expected(frame[row * 4 + x], frame[10 + block], frame[8 + block]))
                << x << "," << row;
        }
}

TEST(ColorSpaceConverter, SwappedChromaPlanesGiveTheSamePictureAsYV12AndIYUV) {
    const int width = 70, rows = 6;
    const size_t plane = size_t(width) * rows, chroma = plane / 4;
    const Bytes yv12 = RandomBytes(plane + 2 * chroma, 7);
    Bytes iyuv(yv12.begin(), yv12.begin() + plane);
    iyuv.insert(iyuv.end(), yv12.begin() + plane + chroma, yv12.end());
    iyuv.insert(iyuv.end(), yv12.begin() + plane, yv12.begin() + plane + chroma);
    for (ConversionPath path : AllPaths()) {
        const Bytes picture = Convert(kYV12, width, rows, yv12, path);
        EXPECT_TRUE(Convert(kIYUV, width, rows, iyuv, path) == picture) << PathName(path);
        EXPECT_TRUE(Convert(kI420, width, rows, iyuv, path) == picture) << PathName(path);
    }
}

TEST(ColorSpaceConverter, RgbWordsTakeTheirBitFields) {
    struct Case {
        const Format& format;
        uint16_t word;
        Pixel bgrx;
    };
    const Case cases[] = {
        {kRGB555, 0x001F, {248, 0, 0, 255}},   {kRGB555, 0x03E0, {0, 248, 0, 255}},
        {kRGB555, 0x7C00, {0, 0, 248, 255}},   {kRGB555, 0x8000, {0, 0, 0, 255}},
        {kRGB555, 0x4211, {136, 128, 128, 255}}, {kRGB565, 0x001F, {248, 0, 0, 255}},
        {kRGB565, 0x07E0, {0, 252, 0, 255}},   {kRGB565, 0xF800, {0, 0, 248, 255}},
        {kRGB565, 0x0821, {8, 4, 8, 255}},
    };
    for (const Case& c : cases) {
        const Bytes frame = {uint8_t(c.word), uint8_t(c.word >> 8)};
        EXPECT_EQ(PixelAt(Convert(c.format, 1, 1, frame, ConversionPath::Table).data(), 0), c.bgrx)
            << c.format.name << " " << std::hex << c.word;
    }
}

TEST(ColorSpaceConverter, RefusedInputLeavesThePreviousOutput) {
    const int width = 6, rows = 4;
    CColorSpaceConverter converter(MEDIASUBTYPE_YV12, width, rows);
    uint8_t* buffer = converter.OutputBuffer();
    EXPECT_EQ(converter.OutputSize(), size_t(width) * rows * 4);
    EXPECT_TRUE(std::all_of(buffer, buffer + converter.OutputSize(), [](uint8_t b) { return b == 0; }));

    const Bytes frame = RandomBytes(converter.SourceSize(), 3);
    ASSERT_EQ(converter.Convert(frame.data(), frame.size()), buffer);
    const Bytes previous(buffer, buffer + converter.OutputSize());
    const Bytes other = RandomBytes(converter.SourceSize(), 4);
    EXPECT_EQ(converter.Convert(nullptr, frame.size()), buffer);
    EXPECT_EQ(converter.Convert(other.data(), other.size() - 1), buffer);  // one byte short
    EXPECT_TRUE(Bytes(buffer, buffer + converter.OutputSize()) == previous);

    CColorSpaceConverter unknown(MEDIASUBTYPE_RGB32, width, rows);
    EXPECT_EQ(unknown.SourceSize(), 0u);
    std::memset(unknown.OutputBuffer(), 0x5A, unknown.OutputSize());
    EXPECT_EQ(unknown.Convert(frame.data(), frame.size()), unknown.OutputBuffer());
    EXPECT_TRUE(std::all_of(unknown.OutputBuffer(), unknown.OutputBuffer() + unknown.OutputSize(),
                            [](uint8_t b) { return b == 0x5A; }));
}

TEST(ColorSpaceConverter, SizesThatHoldNoFrameGiveAnEmptyConverter) {
    const std::pair<int32_t, int32_t> sizes[] = {{0, 4}, {4, 0}, {-4, 4}, {65536, 65536}, {4, INT32_MIN}};
    for (auto [width, height] : sizes) {
        CColorSpaceConverter converter(MEDIASUBTYPE_RGB24, width, height);
        EXPECT_EQ(converter.OutputSize(), 0u) << width << "x" << height;
        EXPECT_EQ(converter.SourceSize(), 0u) << width << "x" << height;
        const uint8_t source[16] = {};
        EXPECT_EQ(converter.Convert(source, sizeof source), converter.OutputBuffer());
    }
}

TEST(ColorSpaceConverter, TopDownRgbKeepsRowOrderAndAbsoluteHeight) {
    const Bytes frame = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};  // 2 x 2, first row first
    for (int32_t height : {2, -2}) {
        CColorSpaceConverter converter(MEDIASUBTYPE_RGB24, 2, height);
        EXPECT_EQ(converter.Height(), height);
        ASSERT_EQ(converter.OutputSize(), 16u);
        const uint8_t* out = converter.Convert(frame.data(), frame.size());
        EXPECT_EQ(PixelAt(out, 0), (Pixel{1, 2, 3, 255}));
        EXPECT_EQ(PixelAt(out, 3), (Pixel{10, 11, 12, 255}));
    }
}

TEST(ColorSpaceConverter, BestPathIsTheWidestSupported) {
    const ConversionPath best = CColorSpaceConverter::BestPath();
    EXPECT_TRUE(CColorSpaceConverter::IsSupported(best));
    EXPECT_EQ(best, VectorPaths().back());
    EXPECT_EQ(CColorSpaceConverter(MEDIASUBTYPE_NV12, 2, 2).Path(), best);
}

}  // namespace
