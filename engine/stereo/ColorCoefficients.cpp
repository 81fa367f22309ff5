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

// Limited range spans 219 luma and 224 chroma levels; full range all 255.
constexpr ColorCoefficients RowOf(LumaWeights w, bool full) {
    const double lumaScale = full ? 1.0 : 255.0 / 219.0, chromaScale = full ? 1.0 : 255.0 / 224.0;
    const double green = 1 - w.red - w.blue;
    return {Fixed(lumaScale),
            Fixed(2 * (1 - w.red) * chromaScale),
            Fixed(2 * (1 - w.blue) * chromaScale),
            Fixed(2 * w.blue * (1 - w.blue) / green * chromaScale),
            Fixed(2 * w.red * (1 - w.red) / green * chromaScale),
            full ? 0 : 16};
}

struct Table {
    ColorCoefficients rows[kMatrices][2];  // limited, full
};

constexpr Table BuildTable() {
    Table t{};
    for (int m = 0; m < kMatrices; ++m)
        for (int full = 0; full < 2; ++full) t.rows[m][full] = RowOf(kWeights[m], full);
    return t;
}
constexpr Table kTable = BuildTable();

// The studio-range BT.601 equations the converter has always used are this table's first row.
static_assert(kTable.rows[0][0] == ColorCoefficients{76309, 104597, 132201, 25675, 53279, 16});

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

const ColorCoefficients& CoefficientsOf(ColorMatrix matrix, ColorRange range) {
    const int m = matrix == ColorMatrix::Unspecified ? 0 : int(matrix) - int(ColorMatrix::Bt601);
    return kTable.rows[m][range == ColorRange::Full ? 1 : 0];
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
    k.lumaRemainder = row.luma - 65536;
    pairs(row.uToBlue, 0, k.blueRemainders, k.blueWholes);
    pairs(-row.uToGreen, -row.vToGreen, k.greenRemainders, k.greenWholes);
    pairs(0, row.vToRed, k.redRemainders, k.redWholes);
    k.blueBias = lumaBias - row.uToBlue * kChromaOffset;
    k.greenBias = lumaBias + (row.uToGreen + row.vToGreen) * kChromaOffset;
    k.redBias = lumaBias - row.vToRed * kChromaOffset;
    return k;
}

}  // namespace orvo::engine
