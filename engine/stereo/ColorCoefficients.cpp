// The coefficient table: one row per colour matrix and range, from the matrix's luma weights.
#include "engine/stereo/ColorSpaceConverterKernels.h"

namespace orvo::engine {
namespace {

using graph::ColorMatrix;
using graph::ColorRange;

struct LumaWeights {
    double red, blue;  // Kr, Kb; green takes the rest
};

// By ColorMatrix, from Bt601 on.
constexpr LumaWeights kWeights[] = {
    {0.299, 0.114},    // BT.601
    {0.2126, 0.0722},  // BT.709
    {0.2627, 0.0593},  // BT.2020, non-constant luminance
    {0.212, 0.087},    // SMPTE 240M
    {0.30, 0.11},      // FCC
};
constexpr int kMatrices = sizeof kWeights / sizeof kWeights[0];

constexpr int32_t Fixed(double value) { return int32_t(value * 65536 + (value >= 0 ? 0.5 : -0.5)); }

// Limited range spans 219 luma and 224 chroma levels of 8 bits, scaled up for more bits; full
// range every level.
constexpr ColorCoefficients RowOf(LumaWeights w, bool full, int depth) {
    const double levels = double(1 << (depth - 8));
    const double lumaScale = full ? 255.0 / ((1 << depth) - 1) : 255.0 / (219.0 * levels);
    const double chromaScale = full ? 255.0 / ((1 << depth) - 1) : 255.0 / (224.0 * levels);
    const double green = 1 - w.red - w.blue;
    return {Fixed(lumaScale),
            Fixed(2 * (1 - w.red) * chromaScale),
            Fixed(2 * (1 - w.blue) * chromaScale),
            Fixed(2 * w.blue * (1 - w.blue) / green * chromaScale),
            Fixed(2 * w.red * (1 - w.red) / green * chromaScale),
            full ? 0 : 16 << (depth - 8),
            128 << (depth - 8)};
}

constexpr int kDepths[] = {8, 10, 12};

struct Table {
    ColorCoefficients rows[3][kMatrices][2];  // by depth, matrix, and range (limited, full)
};

constexpr Table BuildTable() {
    Table t{};
    for (int d = 0; d < 3; ++d)
        for (int m = 0; m < kMatrices; ++m)
            for (int full = 0; full < 2; ++full) t.rows[d][m][full] = RowOf(kWeights[m], full, kDepths[d]);
    return t;
}
constexpr Table kTable = BuildTable();

// The studio-range BT.601 equations the converter has always used are this table's first row.
static_assert(kTable.rows[0][0][0] == ColorCoefficients{76309, 104597, 132201, 25675, 53279, 16, 128});
// Full-range 8-bit luma is exactly 1; more bits give luma factors below 32768, which the vector
// kernels multiply whole.
static_assert(kTable.rows[0][0][1].luma == 65536 && kTable.rows[1][0][0].luma < 32768);

constexpr int32_t WordPair(int32_t low, int32_t high) {
    return int32_t(uint32_t(uint16_t(low)) | uint32_t(uint16_t(high)) << 16);
}

// factor = whole * 65536 + remainder, the remainder within a signed 16-bit word.
struct Split {
    int32_t whole, remainder;
};
constexpr Split SplitOf(int32_t factor) {
    const int32_t whole = (factor + 32768) >> 16;
    return {whole, factor - whole * 65536};
}

}  // namespace

const ColorCoefficients& CoefficientsOf(ColorMatrix matrix, ColorRange range, int depth) {
    const int m = matrix == ColorMatrix::Unspecified ? 0 : int(matrix) - int(ColorMatrix::Bt601);
    const int d = depth >= 12 ? 2 : depth >= 10 ? 1 : 0;
    return kTable.rows[d][m][range == ColorRange::Full ? 1 : 0];
}

// Each channel's chroma term is a * U + b * V + bias, added to luma * Y.
LaneCoefficients LaneCoefficientsOf(const ColorCoefficients& row) {
    const int32_t lumaBias = -row.luma * row.lumaOffset;
    const auto pairs = [](int32_t a, int32_t b, int32_t& remainders, int32_t& wholes) {
        const Split u = SplitOf(a), v = SplitOf(b);
        remainders = WordPair(u.remainder, v.remainder);
        wholes = WordPair(u.whole, v.whole);
    };
    LaneCoefficients k{};
    k.lumaRemainder = row.luma >= 32768 ? row.luma - 65536 : row.luma;
    pairs(row.uToBlue, 0, k.blueRemainders, k.blueWholes);
    pairs(-row.uToGreen, -row.vToGreen, k.greenRemainders, k.greenWholes);
    pairs(0, row.vToRed, k.redRemainders, k.redWholes);
    const int32_t c = row.chromaOffset;
    k.blueBias = lumaBias - row.uToBlue * c;
    k.greenBias = lumaBias + (row.uToGreen + row.vToGreen) * c;
    k.redBias = lumaBias - row.vToRed * c;
    return k;
}

}  // namespace orvo::engine
