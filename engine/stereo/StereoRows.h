#pragma once
// The stereo transform done band by band, straight into a target such as a locked frame
// surface: each band of source rows is converted (or read where it lies), made into output
// rows by the same geometry and kernels as TransformFrame, grey-mixed and written upright
// while it is still in the cache. The bytes are exactly those of the whole-frame path
// (TransformFrame, GreyMix, then the upright copy), which stays as the reference.
//
// Streaming thread, under the filter's frame lock.
#include <cstddef>
#include <cstdint>

#include "engine/stereo/FrameDescriptor.h"
#include "engine/stereo/StereoTransform.h"

namespace orvo::engine {
class CColorSpaceConverter;
}

namespace orvo::stereo {

// A source frame's rows as 32-bit pixels (rows packed, 4 * width bytes), in memory order.
class FrameRows {
public:
    virtual ~FrameRows() = default;
    // Whether Rows can give this frame's rows.
    virtual bool HasRows() const = 0;
    // Rows [first, first + count): a pointer into the frame, or rows written into band, which
    // has room for count rows.
    virtual const uint8_t* Rows(int32_t first, int32_t count, uint8_t* band) = 0;
    // The whole frame as 32-bit pixels the whole-frame transform may rewrite, or nullptr.
    virtual uint8_t* Whole() = 0;
};

// A frame that already is 32-bit pixels: rows are read where they lie.
class PixelRows final : public FrameRows {
public:
    PixelRows(uint8_t* frame, int32_t width) : m_frame(frame), m_width(width) {}
    bool HasRows() const override { return m_frame != nullptr; }
    const uint8_t* Rows(int32_t first, int32_t, uint8_t*) override {
        return m_frame + size_t(first) * size_t(m_width) * 4;
    }
    uint8_t* Whole() override { return m_frame; }

private:
    uint8_t* m_frame;
    int32_t m_width;
};

// A decoded frame in the converter's format, converted band by band (or whole, into the
// converter's own buffer).
class ConvertedRows final : public FrameRows {
public:
    ConvertedRows(engine::CColorSpaceConverter& converter, const uint8_t* source, size_t bytes)
        : m_converter(converter), m_source(source), m_bytes(bytes) {}
    bool HasRows() const override;
    const uint8_t* Rows(int32_t first, int32_t count, uint8_t* band) override;
    uint8_t* Whole() override;

private:
    engine::CColorSpaceConverter& m_converter;
    const uint8_t* m_source;
    size_t m_bytes;
};

// Whether d's picture can be made row by row from rows into a width x height target.
bool HasRowForm(const FrameDescriptor& d, const FrameRows& rows, int32_t targetWidth, int32_t targetHeight);

// Writes d's picture of rows into target (d.width x d.height pixels, rows pitch bytes apart),
// upright and grey-mixed. Only where HasRowForm says so; false when a band buffer cannot be
// allocated or a band cannot be read (the frame is then dropped).
bool TransformRows(const FrameDescriptor& d, FrameRows& rows, uint8_t* target, ptrdiff_t pitch, PictureStore& store,
                   const StereoKernels& kernels = BestStereoKernels());

// Picture rows made per band of a stretched picture: bands this tall share few rows with
// their neighbours, and a band still stays in the cache until it is stretched.
constexpr size_t kScaledBandBytes = 192 * 1024;

// The same picture stretched to dest's size, band by band: each band of dest's rows is
// stretched from the picture rows it reads, made just before (rows two bands share are
// made once). The bytes are those of TransformRows into a d.width x d.height picture
// followed by the whole stretch (surface::ScalePicture). Only where HasRowForm says so for
// d.width x d.height; false when a buffer cannot be allocated or a band cannot be read.
// bandBytes: about how many bytes of picture rows one band makes.
bool TransformRowsScaled(const FrameDescriptor& d, FrameRows& rows, const surface::Canvas& dest, PictureStore& store,
                         const StereoKernels& kernels = BestStereoKernels(), size_t bandBytes = kScaledBandBytes);

}  // namespace orvo::stereo
