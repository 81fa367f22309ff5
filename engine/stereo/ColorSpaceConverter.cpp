#include "engine/stereo/ColorSpaceConverter.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include <xmmintrin.h>

#include "engine/stereo/ColorSpaceConverterKernels.h"
#include "platform/graph/MediaGuids.h"

namespace orvo::engine {

// The five lookup tables of one coefficient row; the clamp table is shared by all rows. They
// are built once per process and never change, so converters on different streaming threads
// read them without a lock.
struct LookupTables {
    int32_t luma[256];
    int32_t vToRed[256];
    int32_t uToBlue[256];
    int32_t uToGreen[256];
    int32_t vToGreen[256];
};

namespace {

LookupTables BuildLookupTables(const ColorCoefficients& row) {
    LookupTables t{};
    for (int i = 0; i < 256; ++i) {
        t.luma[i] = row.luma * (i - row.lumaOffset);
        t.vToRed[i] = row.vToRed * (i - row.chromaOffset);
        t.uToBlue[i] = row.uToBlue * (i - row.chromaOffset);
        t.uToGreen[i] = row.uToGreen * (i - row.chromaOffset);
        t.vToGreen[i] = row.vToGreen * (i - row.chromaOffset);
    }
    return t;
}

constexpr int kMatrixCount = int(graph::ColorMatrix::Fcc);  // Bt601 .. Fcc
int RowIndex(const graph::VideoColorInfo& color) {
    return (int(color.matrix) - int(graph::ColorMatrix::Bt601)) * 2 + (color.range == graph::ColorRange::Full);
}

// color is resolved: no part unspecified.
const LookupTables& LookupTablesOf(const graph::VideoColorInfo& color) {
    static const std::vector<LookupTables> tables = [] {
        std::vector<LookupTables> all(size_t(kMatrixCount) * 2);
        for (int m = 0; m < kMatrixCount; ++m)
            for (auto range : {graph::ColorRange::Limited, graph::ColorRange::Full}) {
                const graph::VideoColorInfo color{graph::ColorMatrix(m + int(graph::ColorMatrix::Bt601)), range};
                all[size_t(RowIndex(color))] = BuildLookupTables(CoefficientsOf(color.matrix, color.range));
            }
        return all;
    }();
    return tables[size_t(RowIndex(color))];
}

// Every shifted sum of every row lies within -384..639 (BT.2020 limited reaches -293..555).
struct ClampTable {
    uint8_t values[1024];  // indices -384..639, stored from 0
};
constexpr int kClampOrigin = 384;
constexpr ClampTable BuildClamp() {
    ClampTable t{};
    for (int i = 0; i < 1024; ++i) t.values[i] = uint8_t(std::clamp(i - kClampOrigin, 0, 255));
    return t;
}
constexpr ClampTable kClamp = BuildClamp();

// The chroma contributions of one 2x2 block (or YUY2 pair), looked up once for all its pixels.
struct BlockChroma {
    int32_t blue, green, red;  // green is subtracted
};

BlockChroma ChromaOf(const LookupTables& t, uint8_t u, uint8_t v) {
    return {t.uToBlue[u], t.uToGreen[u] + t.vToGreen[v], t.vToRed[v]};
}

uint8_t Clamp(int32_t shiftedSum) { return kClamp.values[shiftedSum + kClampOrigin]; }

void WritePixel(const LookupTables& t, uint8_t* out, uint8_t luma, const BlockChroma& c) {
    const int32_t y = t.luma[luma];
    out[0] = Clamp((y + c.blue) >> 16);
    out[1] = Clamp((y - c.green) >> 16);
    out[2] = Clamp((y + c.red) >> 16);
    out[3] = 0xFF;
}

// Rows of 8-bit 4:2:x samples from column `from` (even) on: the pair's second row when y1 is
// set. The chroma of block b is at u[b * chromaStep] and v[b * chromaStep]; a last odd column
// uses the block it falls in.
void TableBlockRows(const LookupTables& t, const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v,
                    int chromaStep, uint8_t* out0, uint8_t* out1, int from, int width) {
    for (int x = from; x < width; x += 2) {
        const int block = x / 2 * chromaStep;
        const BlockChroma c = ChromaOf(t, u[block], v[block]);
        const bool both = x + 1 < width;
        WritePixel(t, out0 + 4 * x, y0[x], c);
        if (both) WritePixel(t, out0 + 4 * x + 4, y0[x + 1], c);
        if (!y1) continue;
        WritePixel(t, out1 + 4 * x, y1[x], c);
        if (both) WritePixel(t, out1 + 4 * x + 4, y1[x + 1], c);
    }
}

// One row of 8-bit 4:4:4 samples from column `from` on.
void TableOwnChromaRow(const LookupTables& t, const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* out,
                       int from, int width) {
    for (int x = from; x < width; ++x) WritePixel(t, out + 4 * x, y[x], ChromaOf(t, u[x], v[x]));
}

// Samples of more than 8 bits, with the row's equations evaluated directly.
struct WideSamples {
    const ColorCoefficients& k;
    int shift;

