#pragma once
// Turns each decoded video frame into the pipeline's 32-bit pixels: bytes blue, green, red,
// 0xFF, rows packed (stride 4 * width), in the source's row order.
//
// Threads: one converter belongs to one own renderer filter. It is built on the thread that
// sets the media type; Convert runs on the streaming thread under the filter's frame lock, so a
// converter is never used by two threads at once.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/stereo/ColorSpaceConverterKernels.h"
#include "engine/stereo/VideoSubtypes.h"
#include "platform/com/Guid.h"
#include "platform/graph/VideoColorInfo.h"

namespace orvo::engine {

struct ColorKernels;
struct LookupTables;

// How the YUV and RGB24 conversions are computed. Every path writes the same bytes; the table
// path is the reference the vector paths are held to.
enum class ConversionPath { Table, Sse2, Avx2, Avx512 };

class CColorSpaceConverter {
public:
    // The widest vector path this CPU runs, chosen once per process.
    static ConversionPath BestPath();
    static bool IsSupported(ConversionPath path);

    // subtype: YV12, IYUV, I420, NV12, YUY2, RGB24, RGB555, RGB565, or one of the planar and
    // semi-planar 4:2:0, 4:2:2 and 4:4:4 formats of 8, 10, 12 and 16 bits of VideoSubtypes.h; any
    // other subtype gives a converter that never writes. width and height are the bitmap header's; a negative height
    // (a top-down RGB frame) stands for as many rows as its absolute value, kept in the source's
    // order. A size that is not positive, or whose output would not fit in 2^31 bytes, gives an
    // empty output buffer and a converter that never writes.
    CColorSpaceConverter(const GUID& subtype, int32_t width, int32_t height);
    // The same on a chosen path; a path this CPU does not run falls back to the table path.
    CColorSpaceConverter(const GUID& subtype, int32_t width, int32_t height, ConversionPath path);
    // YUV converted with the colour matrix and range of color; the parts it leaves unspecified
    // stand for what ResolvedColorInfo says for a picture of this size (so the BT.601 studio-range
    // equations below 720 rows and 1280 columns, BT.709 from there up).
    CColorSpaceConverter(const GUID& subtype, int32_t width, int32_t height, const graph::VideoColorInfo& color,
                         ConversionPath path = BestPath());
    virtual ~CColorSpaceConverter();
    CColorSpaceConverter(const CColorSpaceConverter&) = delete;
    CColorSpaceConverter& operator=(const CColorSpaceConverter&) = delete;

    // Converts one source frame of sourceBytes bytes into the output buffer and returns it.
    // A null source, a source shorter than SourceSize() or a converter that never writes leaves
    // the buffer as it was: zeros before the first conversion, else the previous frame.
    uint8_t* Convert(const uint8_t* source, size_t sourceBytes);

    // Converts the source rows [first, first + count), in memory order, into out, rows pitch
    // bytes apart, writing exactly the bytes Convert writes for those rows; the output buffer
    // is not touched. False, writing nothing, when Convert would write nothing, the rows are
    // out of range, or the layout does not split into rows (YUY2 pairs straddle the rows of an
    // odd width).
    bool ConvertRows(const uint8_t* source, size_t sourceBytes, int32_t first, int32_t count, uint8_t* out,
                     ptrdiff_t pitch) const;
    // Whether ConvertRows can convert this converter's frames.
    bool ConvertsRows() const { return m_sourceSize > 0 && (m_layout != Layout::Packed || m_width % 2 == 0); }

    uint8_t* OutputBuffer() const { return m_outputBuffer.get(); }
    size_t OutputSize() const { return m_outputSize; }
    // The bytes one source frame occupies in the subtype's layout; 0 when the converter never writes.
    size_t SourceSize() const { return m_sourceSize; }
    const GUID& Subtype() const { return m_subtype; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    ConversionPath Path() const { return m_path; }
    // The colour as asked for, and as converted (no part unspecified).
    const graph::VideoColorInfo& RequestedColor() const { return m_requestedColor; }
    const graph::VideoColorInfo& Color() const { return m_color; }

private:
    using Layout = stereo::PixelLayout;
    size_t SourceSizeOf(Layout layout) const;

    void YuvRows(const uint8_t* source, int row, int second, uint8_t* out0, uint8_t* out1, bool stream) const;
    void ConvertYuvRows(const uint8_t* source, int first, int count, uint8_t* out, ptrdiff_t pitch, bool stream) const;
    void ConvertPacked(const uint8_t* source) const;
    void ConvertRgb24(const uint8_t* source) const;
    void ConvertRgb16(const uint8_t* source, uint8_t* out, size_t pixels) const;

    struct AlignedDelete {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t[], AlignedDelete> m_outputBuffer;
    GUID m_subtype;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_planeSize = 0;  // W * |H|: the luma samples
    const stereo::VideoSubtype* m_format = nullptr;
    RowFamily m_family = kPlanar8;
    int32_t m_chromaWidth = 0, m_chromaRows = 0;  // samples of one chroma plane
    size_t m_lumaRowBytes = 0, m_chromaRowBytes = 0;
    size_t m_chromaOffset = 0;        // the first chroma plane, after the luma plane
    size_t m_secondChromaOffset = 0;  // after the first chroma plane

    int32_t m_rows = 0;  // |height|, or 0 for an empty converter
    Layout m_layout = Layout::None;
    size_t m_outputSize = 0;
    size_t m_sourceSize = 0;
    bool m_streamOutput = false;
    ConversionPath m_path = ConversionPath::Table;
    const ColorKernels* m_kernels = nullptr;
    graph::VideoColorInfo m_requestedColor;
    graph::VideoColorInfo m_color;
    const LookupTables* m_tables = nullptr;            // 8-bit samples
    const ColorCoefficients* m_coefficients = nullptr;  // the row of the samples' depth
    LaneCoefficients m_lanes{};
};

}  // namespace orvo::engine
