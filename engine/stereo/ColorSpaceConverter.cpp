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
        t.vToRed[i] = row.vToRed * (i - kChromaOffset);
        t.uToBlue[i] = row.uToBlue * (i - kChromaOffset);
        t.uToGreen[i] = row.uToGreen * (i - kChromaOffset);
        t.vToGreen[i] = row.vToGreen * (i - kChromaOffset);
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

// A row pair of a 4:2:0 frame from column `from` (even) on. The chroma of block b is at
// u[b * chromaStep] and v[b * chromaStep]; a last odd column uses the block it falls in.
void TableRowPair(const LookupTables& t, const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v,
                  int chromaStep, uint8_t* out0, uint8_t* out1, int from, int width) {
    for (int x = from; x < width; x += 2) {
        const int block = x / 2 * chromaStep;
        const BlockChroma c = ChromaOf(t, u[block], v[block]);
        WritePixel(t, out0 + 4 * x, y0[x], c);
        WritePixel(t, out1 + 4 * x, y1[x], c);
        if (x + 1 < width) {
            WritePixel(t, out0 + 4 * x + 4, y0[x + 1], c);
            WritePixel(t, out1 + 4 * x + 4, y1[x + 1], c);
        }
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
constexpr ColorKernels kTableOnly{
    [](const uint8_t*, const uint8_t*, const uint8_t*, const uint8_t*, uint8_t*, uint8_t*, int, bool,
       const LaneCoefficients&) { return 0; },
    [](const uint8_t*, const uint8_t*, const uint8_t*, uint8_t*, uint8_t*, int, bool, const LaneCoefficients&) {
        return 0;
    },
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

// 4:2:0 chroma holds one sample per 2x2 block, rounded up: a last odd column (or row) has blocks
// of its own, one pixel wide (or high). For even sizes this is the usual W/2 x H/2 plane, and the
// second plane starts at W*H + W*H/4.
int ChromaWidth(int width) { return (width + 1) / 2; }
int ChromaRows(int rows) { return (rows + 1) / 2; }

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
    m_color = graph::ResolvedColorInfo(color, width, height);
    m_tables = &LookupTablesOf(m_color);
    m_lanes = LaneCoefficientsOf(CoefficientsOf(m_color.matrix, m_color.range));
    // A top-down frame (negative height) has as many rows as a bottom-up one; rows stay in memory order.
    const int64_t rows = std::abs(int64_t(height));
    const int64_t pixels = int64_t(width) * rows;
    if (width > 0 && rows > 0 && pixels <= std::numeric_limits<int32_t>::max() / 4) {
        m_rows = int32_t(rows);
        m_planeSize = int32_t(pixels);
        m_secondChromaOffset = m_planeSize + ChromaWidth(m_width) * ChromaRows(m_rows);
        m_outputSize = size_t(pixels) * 4;
        m_layout = stereo::PixelLayoutOf(subtype);
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
    case Layout::Interleaved: return pixels + 2 * size_t(ChromaWidth(m_width)) * ChromaRows(m_rows);
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
    case Layout::PlanarVFirst: ConvertPlanar(source, source + m_secondChromaOffset, source + m_planeSize); break;
    case Layout::PlanarUFirst: ConvertPlanar(source, source + m_planeSize, source + m_secondChromaOffset); break;
    case Layout::Interleaved: ConvertInterleaved(source, source + m_planeSize); break;
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

void CColorSpaceConverter::PlanarRowPair(const uint8_t* y, const uint8_t* u, const uint8_t* v, int row, int second,
                                         uint8_t* out0, uint8_t* out1, bool stream) const {
    const size_t chromaWidth = size_t(ChromaWidth(m_width));
    const uint8_t* y0 = y + size_t(row) * m_width;
    const uint8_t* y1 = y + size_t(second) * m_width;
    const uint8_t* uRow = u + size_t(row / 2) * chromaWidth;
    const uint8_t* vRow = v + size_t(row / 2) * chromaWidth;
    const int done = m_kernels->planarRowPair(y0, y1, uRow, vRow, out0, out1, m_width, stream, m_lanes);
    TableRowPair(*m_tables, y0, y1, uRow, vRow, 1, out0, out1, done, m_width);
}

void CColorSpaceConverter::InterleavedRowPair(const uint8_t* y, const uint8_t* uv, int row, int second,
                                              uint8_t* out0, uint8_t* out1, bool stream) const {
    const uint8_t* y0 = y + size_t(row) * m_width;
    const uint8_t* y1 = y + size_t(second) * m_width;
    const uint8_t* uvRow = uv + size_t(row / 2) * 2 * size_t(ChromaWidth(m_width));
    const int done = m_kernels->interleavedRowPair(y0, y1, uvRow, out0, out1, m_width, stream, m_lanes);
    TableRowPair(*m_tables, y0, y1, uvRow, uvRow + 1, 2, out0, out1, done, m_width);
}

// Rows go in pairs sharing one chroma row; a last odd row is converted as a pair whose second
// row is itself, so it takes the chroma row of the block it falls in.
void CColorSpaceConverter::ConvertPlanar(const uint8_t* y, const uint8_t* u, const uint8_t* v) const {
    for (int row = 0; row < m_rows; row += 2) {
        const int second = std::min(row + 1, m_rows - 1);
        PlanarRowPair(y, u, v, row, second, OutputRow(row), OutputRow(second), m_streamOutput);
    }
}

void CColorSpaceConverter::ConvertInterleaved(const uint8_t* y, const uint8_t* uv) const {
    for (int row = 0; row < m_rows; row += 2) {
        const int second = std::min(row + 1, m_rows - 1);
        InterleavedRowPair(y, uv, row, second, OutputRow(row), OutputRow(second), m_streamOutput);
    }
}

bool CColorSpaceConverter::ConvertRows(const uint8_t* source, size_t sourceBytes, int32_t first, int32_t count,
                                       uint8_t* out, ptrdiff_t pitch) const {
    if (!source || !out || !ConvertsRows() || sourceBytes < m_sourceSize || first < 0 || count < 0 ||
        int64_t(first) + count > m_rows)
        return false;
    const int end = first + count;
    const auto rowOut = [&](int row) { return out + (row - first) * pitch; };
    const uint8_t* u = source + m_planeSize;
    const uint8_t* v = source + m_secondChromaOffset;
    if (m_layout == Layout::PlanarVFirst) std::swap(u, v);
    for (int row = first; row < end;) {
        // 4:2:0 rows go in whole pairs where the range holds both rows of one, single rows at
        // its odd ends; the other layouts go row by row.
        const bool chromaPairs = m_layout == Layout::PlanarVFirst || m_layout == Layout::PlanarUFirst ||
                                 m_layout == Layout::Interleaved;
        const int second = chromaPairs && row % 2 == 0 && row + 1 < end ? row + 1 : row;
        switch (m_layout) {
        case Layout::PlanarVFirst:
        case Layout::PlanarUFirst: PlanarRowPair(source, u, v, row, second, rowOut(row), rowOut(second), false); break;
        case Layout::Interleaved:
            InterleavedRowPair(source, source + m_planeSize, row, second, rowOut(row), rowOut(second), false);
            break;
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
        case Layout::Rgb32:
        case Layout::None: return false;
        }
        row = second + 1;
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