    int Sample(const uint8_t* words, size_t i) const { return (words[2 * i] | words[2 * i + 1] << 8) >> shift; }
    void Write(uint8_t* out, int y, int u, int v) const {
        const int32_t luma = k.luma * (y - k.lumaOffset);
        u -= k.chromaOffset, v -= k.chromaOffset;
        out[0] = Clamp((luma + k.uToBlue * u) >> 16);
        out[1] = Clamp((luma - k.uToGreen * u - k.vToGreen * v) >> 16);
        out[2] = Clamp((luma + k.vToRed * v) >> 16);
        out[3] = 0xFF;
    }
};

// Rows of 16-bit samples from column `from` on; chroma sample c of the row is at u[c * chromaStep]
// and v[c * chromaStep] (in samples), one per 2^chromaShiftX columns.
void TableWideRows(const WideSamples& w, const RowSources& s, int chromaStep, int chromaShiftX, int from, int width) {
    for (int x = from; x < width; ++x) {
        const size_t c = size_t(x >> chromaShiftX) * chromaStep;
        const int u = w.Sample(s.u, c), v = w.Sample(s.v, c);
        w.Write(s.out0 + 4 * x, w.Sample(s.luma0, size_t(x)), u, v);
        if (s.pair) w.Write(s.out1 + 4 * x, w.Sample(s.luma1, size_t(x)), u, v);
    }
}

void TablePackedPairs(const LookupTables& t, const uint8_t* source, uint8_t* out, size_t from, size_t pairs) {
    for (size_t k = from; k < pairs; ++k) {
        const uint8_t* p = source + 4 * k;
        const BlockChroma c = ChromaOf(t, p[1], p[3]);
        WritePixel(t, out + 8 * k, p[0], c);
        WritePixel(t, out + 8 * k + 4, p[2], c);
    }
}

void TableRgb24(const uint8_t* source, uint8_t* out, size_t from, size_t pixels) {
    for (size_t i = from; i < pixels; ++i) {
        out[4 * i] = source[3 * i];
        out[4 * i + 1] = source[3 * i + 1];
        out[4 * i + 2] = source[3 * i + 2];
        out[4 * i + 3] = 0xFF;
    }
}

// The table path has no vector prefix: every row starts with the table code.
int NoRows(const RowSources&, int, bool, const LaneCoefficients&) { return 0; }
constexpr ColorKernels kTableOnly{
    {NoRows, NoRows, NoRows, NoRows, NoRows, NoRows},
    [](const uint8_t*, uint8_t*, size_t, bool, const LaneCoefficients&) { return size_t(0); },
    [](const uint8_t*, uint8_t*, size_t) { return size_t(0); },
};

const ColorKernels& KernelsOf(ConversionPath path) {
    switch (path) {
    case ConversionPath::Sse2: return Sse2ColorKernels();
    case ConversionPath::Avx2: return Avx2ColorKernels();
    case ConversionPath::Avx512: return Avx512ColorKernels();
    case ConversionPath::Table: break;
    }
    return kTableOnly;
}

// The output starts on a cache line, and so does every row of a multiple of 16 pixels: the widest
// vector stores then never straddle two lines, and non-temporal stores may be used.
constexpr std::align_val_t kOutputAlignment{64};
constexpr int kAlignedRowPixels = 16;

// An output larger than this cannot stay in the cache until the stereo transform reads it, so the
// vector paths write it with non-temporal stores, which spare reading every line before writing
// it (4K frames, 33 MB; a 1080p frame, 8 MB, is written through the cache).
constexpr size_t kCachedOutputLimit = size_t(16) << 20;

// Subsampled chroma holds one sample per 2 columns (or rows), rounded up: a last odd column (or
// row) has blocks of its own, one pixel wide (or high). For an even 4:2:0 frame this is the usual
// W/2 x H/2 plane, and the second plane starts at W*H + W*H/4.
int Subsampled(int size, int shift) { return (size + (1 << shift) - 1) >> shift; }

RowFamily FamilyOf(const stereo::VideoSubtype& format) {
    const bool interleaved = format.layout == stereo::PixelLayout::Interleaved;
    if (format.sampleBytes == 1)
        return format.chromaShiftX == 0 ? kPlanar444x8 : interleaved ? kInterleaved8 : kPlanar8;
    return format.chromaShiftX == 0 ? kPlanar444x16 : interleaved ? kInterleaved16 : kPlanar16;
}

}  // namespace

bool CColorSpaceConverter::IsSupported(ConversionPath path) {
    __builtin_cpu_init();
    switch (path) {
    case ConversionPath::Table:
    case ConversionPath::Sse2: return true;
    case ConversionPath::Avx2: return __builtin_cpu_supports("avx2");
    case ConversionPath::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vbmi");
    }
    return false;
}

ConversionPath CColorSpaceConverter::BestPath() {
    static const ConversionPath best = [] {
        for (ConversionPath path : {ConversionPath::Avx512, ConversionPath::Avx2})
            if (IsSupported(path)) return path;
        return ConversionPath::Sse2;
    }();
    return best;
}

CColorSpaceConverter::CColorSpaceConverter(const GUID& subtype, int32_t width, int32_t height)
    : CColorSpaceConverter(subtype, width, height, graph::VideoColorInfo{}, BestPath()) {}

CColorSpaceConverter::CColorSpaceConverter(const GUID& subtype, int32_t width, int32_t height, ConversionPath path)
    : CColorSpaceConverter(subtype, width, height, graph::VideoColorInfo{}, path) {}

CColorSpaceConverter::CColorSpaceConverter(const GUID& subtype, int32_t width, int32_t height,
                                           const graph::VideoColorInfo& color, ConversionPath path)
    : m_subtype(subtype), m_width(width), m_height(height), m_requestedColor(color) {
    m_path = IsSupported(path) ? path : ConversionPath::Table;
    m_kernels = &KernelsOf(m_path);
    m_format = &stereo::VideoSubtypeOf(subtype);
    m_color = graph::ResolvedColorInfo(color, width, height);
    m_tables = &LookupTablesOf(m_color);
    m_coefficients = &CoefficientsOf(m_color.matrix, m_color.range, m_format->depth);
    m_lanes = LaneCoefficientsOf(*m_coefficients);
    m_family = FamilyOf(*m_format);
    // A top-down frame (negative height) has as many rows as a bottom-up one; rows stay in memory order.
    const int64_t rows = std::abs(int64_t(height));
    const int64_t pixels = int64_t(width) * rows;
    if (width > 0 && rows > 0 && pixels <= std::numeric_limits<int32_t>::max() / 8) {
        m_rows = int32_t(rows);
        m_planeSize = int32_t(pixels);
        m_chromaWidth = Subsampled(m_width, m_format->chromaShiftX);
        m_chromaRows = Subsampled(m_rows, m_format->chromaShiftY);
        m_lumaRowBytes = size_t(m_width) * m_format->sampleBytes;
        m_chromaRowBytes = size_t(m_chromaWidth) * m_format->sampleBytes *
                           (m_format->layout == Layout::Interleaved ? 2 : 1);
        m_chromaOffset = size_t(m_planeSize) * m_format->sampleBytes;
        m_secondChromaOffset = m_chromaOffset + size_t(m_chromaWidth) * m_chromaRows * m_format->sampleBytes;
        m_outputSize = size_t(pixels) * 4;
        m_layout = m_format->layout;
        m_sourceSize = SourceSizeOf(m_layout);
        m_streamOutput = m_outputSize > kCachedOutputLimit && m_width % kAlignedRowPixels == 0;
    }
    m_outputBuffer.reset(new (kOutputAlignment) uint8_t[m_outputSize]());
}

void CColorSpaceConverter::AlignedDelete::operator()(uint8_t* p) const { ::operator delete[](p, kOutputAlignment); }

CColorSpaceConverter::~CColorSpaceConverter() = default;

// Rows are read tightly packed (the source's stride is its width); RGB24 rows padded to a
// multiple of four bytes are not skipped.
size_t CColorSpaceConverter::SourceSizeOf(Layout layout) const {
    const size_t pixels = size_t(m_planeSize);
    switch (layout) {
    case Layout::PlanarVFirst:
    case Layout::PlanarUFirst:
    case Layout::Interleaved: return m_secondChromaOffset + size_t(m_chromaWidth) * m_chromaRows * m_format->sampleBytes;
    // YUY2 is taken as one run of W*H pixels in pairs; an odd last pixel has no pair and is not written.
    case Layout::Packed: return pixels / 2 * 4;
    case Layout::Rgb24: return pixels * 3;
    case Layout::Rgb555:
    case Layout::Rgb565: return pixels * 2;
    // RGB32 frames bypass the converter.
    case Layout::Rgb32:
    case Layout::None: break;
    }
    return 0;
}

uint8_t* CColorSpaceConverter::Convert(const uint8_t* source, size_t sourceBytes) {
    if (!source || m_sourceSize == 0 || sourceBytes < m_sourceSize) return m_outputBuffer.get();
    switch (m_layout) {
    case Layout::PlanarVFirst:
    case Layout::PlanarUFirst:
    case Layout::Interleaved: ConvertYuvRows(source, 0, m_rows, m_outputBuffer.get(), ptrdiff_t(m_width) * 4, m_streamOutput); break;
    case Layout::Packed: ConvertPacked(source); break;
    case Layout::Rgb24: ConvertRgb24(source); break;
    case Layout::Rgb555:
    case Layout::Rgb565: ConvertRgb16(source, m_outputBuffer.get(), size_t(m_planeSize)); break;
    case Layout::Rgb32:
    case Layout::None: break;
    }
    if (m_streamOutput) _mm_sfence();  // the stream's stores are seen before whatever follows
    return m_outputBuffer.get();
}

// One row, or a 4:2:0 row pair (second > row), of a planar or semi-planar frame.
void CColorSpaceConverter::YuvRows(const uint8_t* source, int row, int second, uint8_t* out0, uint8_t* out1,
                                   bool stream) const {
    const size_t chromaRow = size_t(row >> m_format->chromaShiftY) * m_chromaRowBytes;
    const uint8_t* u = source + m_chromaOffset + chromaRow;
    const uint8_t* v = source + m_secondChromaOffset + chromaRow;
    if (m_layout == Layout::PlanarVFirst) std::swap(u, v);
    if (m_layout == Layout::Interleaved) v = u + m_format->sampleBytes;
    const RowSources rows{source + size_t(row) * m_lumaRowBytes, source + size_t(second) * m_lumaRowBytes, u, v,
                          out0, out1, second != row, m_format->shift};
    const int done = m_kernels->rows[m_family](rows, m_width, stream, m_lanes);
    const int chromaStep = m_layout == Layout::Interleaved ? 2 : 1;
    if (m_format->sampleBytes == 2) {
        TableWideRows({*m_coefficients, m_format->shift}, rows, chromaStep, m_format->chromaShiftX, done, m_width);
    } else if (m_family == kPlanar444x8) {
        TableOwnChromaRow(*m_tables, rows.luma0, u, v, out0, done, m_width);
    } else {
        TableBlockRows(*m_tables, rows.luma0, rows.pair ? rows.luma1 : nullptr, u, v, chromaStep, out0, out1, done,
                       m_width);
    }
}

// 4:2:0 rows go in pairs sharing one chroma row where the range holds both rows of a pair, single
// rows at its odd ends (a last odd row takes the chroma row of the block it falls in); 4:2:2 and
// 4:4:4 rows one by one.
void CColorSpaceConverter::ConvertYuvRows(const uint8_t* source, int first, int count, uint8_t* out, ptrdiff_t pitch,
                                          bool stream) const {
    const int end = first + count;
    const auto rowOut = [&](int row) { return out + (row - first) * pitch; };
    for (int row = first; row < end;) {
        const bool pairs = m_format->chromaShiftY == 1;
        const int second = pairs && row % 2 == 0 && row + 1 < end ? row + 1 : row;
        YuvRows(source, row, second, rowOut(row), rowOut(second), stream);
        row = second + 1;
    }
}

bool CColorSpaceConverter::ConvertRows(const uint8_t* source, size_t sourceBytes, int32_t first, int32_t count,
                                       uint8_t* out, ptrdiff_t pitch) const {
    if (!source || !out || !ConvertsRows() || sourceBytes < m_sourceSize || first < 0 || count < 0 ||
        int64_t(first) + count > m_rows)
        return false;
    const int end = first + count;
    const auto rowOut = [&](int row) { return out + (row - first) * pitch; };
    switch (m_layout) {
    case Layout::PlanarVFirst:
    case Layout::PlanarUFirst:
    case Layout::Interleaved: ConvertYuvRows(source, first, count, out, pitch, false); return true;
    case Layout::Rgb32:
    case Layout::None: return false;
    default: break;
    }
    for (int row = first; row < end; ++row) {
        switch (m_layout) {
        case Layout::Packed: {
            // An even width: every row is a whole number of pairs.
            const size_t pairs = size_t(m_width) / 2;
            const uint8_t* from = source + size_t(row) * m_width * 2;
            const size_t done = m_kernels->packedPairs(from, rowOut(row), pairs, false, m_lanes);
            TablePackedPairs(*m_tables, from, rowOut(row), done, pairs);
            break;
        }
        case Layout::Rgb24: {
            const uint8_t* from = source + size_t(row) * m_width * 3;
            TableRgb24(from, rowOut(row), m_kernels->rgb24(from, rowOut(row), size_t(m_width)), size_t(m_width));
            break;
        }
        case Layout::Rgb555:
        case Layout::Rgb565: ConvertRgb16(source + size_t(row) * m_width * 2, rowOut(row), size_t(m_width)); break;
        default: return false;
        }
    }
    return true;
}

void CColorSpaceConverter::ConvertPacked(const uint8_t* source) const {
    const size_t pairs = size_t(m_planeSize) / 2;
    const size_t done = m_kernels->packedPairs(source, m_outputBuffer.get(), pairs, m_streamOutput, m_lanes);
    TablePackedPairs(*m_tables, source, m_outputBuffer.get(), done, pairs);
}

void CColorSpaceConverter::ConvertRgb24(const uint8_t* source) const {
    const size_t pixels = size_t(m_planeSize);
    const size_t done = m_kernels->rgb24(source, m_outputBuffer.get(), pixels);
    TableRgb24(source, m_outputBuffer.get(), done, pixels);
}

// 16-bit little-endian pixels: bits 0-4 blue, then green (5 bits in RGB555, 6 in RGB565), then red.
void CColorSpaceConverter::ConvertRgb16(const uint8_t* source, uint8_t* out, size_t pixels) const {
    const bool wideGreen = m_layout == Layout::Rgb565;
    for (size_t i = 0; i < pixels; ++i) {
        const uint16_t w = uint16_t(source[2 * i] | source[2 * i + 1] << 8);
        out[4 * i] = uint8_t((w & 0x1F) << 3);
        out[4 * i + 1] = wideGreen ? uint8_t((w >> 5 & 0x3F) << 2) : uint8_t((w >> 5 & 0x1F) << 3);
        out[4 * i + 2] = wideGreen ? uint8_t((w >> 11 & 0x1F) << 3) : uint8_t((w >> 10 & 0x1F) << 3);
        out[4 * i + 3] = 0xFF;
    }
}

}  // namespace orvo::engine
